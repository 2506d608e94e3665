#!/usr/bin/env python3
"""Counts the peaks of an mzML or mzXML file by decoding its arrays (an independent reader).

    count_peaks.py FILE [LOW HIGH]

Prints "spectra N peaks M"; with LOW and HIGH, also "outside K", the peaks whose m/z lies
outside [LOW, HIGH). Exits 1, naming the file, when an array's length disagrees with the
spectrum's declared peak count or the file cannot be read.
"""
import base64
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

MZ_ARRAY = "MS:1000514"
FLOAT64 = "MS:1000523"
FLOAT32 = "MS:1000521"
ZLIB = "MS:1000574"


def local(tag):
    return tag.rsplit("}", 1)[-1]


def decode(text, compressed):
    data = base64.b64decode(text or "")
    # An empty array may be stored as no bytes at all rather than an empty zlib stream.
    return zlib.decompress(data) if compressed and data else data


class Counter:
    def __init__(self, bounds):
        self.bounds = bounds
        self.spectra = 0
        self.peaks = 0
        self.outside = 0

    def add(self, values, declared, where):
        if declared is not None and declared != len(values):
            raise ValueError(f"{where}: {len(values)} m/z values, {declared} declared")
        self.spectra += 1
        self.peaks += len(values)
        if self.bounds:
            low, high = self.bounds
            self.outside += sum(1 for v in values if not low <= v < high)


def count_mzml(path, counter):
    for _, element in ET.iterparse(path, events=("end",)):
        tag = local(element.tag)
        if tag == "spectrum":
            mz = None
            for array in element.iter():
                if local(array.tag) != "binaryDataArray":
                    continue
                accessions = {p.get("accession") for p in array if local(p.tag) == "cvParam"}
                if MZ_ARRAY not in accessions:
                    continue
                binary = next(c for c in array if local(c.tag) == "binary")
                data = decode(binary.text, ZLIB in accessions)
                fmt = "d" if FLOAT64 in accessions else "f"
                mz = struct.unpack(f"<{len(data) // struct.calcsize(fmt)}{fmt}", data)
            declared = int(element.get("defaultArrayLength"))
            counter.add(mz or (), declared, f"spectrum {element.get('id')}")
            element.clear()
        elif tag == "chromatogram":
            element.clear()


def count_mzxml(path, counter):
    for _, element in ET.iterparse(path, events=("end",)):
        if local(element.tag) != "peaks":
            continue
        data = decode(element.text, element.get("compressionType") == "zlib")
        fmt = "d" if element.get("precision") == "64" else "f"
        values = struct.unpack(f">{len(data) // struct.calcsize(fmt)}{fmt}", data)
        counter.add(values[0::2], None, "scan")
        element.clear()


def main(argv):
    if len(argv) not in (2, 4):
        sys.stderr.write(__doc__)
        return 2
    path = argv[1]
    counter = Counter((float(argv[2]), float(argv[3])) if len(argv) == 4 else None)
    try:
        if path.lower().endswith(".mzxml"):
            count_mzxml(path, counter)
        else:
            count_mzml(path, counter)
    except (OSError, ValueError, ET.ParseError, zlib.error, struct.error) as error:
        sys.stderr.write(f"{path}: {error}\n")
        return 1
    line = f"spectra {counter.spectra} peaks {counter.peaks}"
    if counter.bounds:
        line += f" outside {counter.outside}"
    print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
