#!/usr/bin/env bash
# brevanto-batch on mzML against OpenMS FileFilter -mz and a plain cp, in the same run.
#   bench/mzml_bench.sh BUILD_DIR [SIZE_GIB]
# The input is a synthetic LC-MS acquisition of at least SIZE_GIB (default 1) from
# brevanto_mzml_synth: MS1 spectra of 2,000-5,000 peaks, each followed by 4-10 MS2 spectra,
# 64-bit m/z and 32-bit intensities. It is made once with zlib-compressed arrays and once
# without, and each is filtered by every tool. Both filters keep m/z 300..700 on both MS levels:
#
# - ours by one rule per level, 300:700 with mass defect 0.5 and 499 mDa either side. By the
#   filter's formula lower = 0.5 - 499 * 0.001 = 0.001 and upper = 0.5 + 0.499 = 0.999 (below
#   1, so not wrapped): a peak in 300 <= m < 700 is kept when 0.001 < frac(m) < 0.999. The
#   generator keeps every fraction within [0.0025, 0.9975], even after rounding to the 32-bit
#   float our filter judges, so the window keeps every peak of the range.
# - FileFilter by -mz 300:699.99995, inclusive at both ends. No peak lies within 0.0025 of a
#   whole number, so the top bound could be anything in (699.9975, 700); 699.99995 also holds
#   for arbitrary data, lying above the largest float below 700 (699.99993896...) and below 700.
#
# Prints times, the ratios FileFilter / ours and ours / cp, and peak memories (max RSS). The
# peaks of both outputs are counted by bench/count_peaks.py (Python's own XML, base64 and
# zlib), which also checks that no kept peak lies outside the range. Exits 1 when the two
# counts differ. Page cache: the page cache cannot be dropped here, so the input is read once
# before each timed command and every one of them reads it from memory.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
gib=${2:-1}
here=$(cd "$(dirname "$0")" && pwd)
synth="$build/bench/mzml_synth/brevanto_mzml_synth"
batch="$build/tools/batch/brevanto-batch"
counter="$here/count_peaks.py"
work="$build/bench-mzml"
for tool in "$synth" "$batch"; do
    [ -x "$tool" ] || { echo "missing $tool: build it first" >&2; exit 2; }
done
command -v FileFilter >/dev/null || { echo "missing FileFilter (Debian package openms)" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

rules=(--rule 1:300:700:0.5:499:499 --rule 2:300:700:0.5:499:499)
mzRange=300:699.99995

# CPU seconds (user + system) are printed beside the wall-clock ones: on a shared machine the
# wall clock also counts the time others held the cores.
timed() {  # label, command...: prints "label seconds maxrss_kib cpu_seconds"
    local label=$1; shift
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >"$work/$label.log" 2>&1 || {
        echo "$label failed:" >&2; cat "$work/$label.log" >&2; exit 1; }
    end=$(date +%s.%N)
    read -r rss user system <"$work/rss"
    echo "$label $(echo "$end - $start" | bc) $rss $(echo "$user + $system" | bc)"
}

warm() { cat "$1" >/dev/null; }

mismatch=0
for compression in zlib none; do
    input="$work/big_$compression.mzML"
    echo "== $compression arrays"
    # A hair over the size asked for, as the generator only estimates it.
    made=$(timed synth "$synth" --compression "$compression" \
        --size-gib "$(echo "$gib * 1.005" | bc -l)" "$input")
    read -r _ synthTime _ synthCpu <<<"$made"
    size=$(stat -c %s "$input")
    printf 'input: %.3f GiB, %s (written in %.2f s, %.2f s CPU)\n' \
        "$(echo "$size / 1024^3" | bc -l)" "$(sed 's/^[^:]*: //' "$work/synth.log")" \
        "$synthTime" "$synthCpu"

    warm "$input"
    copy=$(timed copy cp --reflink=never "$input" "$work/copy.mzML")
    rm -f "$work/copy.mzML"
    # Our output is flushed to disk before it is renamed into place; this is the copy that
    # does the same, the like-for-like reference.
    warm "$input"
    durable=$(timed durable sh -c 'cp --reflink=never "$1" "$2" && sync "$2"' sh "$input" \
        "$work/copy.mzML")
    rm -f "$work/copy.mzML"
    warm "$input"
    ours=$(timed ours "$batch" --quiet "${rules[@]}" "$input")
    warm "$input"
    theirs=$(timed FileFilter FileFilter -in "$input" -out "$work/theirs.mzML" -mz "$mzRange" \
        -no_progress)
    read -r _ copyTime copyRss copyCpu <<<"$copy"
    read -r _ durableTime _ durableCpu <<<"$durable"
    read -r _ ourTime ourRss ourCpu <<<"$ours"
    read -r _ theirTime theirRss theirCpu <<<"$theirs"
    printf 'cp:                %8.2f s (%7.2f s CPU)  %8d MiB peak memory\n' "$copyTime" "$copyCpu" \
        $((copyRss / 1024))
    printf 'cp + sync:         %8.2f s (%7.2f s CPU)\n' "$durableTime" "$durableCpu"
    printf 'brevanto-batch:    %8.2f s (%7.2f s CPU)  %8d MiB peak memory\n' "$ourTime" "$ourCpu" \
        $((ourRss / 1024))
    printf 'OpenMS FileFilter: %8.2f s (%7.2f s CPU)  %8d MiB peak memory\n' "$theirTime" "$theirCpu" \
        $((theirRss / 1024))
    printf 'time ratios: FileFilter / ours %.2f, ours / cp %.2f, ours / (cp + sync) %.2f; CPU ratio FileFilter / ours %.2f; memory ratio FileFilter / ours %.1f\n' \
        "$(echo "$theirTime / $ourTime" | bc -l)" "$(echo "$ourTime / $copyTime" | bc -l)" \
        "$(echo "$ourTime / $durableTime" | bc -l)" "$(echo "$theirCpu / $ourCpu" | bc -l)" \
        "$(echo "$theirRss / $ourRss" | bc -l)"

    ourOutput="$work/big_${compression}_BRV.mzML"
    read -r _ _ _ oursPeaks _ oursOutside < <(python3 "$counter" "$ourOutput" 300 700)
    read -r _ _ _ theirsPeaks _ theirsOutside < <(python3 "$counter" "$work/theirs.mzML" 300 700)
    echo "peaks kept: ours $oursPeaks, FileFilter $theirsPeaks (outside 300..700: $oursOutside, $theirsOutside)"
    if [ "$oursPeaks" != "$theirsPeaks" ] || [ "$oursOutside" != 0 ] || [ "$theirsOutside" != 0 ]; then
        echo "MISMATCH ($compression): the outputs differ in their peaks" >&2
        mismatch=1
    fi
    rm -f "$input" "$ourOutput" "$work/theirs.mzML"
done
exit "$mismatch"
