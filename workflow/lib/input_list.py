"""The inputs of a study: folder globs and a sample sheet, as absolute paths in a stable order."""

import glob
import os

from output_naming import InputPathError, output_path, split_input


class InputListError(ValueError):
    pass


def _normalised(path, base):
    return os.path.normpath(os.path.join(base, os.path.expanduser(path)))


def read_sample_sheet(sheet, base):
    """One path per line; blank lines and lines starting with '#' are skipped. Relative paths
    are taken from `base`, the folder the workflow runs in, as brevanto-batch --list does."""
    try:
        with open(sheet, encoding="utf-8") as f:
            lines = f.read().splitlines()
    except (OSError, UnicodeDecodeError) as e:
        raise InputListError(f"sample sheet {sheet}: {e}") from e
    paths = []
    for line in lines:
        line = line.rstrip("\r")
        if line.strip() == "" or line.startswith("#"):
            continue
        paths.append(_normalised(line, base))
    return paths


def _is_earlier_output(path, suffix):
    # A glob over a study folder also finds the copies of an earlier run; filtering those
    # again would make x_BRV_BRV.raw.
    try:
        return split_input(path)[1].endswith(suffix)
    except InputPathError:
        return False  # reported with the other inputs that cannot be filtered


def expand_globs(patterns, base, suffix):
    paths = []
    for pattern in patterns:
        matches = sorted(glob.glob(_normalised(pattern, base)))
        paths.extend(m for m in matches if not _is_earlier_output(os.path.normpath(m), suffix))
    return [os.path.normpath(m) for m in paths]


def collect_inputs(patterns, sheet, base, suffix):
    """Glob matches first, then the sheet's lines; an input given twice counts once."""
    candidates = expand_globs(patterns, base, suffix)
    if sheet:
        candidates += read_sample_sheet(_normalised(sheet, base), base)
    inputs = list(dict.fromkeys(candidates))
    if not inputs:
        raise InputListError("no inputs: the globs match nothing and no sample sheet lists any")
    problems = []
    for path in inputs:
        try:
            split_input(path)
        except InputPathError as e:
            problems.append(str(e))
            continue
        if not os.path.exists(path):
            problems.append(f"{path}: no such file or directory")
    if problems:
        raise InputListError("inputs that cannot be filtered:\n  " + "\n  ".join(problems))
    outputs = {output_path(p, suffix): p for p in inputs}
    for path in inputs:
        if path in outputs:
            raise InputListError(
                f"{path} is listed as an input and is also the output of {outputs[path]}")
    return inputs
