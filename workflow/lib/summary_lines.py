"""Reads brevanto-batch's summary lines, the only part of its standard output the workflow uses:

    IN -> OUT  function F: R peaks read, K kept
    IN -> OUT  function F: R peaks read, K kept (no rules: copied whole)
    IN -> OUT  no functions

A line is taken only when it starts with exactly the input the job gave and names exactly the
output the workflow expects; anything else (a progress line, a message of a newer version) is
left in the log and ignored.
"""

import re

_FUNCTION = re.compile(
    r"function (?P<function>\d+): (?P<read>\d+) peaks read, (?P<kept>\d+) kept"
    r"(?P<whole> \(no rules: copied whole\))?")

FILTERED = "filtered"
COPIED_WHOLE = "copied whole"
NO_FUNCTIONS = "no functions"


class SummaryRow:
    __slots__ = ("input", "function", "peaks_read", "peaks_kept", "status")

    def __init__(self, input, function, peaks_read, peaks_kept, status):
        self.input = input
        self.function = function
        self.peaks_read = peaks_read
        self.peaks_kept = peaks_kept
        self.status = status

    def fields(self):
        return [self.input, self.function, self.peaks_read, self.peaks_kept, self.status]

    def __eq__(self, other):
        return self.fields() == other.fields()

    def __repr__(self):
        return "SummaryRow(%r)" % (self.fields(),)


def outputs_named(stdout_lines, input):
    """The output paths that lines about `input` name, in order, without repeats."""
    head = input + " -> "
    named = []
    for line in stdout_lines:
        if line.startswith(head):
            out = line[len(head):].split("  ", 1)[0]
            if out not in named:
                named.append(out)
    return named


def parse_summary(stdout_lines, input, output):
    """The rows for `input` written to `output`, in the order printed."""
    head = f"{input} -> {output}  "
    rows = []
    for line in stdout_lines:
        if not line.startswith(head):
            continue
        rest = line[len(head):].rstrip("\r\n")
        if rest == "no functions":
            rows.append(SummaryRow(input, "", "", "", NO_FUNCTIONS))
            continue
        match = _FUNCTION.fullmatch(rest)
        if match:
            status = COPIED_WHOLE if match.group("whole") else FILTERED
            rows.append(SummaryRow(input, match.group("function"), match.group("read"),
                                   match.group("kept"), status))
    return rows
