#!/usr/bin/env bash
# Runs every benchmark of a built tree (argument: the build directory).
set -euo pipefail
build=${1:-build/release}
"$build/bench/peak_filter_bench"
