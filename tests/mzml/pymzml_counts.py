#!/usr/bin/python3
"""Prints "<spectrum id>\t<peak count>" for each spectrum of an mzML file as pymzml reads it.

usage: pymzml_counts.py FILE
Exit status 0 when pymzml read the whole file, 1 (with its complaint on stdout) when not.
"""

import sys

import pymzml


def main():
    try:
        for spectrum in pymzml.run.Reader(sys.argv[1]):
            print(f"{spectrum.element.get('id')}\t{len(spectrum.mz)}")
    except Exception as e:  # pymzml raises whatever its parser meets
        print(f"pymzml cannot read {sys.argv[1]}: {type(e).__name__}: {e}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
