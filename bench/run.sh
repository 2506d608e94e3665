#!/usr/bin/env bash
# Runs every benchmark of a built tree (argument: the build directory).
set -euo pipefail
build=${1:-build/release}
"$build/bench/peak_filter_bench"
bash "$(dirname "$0")/raw_io_bench.sh" "$build" 1
bash "$(dirname "$0")/batch_bench.sh" "$build" 1
bash "$(dirname "$0")/mzml_bench.sh" "$build" 1
