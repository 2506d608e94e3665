#!/usr/bin/env python3
"""One job of the workflow: brevanto-batch on one input, its whole output kept in the log, its
summary lines kept as rows of the input's summary file."""

import argparse
import os
import shlex
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))

from summary_lines import outputs_named, parse_summary  # noqa: E402
from summary_table import write_rows  # noqa: E402


def run_logged(command, log_path):
    """Exit status of `command` (None if it cannot start: the reason is then in the log) and
    the lines it printed; standard output and error both go to the log, in order."""
    with open(log_path, "w", encoding="utf-8", errors="surrogateescape") as log:
        log.write("$ " + shlex.join(command) + "\n")
        log.flush()
        try:
            status = subprocess.run(command, stdout=log, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL).returncode
        except OSError as e:
            log.write(f"cannot run {command[0]}: {e.strerror}\n")
            status = None
    with open(log_path, encoding="utf-8", errors="surrogateescape") as log:
        return status, log.read().splitlines()


def failure(log_path, lines, message):
    """Ends the job: brevanto-batch's own messages and ours go to standard error, which is what
    a scheduler keeps of a job, and ours to the log as well."""
    for line in lines:
        if line.startswith("brevanto-batch: ") or line.startswith("cannot run "):
            sys.stderr.write(line + "\n")
    with open(log_path, "a", encoding="utf-8", errors="surrogateescape") as log:
        log.write(f"brevanto workflow: {message}\n")
    sys.stderr.write(f"brevanto workflow: {message}\n")
    return 1


def main():
    parser = argparse.ArgumentParser()
    for name in ("batch", "rules", "suffix", "input", "output", "summary", "log"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()

    command = [args.batch, "--suffix", args.suffix, "--rules", args.rules, args.input]
    status, lines = run_logged(command, args.log)
    if status is None:
        return failure(args.log, lines, f"{args.input}: brevanto-batch could not be started")
    if status != 0:
        return failure(args.log, lines,
                       f"{args.input}: brevanto-batch failed (exit status {status})")
    others = [out for out in outputs_named(lines, args.input) if out != args.output]
    if others:
        return failure(args.log, lines,
                       f"{args.input}: brevanto-batch wrote {', '.join(others)}, but the "
                       f"workflow names the output {args.output}; this brevanto-batch names "
                       f"outputs of this format otherwise (what it wrote is left as it is)")
    rows = parse_summary(lines, args.input, args.output)
    if not rows:
        return failure(args.log, lines,
                       f"{args.input}: brevanto-batch succeeded but printed no summary line "
                       f"for it")
    write_rows(args.summary, [r.fields() for r in rows])
    return 0


if __name__ == "__main__":
    sys.exit(main())
