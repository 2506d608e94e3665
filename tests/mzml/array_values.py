#!/usr/bin/python3
"""Prints every binary array of every mzML spectrum, decoded without the code under test:

    <spectrum id>\t<role>\t<value>,<value>,...

role is "mz", "intensity", "charge" or "other:<arrayLength>". Arrays in 32/64-bit float or
integer, plain or zlib; an MS-Numpress array prints "numpress" instead of its values.

usage: array_values.py FILE
"""

import base64
import zlib
import gzip
import struct
import sys
import xml.etree.ElementTree as ET

TYPES = {"MS:1000521": "f", "MS:1000523": "d", "MS:1000519": "i", "MS:1000522": "q"}
ROLES = {"MS:1000514": "mz", "MS:1000515": "intensity", "MS:1000516": "charge"}
NUMPRESS = {"MS:1002312", "MS:1002313", "MS:1002314", "MS:1002746", "MS:1002747", "MS:1002748"}

def local(tag):
    return tag.rsplit("}", 1)[-1]

def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    root = ET.fromstring(data)
    groups = {}
    for group in root.iter():
        if local(group.tag) == "referenceableParamGroup":
            groups[group.get("id")] = [p.get("accession") for p in group
                                       if local(p.tag) == "cvParam"]
    for spectrum in root.iter():
        if local(spectrum.tag) != "spectrum":
            continue
        for array in spectrum.iter():
            if local(array.tag) != "binaryDataArray":
                continue
            accessions = []
            text = ""
            for child in array:
                if local(child.tag) == "cvParam":
                    accessions.append(child.get("accession"))
                elif local(child.tag) == "referenceableParamGroupRef":
                    accessions += groups[child.get("ref")]
                elif local(child.tag) == "binary":
                    text = child.text or ""
            role = next((ROLES[a] for a in accessions if a in ROLES), None)
            if role is None:
                role = f"other:{array.get('arrayLength')}"
            if any(a in NUMPRESS for a in accessions):
                print(f"{spectrum.get('id')}\t{role}\tnumpress")
                continue
            raw = base64.b64decode("".join(text.split()))
            if "MS:1000574" in accessions:

                raw = zlib.decompress(raw)
            kind = next(TYPES[a] for a in accessions if a in TYPES)
            values = struct.unpack(f"<{len(raw) // struct.calcsize(kind)}{kind}", raw)
            print(f"{spectrum.get('id')}\t{role}\t" + ",".join(repr(float(v)) for v in values))
    return 0

if __name__ == "__main__":
    sys.exit(main())
