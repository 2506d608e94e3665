"""The per-input summary files and the study's table: tab-separated, one header line."""

import csv
import os

HEADER = ["input", "function", "peaks read", "peaks kept", "status"]


def write_rows(path, rows, header=HEADER):
    # Written under another name and renamed, so a half-written table is never taken as done.
    partial = path + ".partial"
    with open(partial, "w", encoding="utf-8", newline="", errors="surrogateescape") as f:
        writer = csv.writer(f, delimiter="\t", lineterminator="\n")
        writer.writerow(header)
        writer.writerows(rows)
    os.replace(partial, path)


def read_rows(path):
    with open(path, encoding="utf-8", newline="", errors="surrogateescape") as f:
        rows = list(csv.reader(f, delimiter="\t"))
    if not rows or rows[0] != HEADER:
        raise ValueError(f"{path}: not a summary file (its first line is not the header)")
    return rows[1:]


def gather(table, summaries):
    """The study's table: the rows of every input's summary file, in the order given."""
    rows = []
    for path in summaries:
        rows += read_rows(path)
    write_rows(table, rows)
