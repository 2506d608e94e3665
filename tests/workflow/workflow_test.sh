#!/usr/bin/env bash
# The study workflow end to end, run locally (--cores 2), or through cluster submission to the
# stand-in scheduler of standin-cluster/ (cluster), or through the SLURM profile of workflow/
# with the SLURM commands of fake-slurm/ in front of that scheduler (slurm):
#   workflow_test.sh local|cluster|slurm SOURCE_DIR BATCH RAW [with-mzml|without-mzml]
# Checks that the filtered copies equal brevanto-batch's one-by-one outputs, that the table is
# right, that a broken input fails only its own job, and that a rerun redoes only what failed.
set -euo pipefail

mode=$1 src=$(realpath "$2") batch=$(realpath "$3") raw=$(realpath "$4") mzml=${5:-with-mzml}
if ! command -v snakemake > /dev/null; then
    echo "snakemake is not installed (scripts/install-deps.sh installs it): skipped"
    exit 77
fi
shared=${BREVANTO_SHARED_DATA:-$src/../shared/data}
real_mzml=$shared/tiny.pwiz.1.1.mzML
if [ "$mzml" = with-mzml ] && [ ! -f "$real_mzml" ]; then
    echo "note: $real_mzml not found; running on synthesized raw data files only"
    mzml=without-mzml
fi

