#!/usr/bin/env bash
# Builds the fuzz preset and runs the raw data reader fuzzer for about a minute over the seed
# corpus (generated fresh, plus the kept corpus in fuzz/corpus/raw_read_fuzzer/), then the
# open-format codec fuzzer for half that, then the open-format reader and filter fuzzer for
# about half a minute over tiny generated documents and the shared sample files (copied into the
# build tree at run time, never into the repository), then the rule parser and the list-file
# reader for a quarter each. Exits non-zero on a crash.
#
# Each kept corpus, fuzz/corpus/<fuzzer>/, is replayed by ctest on every run (tests/fuzz/). To
# keep what a run found, merge it in, keeping the corpus small:
#   build/fuzz/fuzz/<fuzzer> -merge=1 fuzz/corpus/<fuzzer> build/fuzz/<its work corpus>
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-55}"
open_format_seconds="${OPEN_FORMAT_FUZZ_SECONDS:-30}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target raw_read_fuzzer make_seed_corpus mzml_codec_fuzzer \
    open_format_fuzzer make_open_format_seeds rule_text_fuzzer input_list_fuzzer

corpus=build/fuzz/corpus
seeds=build/fuzz/seeds
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds"
build/fuzz/fuzz/make_seed_corpus "$seeds"
dirs=("$corpus" "$seeds")
if [ -d fuzz/corpus/raw_read_fuzzer ]; then dirs+=(fuzz/corpus/raw_read_fuzzer); fi

# Leaks are real failures too; -timeout catches a read that loops.
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
build/fuzz/fuzz/raw_read_fuzzer "${dirs[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=65536 \
    -artifact_prefix=build/fuzz/ -print_final_stats=1

codec_corpus=build/fuzz/codec-corpus
mkdir -p "$codec_corpus"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
build/fuzz/fuzz/mzml_codec_fuzzer "$codec_corpus" fuzz/corpus/mzml_codec_fuzzer \
    -max_total_time="$(( (seconds + 1) / 2 ))" -timeout=10 -rss_limit_mb=1024 -max_len=4096 \
    -artifact_prefix=build/fuzz/ -print_final_stats=1

# The open formats: tiny documents made fresh, the shared samples when they are there.
corpus=build/fuzz/open_format_corpus
seeds=build/fuzz/open_format_seeds
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds"
build/fuzz/fuzz/make_open_format_seeds "$seeds"
shared=../shared/data
if [ -d "$shared" ]; then
    find "$shared" -maxdepth 1 -type f \( -iname '*.mzML' -o -iname '*.mzXML' -o -iname '*.gz' \) \
        -exec cp {} "$seeds"/ \;
    chmod u+w "$seeds"/*
fi
dirs=("$corpus" "$seeds")
if [ -d fuzz/open_format_corpus ]; then dirs+=(fuzz/open_format_corpus); fi

# The shared samples reach 230 KB; -max_len keeps them whole.
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
build/fuzz/fuzz/open_format_fuzzer "${dirs[@]}" -dict=fuzz/open_format.dict \
    -max_total_time="$open_format_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
    -artifact_prefix=build/fuzz/open_format_ -print_final_stats=1

# The text readers: rules as typed on a command line, list and rule files.
for text_fuzzer in rule_text_fuzzer input_list_fuzzer; do
    work="build/fuzz/${text_fuzzer}-corpus"
    mkdir -p "$work"
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "build/fuzz/fuzz/$text_fuzzer" "$work" "fuzz/corpus/$text_fuzzer" \
        -max_total_time="$(( (seconds + 3) / 4 ))" -timeout=10 -rss_limit_mb=1024 -max_len=4096 \
        -artifact_prefix=build/fuzz/ -print_final_stats=1
done
