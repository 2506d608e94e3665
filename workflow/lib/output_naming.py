"""Where a filtered copy goes, and where the workflow keeps what it learns about each input.

The name is derived by rule, without asking brevanto-batch: the input's name, the suffix, then
the input's own extension(s). A compression extension keeps the one before it, so x.mzML.gz
becomes x_BRV.mzML.gz and x.mzXML becomes x_BRV.mzXML.
"""

import os
import re

# The Snakefile's wildcard constraints are these same pieces; an input must split the same way
# here and in Snakemake's own matching, or a job would be asked for a file nobody makes.
FOLDER = r".+"
STEM = r"[^/]+?"
EXTENSION = r"(?:\.[^./]+(?:\.gz)?)?"
OPEN_EXTENSION = r"\.(?i:mzml|mzxml)(?:\.gz)?"

_SPLIT = re.compile(rf"/(?P<folder>{FOLDER})/(?P<stem>{STEM})(?P<ext>{EXTENSION})")
_OPEN = re.compile(OPEN_EXTENSION)

# A raw data directory is complete once its completion record is in place; the workflow waits
# for that file, so it never has to put anything of its own into the filtered copy.
RAW_COMPLETION_RECORD = "brv-manifest.bin"


class InputPathError(ValueError):
    pass


def split_input(path):
    """(folder, stem, extension) of an absolute, normalised input path."""
    match = _SPLIT.fullmatch(path)
    if match is None:
        raise InputPathError(
            f"{path}: an input must lie in a folder below the root and have a name")
    return match.group("folder"), match.group("stem"), match.group("ext")


def is_open_format(path):
    return _OPEN.fullmatch(split_input(path)[2]) is not None


def output_path(path, suffix):
    folder, stem, ext = split_input(path)
    return f"/{folder}/{stem}{suffix}{ext}"


def completion_target(path, suffix):
    """The file whose presence shows the filtered copy of `path` is complete."""
    out = output_path(path, suffix)
    return out if is_open_format(path) else os.path.join(out, RAW_COMPLETION_RECORD)


def result_key(path):
    """The input's place under the results folder: its absolute path without the leading
    slash, so runs of the same name in different folders never share a log."""
    return path[1:]
