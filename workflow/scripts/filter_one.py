#!/usr/bin/env python3
"""One job of the workflow: brevanto-batch on one input, its whole output kept in the log, its
summary lines kept as rows of the input's summary file."""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))

from summary_lines import outputs_named, parse_summary  # noqa: E402
from summary_table import write_rows  # noqa: E402


def fail(log, message):
    log.write(f"brevanto workflow: {message}\n")
    log.flush()
    sys.stderr.write(f"brevanto workflow: {message}\n")
    return 1


def main():
    parser = argparse.ArgumentParser()
    for name in ("batch", "rules", "suffix", "input", "output", "summary", "log"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()

    command = [args.batch, "--suffix", args.suffix, "--rules", args.rules, args.input]
    with open(args.log, "w", encoding="utf-8", errors="surrogateescape") as log:
        log.write("$ " + " ".join(command) + "\n")
        log.flush()
        try:
            status = subprocess.run(command, stdout=log, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL).returncode
        except OSError as e:
            return fail(log, f"{args.input}: cannot run {args.batch}: {e.strerror}")
        if status != 0:
            # brevanto-batch has named the input, the operation and the reason just above.
            return fail(log, f"{args.input}: brevanto-batch failed (exit status {status})")

    with open(args.log, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().splitlines()
    named = outputs_named(lines, args.input)
    if any(out != args.output for out in named):
        others = ", ".join(out for out in named if out != args.output)
        with open(args.log, "a", encoding="utf-8", errors="surrogateescape") as log:
            return fail(log, f"{args.input}: brevanto-batch wrote {others}, but the workflow "
                             f"names the output {args.output} (this brevanto-batch names "
                             f"outputs of this format differently; the file it wrote is left "
                             f"as it is)")
    rows = parse_summary(lines, args.input, args.output)
    if not rows:
        with open(args.log, "a", encoding="utf-8", errors="surrogateescape") as log:
            return fail(log, f"{args.input}: brevanto-batch succeeded but printed no summary "
                             f"line for it")
    write_rows(args.summary, [r.fields() for r in rows])
    return 0


if __name__ == "__main__":
    sys.exit(main())
