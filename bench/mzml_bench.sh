#!/usr/bin/env bash
# Our open-format filter against OpenMS FileFilter -mz on the same mzML, in the same run.
#   bench/mzml_bench.sh BUILD_DIR [SIZE_GIB]
# The input is an export of a synthesized acquisition (>= SIZE_GIB, default 1). Both tools keep
# m/z 300..700 whole: ours by two rules per MS level whose mass-defect windows together cover
# every fraction, FileFilter by -mz. FileFilter's range is inclusive at the top and ours is not;
# its top bound 699.99995 lies above the largest float below 700 (699.99993896...) and below
# 700 itself, so the two agree
# whatever the data. Prints both times, their ratio and both peak memories (max RSS), and
# checks that the two outputs hold the same number of peaks.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
gib=${2:-1}
raw="$build/tools/raw/brevanto-raw"
mzml="$build/tools/mzml/brevanto-mzml"
work="$build/bench-mzml"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# An exported peak takes about 21 bytes (32-bit m/z, 64-bit intensity, 32-bit peak byte,
# base64): 2 functions x S scans x 2,000 peaks.
scans=$(( gib * 1024 * 1024 * 1024 / (2 * 2000 * 21) + 1 ))
echo "making a synthesized acquisition (2 functions, $scans scans of 2,000 peaks) and its mzML"
"$raw" synth "$work/big.raw" --functions 2 --scans "$scans" --peaks 2000 >/dev/null
"$mzml" export "$work/big.raw" "$work/big.mzML"
rm -rf "$work/big.raw"
ls -l "$work/big.mzML" | awk '{printf "input: %.2f GiB\n", $5 / 1024 / 1024 / 1024}'

rules=()
for level in 1 2; do
    rules+=(-r "$level:300:700:0.25:300:300" -r "$level:300:700:0.75:300:300")
done

timed() {  # label, command...: prints "label seconds maxrss_kib"
    local label=$1; shift
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f %M -o "$work/rss" "$@" >"$work/$label.log" 2>&1
    end=$(date +%s.%N)
    echo "$label $(echo "$end - $start" | bc) $(cat "$work/rss")"
}

cat "$work/big.mzML" >/dev/null  # warm the page cache for both
ours=$(timed brevanto "$mzml" filter "${rules[@]}" "$work/big.mzML" "$work/ours.mzML")
theirs=$(timed FileFilter FileFilter -in "$work/big.mzML" -out "$work/theirs.mzML" \
    -mz 300:699.99995 -no_progress)
read -r _ ourTime ourRss <<<"$ours"
read -r _ theirTime theirRss <<<"$theirs"
printf 'brevanto-mzml filter: %8.2f s  %8d MiB peak memory\n' "$ourTime" $((ourRss / 1024))
printf 'OpenMS FileFilter:    %8.2f s  %8d MiB peak memory\n' "$theirTime" $((theirRss / 1024))
printf 'time ratio FileFilter / ours: %.2f; memory ratio: %.1f\n' \
    "$(echo "$theirTime / $ourTime" | bc -l)" "$(echo "$theirRss / $ourRss" | bc -l)"

# Peak counts of both outputs, as our reader counts them (a filter without rules copies and
# reports what it read).
count() {
    "$mzml" filter "$1" "$work/count.mzML" |
        awk '{for (i = 1; i <= NF; ++i) if ($i == "peaks" && $(i + 1) == "read,") n += $(i - 1)} END {print n + 0}'
    rm -f "$work/count.mzML"
}
oursPeaks=$(count "$work/ours.mzML")
theirsPeaks=$(count "$work/theirs.mzML")
echo "peaks kept: ours $oursPeaks, FileFilter $theirsPeaks"
if [ "$oursPeaks" != "$theirsPeaks" ]; then
    echo "MISMATCH: the two outputs hold different numbers of peaks" >&2
    exit 1
fi
