#!/usr/bin/env python3
"""Prints "spectra N peaks M" for an mzML file as pymzml reads it (an independent reader)."""
import sys

import pymzml


def main(path):
    spectra = 0
    peaks = 0
    run = pymzml.run.Reader(path)
    for spectrum in run:
        if spectrum.ms_level is None:
            continue
        spectra += 1
        peaks += len(spectrum.mz)
    print(f"spectra {spectra} peaks {peaks}")


if __name__ == "__main__":
    main(sys.argv[1])
