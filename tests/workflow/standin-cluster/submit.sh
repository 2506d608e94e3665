#!/usr/bin/env bash
# Stand-in for a scheduler's submit command: runs JOBSCRIPT detached in the background and
# prints the job id. The job's exit status lands in the state folder when it ends. The job gets
# a session of its own, so cancel.sh can end it with everything it started.
set -euo pipefail
jobscript=$1
state=${BREVANTO_STANDIN_STATE:-$PWD/.standin-cluster}
mkdir -p "$state"
id=$(basename "$(mktemp "$state/job-XXXXXXXX")")
cp "$jobscript" "$state/$id.sh"
setsid nohup bash -c 'bash "$1" > "$2.out" 2>&1; echo $? > "$2.rc.tmp" && mv "$2.rc.tmp" "$2.rc"' \
    standin-job "$state/$id.sh" "$state/$id" < /dev/null > /dev/null 2>&1 &
echo $! > "$state/$id.pid"
echo "$id"
