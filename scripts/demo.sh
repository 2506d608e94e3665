#!/usr/bin/env bash
# The main job on sample data, run from a built tree (argument: the build directory).
set -euo pipefail
build=${1:-build/release}
echo "== Peak filter throughput (scans of 2,000 peaks) =="
"$build/bench/peak_filter_bench" --benchmark_filter='BM_FilterScan' --benchmark_min_time=0.2
