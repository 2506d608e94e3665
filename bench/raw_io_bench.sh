#!/usr/bin/env bash
# Raw data I/O against a plain copy: synthesizes an acquisition of at least SIZE_GIB GiB,
# then times `cp -r` of it, writing it (brevanto-raw synth) and reading it (verify, and dump to
# /dev/null), each with its peak memory (max RSS).
#
# usage: bench/raw_io_bench.sh BUILD_DIR [SIZE_GIB]   (SIZE_GIB default 1, may be fractional)
#
# The page cache cannot be dropped here, so the copy runs once untimed to warm it: every
# timed step then reads from a warm cache, and writes end in the cache too except where the
# library makes them durable (synth flushes its files at completion; cp does not).
set -euo pipefail

build=${1:?usage: bench/raw_io_bench.sh BUILD_DIR [SIZE_GIB]}
size_gib=${2:-1}
tool="$build/tools/raw/brevanto-raw"
[ -x "$tool" ] || { echo "raw_io_bench: no $tool; build the brevanto-raw target first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "raw_io_bench: needs /usr/bin/time (Debian package 'time')" >&2; exit 2; }

# On the same disk as the build, never a RAM disk: the point is real file I/O.
work=$(mktemp -d -p "$build" raw-io-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
fs_type=$(stat -f -c %T "$work")
if [ "$fs_type" = tmpfs ] || [ "$fs_type" = ramfs ]; then
  echo "raw_io_bench: $work is on $fs_type; use a build directory on a disk" >&2
  exit 2
fi

# 4 functions of 1000-peak scans; a peak takes at least 9 bytes (mass, intensity, byte), so
# this many scans reach the size before any index or header is counted.
functions=4
peaks=1000
scans=$(awk -v g="$size_gib" -v f=$functions -v p=$peaks \
  'BEGIN { b = g * 1073741824; s = int(b / (f * p * 9)); if (s * f * p * 9 < b) s++; print s }')
raw="$work/bench.raw"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }

# Runs a step under /usr/bin/time (for the peak memory; its clock has 10 ms steps, so the
# wall time is taken here); sets step_seconds and step_kib.
timed() {
  local out=$1 start; shift
  start=$(now)
  /usr/bin/time -f '%M' -o "$work/time.txt" "$@" >"$out"
  step_seconds=$(elapsed "$start")
  read -r step_kib <"$work/time.txt"
}

echo "raw_io_bench: $size_gib GiB target: $functions functions x $scans scans x $peaks peaks"
echo "raw_io_bench: working in $work ($fs_type); the copy runs once first to warm the cache"

timed /dev/null "$tool" synth "$raw" --functions $functions --scans "$scans" --peaks $peaks --seed 1
synth_s=$step_seconds synth_kib=$step_kib
bytes=$(du -sb "$raw" | cut -f1)

cp -r "$raw" "$work/warm.raw" && rm -rf "$work/warm.raw"
timed /dev/null cp -r "$raw" "$work/copy.raw"
copy_s=$step_seconds copy_kib=$step_kib
rm -rf "$work/copy.raw"
start=$(now)
cp -r "$raw" "$work/copy.raw" && sync
copy_sync_s=$(elapsed "$start")
rm -rf "$work/copy.raw"

timed /dev/null "$tool" verify "$raw"
verify_s=$step_seconds verify_kib=$step_kib
timed /dev/null "$tool" dump "$raw"
dump_s=$step_seconds dump_kib=$step_kib

row() {  # name seconds kib
  awk -v n="$1" -v s="$2" -v k="$3" -v c="$copy_s" -v b="$bytes" 'BEGIN {
    printf "%-22s %8.2f s %7.2fx copy %8.1f MiB/s %8.1f MiB peak\n",
           n, s, (c > 0 ? s / c : 0), (s > 0 ? b / 1048576 / s : 0), k / 1024 }'
}
echo "raw_io_bench: acquisition of $bytes bytes ($(awk -v b="$bytes" 'BEGIN { printf "%.2f", b / 1073741824 }') GiB)"
row "cp -r (baseline)" "$copy_s" "$copy_kib"
printf "%-22s %8.2f s   (for comparison: synth makes its files durable)\n" "cp -r, then sync" "$copy_sync_s"
row "write: synth" "$synth_s" "$synth_kib"
row "read: verify" "$verify_s" "$verify_kib"
row "read: dump > /dev/null" "$dump_s" "$dump_kib"
