"""The inputs a run left without a summary, each with its log and the message that says why."""

import os

from summary_table import write_rows

HEADER = ["input", "log", "message"]


def _message(log):
    # brevanto-batch's own words name the cause; the workflow's say what the job made of them.
    try:
        with open(log, encoding="utf-8", errors="surrogateescape") as f:
            lines = f.read().splitlines()
    except OSError as e:
        return f"cannot read the log: {e.strerror}"
    for prefix in ("brevanto-batch: ", "brevanto workflow: ", "cannot run "):
        said = [line for line in lines if line.startswith(prefix)]
        if said:
            return said[0]
    return "no message in the log (the job was stopped?)"


def failure_rows(jobs):
    """`jobs`: (input, summary path, log path) per input. An input counts as failed when its
    summary is missing and its log exists, that is, its job ran and did not finish."""
    rows = []
    for input, summary, log in jobs:
        if not os.path.exists(summary) and os.path.exists(log):
            rows.append([input, log, _message(log)])
    return rows


def write_failures(path, jobs):
    rows = failure_rows(jobs)
    if rows:
        write_rows(path, rows, HEADER)
    elif os.path.exists(path):
        os.remove(path)
    return len(rows)