# A space in every path: the workflow and the schedulers must quote what they pass on.
work=$(mktemp -d "${TMPDIR:-/tmp}/brevanto workflow-$mode.XXXXXX")
cleanup() {
    # Stand-in cluster jobs still running after a failed check are ended, never left behind.
    for pid in "$work"/run/.standin-cluster/*.pid; do
        if [ -f "$pid" ]; then kill -- "-$(cat "$pid")" 2> /dev/null || true; fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    if [ -f "$run/snakemake.out" ]; then
        echo "--- the last run of Snakemake said:" >&2
        tail -n 40 "$run/snakemake.out" >&2
    fi
    echo "FAILED ($mode): $*" >&2
    exit 1
}

study=$work/study   # what the workflow filters
ref=$work/ref       # the outputs of brevanto-batch alone on each input
run=$work/run       # where Snakemake runs: sample sheet, rules, results
mkdir -p "$study/plateA" "$study/plateB" "$ref/plateA" "$ref/plateB" "$run"

# Two functions: rules for function 1 only, so function 2 is copied whole. The second rule
# keeps the whole-number masses below 10 of the real file.
cat > "$run/study.rules" << 'EOF'
# MS1: a defect window, and the low masses of whole-number spectra
1:0:2000:0.2:150:150
1:0:10:0:100:100
EOF

synth() {  # relative path, seed
    "$raw" synth "$study/$1" --functions 2 --scans 12 --peaks 60 --seed "$2" > /dev/null
}
# Runs of the same name on two plates must keep apart.
synth plateA/run1.raw 1
synth plateB/run1.raw 2
synth plateA/run2.raw 3
# Broken: a scans file cut short. Its checksum shows the input is never modified.
"$raw" synth "$study/plateB/broken.raw" --functions 2 --scans 12 --peaks 60 --seed 4 > /dev/null
truncate -s 100 "$study/plateB/broken.raw/brv-f00001-scans.bin"
broken_sum=$(cd "$study/plateB/broken.raw" && cat ./* | sha256sum)

# Inputs two ways: a sample sheet (relative and absolute paths, a comment, a blank line) for the
# raw data files, a folder glob for the mzML file.
cat > "$run/sheet.txt" << EOF
# plate A, then plate B
../study/plateA/run1.raw
$study/plateA/run2.raw

$study/plateB/run1.raw
../study/plateB/broken.raw
EOF
expected_inputs=("plateA/run1.raw" "plateA/run2.raw" "plateB/run1.raw" "plateB/broken.raw")
if [ "$mzml" = with-mzml ]; then
    cp "$real_mzml" "$study/plateA/"
    expected_inputs=("plateA/tiny.pwiz.1.1.mzML" "${expected_inputs[@]}")
fi
output_of() {  # relative input path -> relative output path
    case $1 in
        *.raw) echo "${1%.raw}_BRV.raw" ;;
        *.mzML) echo "${1%.mzML}_BRV.mzML" ;;
    esac
}

cat > "$run/config.yaml" << EOF
inputs: ["$study/plateA/*.mzML"]
sample_sheet: sheet.txt
rules: study.rules
build_dir: ""
EOF
PATH="$(dirname "$batch"):$PATH"
export PATH
export BREVANTO_STANDIN_STATE=$run/.standin-cluster

snake() {  # runs the workflow in $run; output in $run/snakemake.out
    local args=(-s "$src/workflow/Snakefile" --directory "$run" --configfile "$run/config.yaml")
    local path=$PATH
    case $mode in
        local) args+=(--cores 2 --keep-going) ;;
        cluster) args+=(--profile "$src/tests/workflow/standin-cluster") ;;
        slurm)
            args+=(--profile "$src/workflow/profiles/slurm")
            path=$src/tests/workflow/fake-slurm:$PATH
            ;;
    esac
    # CI=true: Snakemake polls a cluster's jobs every second instead of every ten.
    (cd "$run" && PATH=$path CI=true snakemake "${args[@]}") > "$run/snakemake.out" 2>&1
}
reference() {  # brevanto-batch alone on one input, its output moved to $ref
    # An mzML output records its input's folder, so the reference reads the very same input
    # and writes under another suffix; where the output then lies does not change its bytes.
    local out
    out=$(output_of "$1")
    "$batch" --suffix _REF --rules "$run/study.rules" "$study/$1" >> "$work/reference.out"
    mv "$study/${out/_BRV/_REF}" "$ref/$out"
}
same_output() {  # relative input path
    local out
    out=$(output_of "$1")
    [ -e "$study/$out" ] || fail "no output $out"
    diff -r "$ref/$out" "$study/$out" > /dev/null || fail "$out differs from brevanto-batch's own"
}
log_of() { echo "$run/brevanto-results/logs${study}/$1.log"; }
stamp() { stat -c %y "$(log_of "$1")"; }

# 1. Everything at once; the broken input fails, the others finish.
if snake; then
    fail "the run succeeded although plateB/broken.raw is broken"
fi
for input in "${expected_inputs[@]}"; do
    [ "$input" = plateB/broken.raw ] && continue
    reference "$input"
    same_output "$input"
done
broken_log=$(log_of plateB/broken.raw)
[ -f "$broken_log" ] || fail "no log for the broken input"
grep -qF "brevanto-batch: $study/plateB/broken.raw" "$broken_log" ||
    fail "the broken input's log lacks brevanto-batch's message: $(cat "$broken_log")"
grep -q "plateB/broken.raw" "$run/snakemake.out" ||
    fail "Snakemake's output does not name the failed input"
[ ! -e "$study/plateB/broken_BRV.raw/brv-manifest.bin" ] ||
    fail "the broken input's output counts as complete"
[ "$(cd "$study/plateB/broken.raw" && cat ./* | sha256sum)" = "$broken_sum" ] ||
    fail "the broken input was modified"
[ ! -e "$run/brevanto-results/summary.tsv" ] || fail "a table was written although an input failed"
failures=$run/brevanto-results/failed.tsv
[ "$(tail -n +2 "$failures" | cut -f1)" = "$study/plateB/broken.raw" ] ||
    fail "failed.tsv lists other than the broken input: $(cat "$failures")"
tail -n +2 "$failures" | cut -f3 | grep -qF "brevanto-batch: $study/plateB/broken.raw" ||
    fail "failed.tsv lacks brevanto-batch's message: $(cat "$failures")"
if [ "$mode" != local ]; then
    submitted=$(find "$run/.standin-cluster" -name '*.rc' | wc -l)
    [ "$submitted" -eq "${#expected_inputs[@]}" ] ||
        fail "$submitted jobs went through the stand-in scheduler, expected ${#expected_inputs[@]}"
    [ "$(grep -L "^0$" "$run/.standin-cluster"/*.rc | wc -l)" -eq 1 ] ||
        fail "the stand-in scheduler saw other than one failed job"
fi
if [ "$mode" = slurm ]; then
    # What the profile asked SLURM for, job by job: the workflow's declared resources.
    for request in "$run/.standin-cluster"/*.request; do
        grep -qx "brevanto-filter_[a-z_]* cpus=1 mem=512 time=10" "$request" ||
            fail "a job asked SLURM for: $(cat "$request")"
    done
fi

# 2. The broken input is mended (a fresh acquisition); only its job runs again.
declare -A before
for input in "${expected_inputs[@]}"; do
    [ "$input" = plateB/broken.raw ] || before[$input]=$(stamp "$input")
done
rm -rf "$study/plateB/broken.raw" "$ref/plateB/broken.raw"
synth plateB/broken.raw 5
snake || fail "the rerun failed"
reference plateB/broken.raw
same_output plateB/broken.raw
[ ! -e "$failures" ] || fail "failed.tsv outlived the run that mended the failure"
for input in "${!before[@]}"; do
    [ "$(stamp "$input")" = "${before[$input]}" ] ||
        fail "$input ran again although it had not changed"
done

# The table: one row per input and function, in the order of the inputs, as brevanto-batch
# printed them.
counts='^(.*) -> .*  function ([0-9]+): ([0-9]+) peaks read, ([0-9]+) kept'
{
    printf 'input\tfunction\tpeaks read\tpeaks kept\tstatus\n'
    for input in "${expected_inputs[@]}"; do
        grep -F "$study/$input -> " "$work/reference.out" |
            sed -E "s/$counts\$/\\1\t\\2\t\\3\t\\4\tfiltered/;
                    s/$counts \(no rules: copied whole\)\$/\\1\t\\2\t\\3\t\\4\tcopied whole/"
    done
} > "$work/expected.tsv"
[ "$(wc -l < "$work/expected.tsv")" -eq $((1 + 2 * ${#expected_inputs[@]})) ] ||
    fail "brevanto-batch's own summary has an unexpected number of lines"
diff "$work/expected.tsv" "$run/brevanto-results/summary.tsv" || fail "the table is wrong"

# 3. Nothing changed: nothing to do.
snake || fail "the third run failed"
grep -q "Nothing to be done" "$run/snakemake.out" ||
    fail "the third run did work although nothing had changed"
# 4. Rules edited: every input is filtered again.
for input in "${expected_inputs[@]}"; do before[$input]=$(stamp "$input"); done
echo "# edited" >> "$run/study.rules"
snake || fail "the run after editing the rules failed"
for input in "${expected_inputs[@]}"; do
    [ "$(stamp "$input")" != "${before[$input]}" ] || fail "$input did not run again with new rules"
done

echo "workflow ($mode): ${#expected_inputs[@]} inputs, outputs and table as brevanto-batch's own"
