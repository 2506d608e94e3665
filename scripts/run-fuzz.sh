#!/usr/bin/env bash
# Builds the fuzz preset and runs the raw data reader fuzzer for about a minute over the seed
# corpus (generated fresh, plus anything kept in fuzz/corpus/), then the open-format codec
# fuzzer for half that. Exits non-zero on a crash.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-55}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target raw_read_fuzzer make_seed_corpus mzml_codec_fuzzer

corpus=build/fuzz/corpus
seeds=build/fuzz/seeds
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds"
build/fuzz/fuzz/make_seed_corpus "$seeds"
dirs=("$corpus" "$seeds")
if [ -d fuzz/corpus ]; then dirs+=(fuzz/corpus); fi

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
build/fuzz/fuzz/mzml_codec_fuzzer "$codec_corpus" \
    -max_total_time="$(( (seconds + 1) / 2 ))" -timeout=10 -rss_limit_mb=1024 -max_len=4096 \
    -artifact_prefix=build/fuzz/ -print_final_stats=1
