#!/usr/bin/env bash
# Stand-in for a scheduler's cancel command: ends the named jobs (Snakemake passes their ids).
state=${BREVANTO_STANDIN_STATE:-$PWD/.standin-cluster}
for id in "$@"; do
    if [ -f "$state/$id.pid" ]; then
        kill -- "-$(cat "$state/$id.pid")" 2>/dev/null || true
    fi
done
