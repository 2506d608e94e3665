#!/usr/bin/env bash
# brevanto-batch against `cp -r` of the same input, in the same run.
#   bench/batch_bench.sh BUILD_DIR [SIZE_GIB]
# Prints the times, the ratio to the copy and the peak memory (max RSS) of each, then the
# speed-up of -j on four files of a quarter of the size each. The page cache cannot be dropped
# here, so the input is copied once first to warm it; every timed command then reads from it.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
gib=${2:-1}
raw="$build/tools/raw/brevanto-raw"
batch="$build/tools/batch/brevanto-batch"
work="$build/bench-batch"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# 4 functions x S scans x 2,000 peaks x 9 bytes per peak.
scans=$(( gib * 1024 * 1024 * 1024 / (4 * 2000 * 9) + 1 ))
echo "making a ${gib} GiB acquisition (4 functions, $scans scans of 2,000 peaks each)"
"$raw" synth "$work/big.raw" --functions 4 --scans "$scans" --peaks 2000 --analog 2 >/dev/null
du -sh "$work/big.raw"

rules=(--rule 1:250:650:0.19:40:40 --rule 3:100:1200:0.5:200:200)

timed() {  # label, command...: prints "label seconds maxrss_kib"
    local label=$1; shift
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$label $(echo "$end - $start" | bc) $(cat "$work/rss")"
}

# The library makes every output durable (its files are flushed to the disk before the file
# counts as complete); cp -r does not. Both copies are timed: the plain one, and one followed
# by a flush of the copied files, which is the like-for-like reference.
cp -r "$work/big.raw" "$work/warm.raw" && rm -rf "$work/warm.raw"
copy=$(timed copy cp -r "$work/big.raw" "$work/copy.raw")
rm -rf "$work/copy.raw"
sync
durable=$(timed durable sh -c 'cp -r "$1" "$2" && sync "$2"/*' sh "$work/big.raw" "$work/copy.raw")
rm -rf "$work/copy.raw"
sync
run=$(timed batch "$batch" --quiet "${rules[@]}" "$work/big.raw")
read -r _ tc mc <<<"$copy"
read -r _ td md <<<"$durable"
read -r _ tb mb <<<"$run"
printf 'cp -r                  %6.2f s  peak %6d KiB\n' "$tc" "$mc"
printf 'cp -r, then flushed    %6.2f s  peak %6d KiB\n' "$td" "$md"
printf 'brevanto-batch         %6.2f s  peak %6d KiB  ratio %.2f to cp -r, %.2f to the flushed copy\n' \
    "$tb" "$mb" "$(echo "$tb / $tc" | bc -l)" "$(echo "$tb / $td" | bc -l)"
rm -rf "$work/big_BRV.raw" "$work/big.raw"

quarter=$(( scans / 4 + 1 ))
files=()
for i in 1 2 3 4; do
    "$raw" synth "$work/q$i.raw" --functions 4 --scans "$quarter" --peaks 2000 --seed "$i" >/dev/null
    files+=("$work/q$i.raw")
done
one=$(timed j1 "$batch" --quiet "${rules[@]}" --suffix _j1 "${files[@]}")
two=$(timed j2 "$batch" --quiet -j 2 "${rules[@]}" --suffix _j2 "${files[@]}")
read -r _ t1 m1 <<<"$one"
read -r _ t2 m2 <<<"$two"
printf 'four files -j 1 %6.2f s  peak %6d KiB\n' "$t1" "$m1"
printf 'four files -j 2 %6.2f s  peak %6d KiB  speed-up %.2f on %s cores\n' "$t2" "$m2" \
    "$(echo "$t1 / $t2" | bc -l)" "$(nproc)"
