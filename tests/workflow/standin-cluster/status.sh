#!/usr/bin/env bash
# Stand-in for a scheduler's status query: running, success or failed, as Snakemake asks.
set -euo pipefail
id=$1
state=${BREVANTO_STANDIN_STATE:-$PWD/.standin-cluster}
if [ -f "$state/$id.rc" ]; then
    if [ "$(cat "$state/$id.rc")" = 0 ]; then echo success; else echo failed; fi
elif [ -f "$state/$id.pid" ] && kill -0 "$(cat "$state/$id.pid")" 2>/dev/null; then
    echo running
elif [ -f "$state/$id.rc" ]; then
    # It ended between the two looks.
    if [ "$(cat "$state/$id.rc")" = 0 ]; then echo success; else echo failed; fi
else
    # Gone without an exit status: killed, as a scheduler's node failure would.
    echo failed
fi
