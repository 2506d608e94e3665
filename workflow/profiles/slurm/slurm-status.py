#!/usr/bin/env python3
"""Snakemake's status query for a SLURM job: prints running, success or failed."""

import subprocess
import sys

RUNNING = {"PENDING", "CONFIGURING", "RUNNING", "COMPLETING", "REQUEUED", "REQUEUE_HOLD",
           "REQUEUE_FED", "RESIZING", "SUSPENDED", "SIGNALING", "STAGE_OUT", "STOPPED"}


def ask(command):
    try:
        return subprocess.run(command, capture_output=True, text=True, timeout=60).stdout
    except (OSError, subprocess.TimeoutExpired):
        return ""


def state_of(job):
    # sacct knows finished jobs; scontrol knows new ones before accounting has caught up.
    lines = ask(["sacct", "-j", job, "-X", "--noheader", "--parsable2", "--format=State"])
    states = [line.split()[0] for line in lines.splitlines() if line.strip()]
    if states:
        return states[0]
    for field in ask(["scontrol", "show", "job", job]).split():
        if field.startswith("JobState="):
            return field.split("=", 1)[1]
    return ""


def main():
    # --parsable prints "id" or "id;cluster".
    job = sys.argv[1].split(";")[0]
    state = state_of(job)
    if state == "COMPLETED":
        print("success")
    elif state in RUNNING or state == "":
        # Unknown for now (the controller busy, the job too new): ask again later.
        print("running")
    else:
        # FAILED, CANCELLED (by whom ever), TIMEOUT, OUT_OF_MEMORY, NODE_FAIL, PREEMPTED, ...
        print("failed")


if __name__ == "__main__":
    main()
