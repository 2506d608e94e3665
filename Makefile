# Front door for a new machine: `make demo` installs what is missing, builds and runs the main
# job on sample data; `make test` checks the formatting, then runs every test, once with warnings
# as errors and once under AddressSanitizer and UndefinedBehaviorSanitizer (which also replays
# the kept fuzz corpora), then the fuzzers for about two minutes.

JOBS ?= $(shell nproc)

.PHONY: deps demo build test check-format test-release test-asan test-fuzz bench clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

demo: build
	bash scripts/demo.sh build/release

test: deps check-format test-release test-asan test-fuzz

# Every C++ file as .clang-format has it; names the files that differ.
check-format:
	bash scripts/check-format.sh

test-release:
	cmake --preset ci >/dev/null
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)

test-asan:
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# A short run of every fuzzer (clang, libFuzzer) from its kept corpus.
test-fuzz:
	bash scripts/run-fuzz.sh

bench: build
	bash bench/run.sh build/release

clean:
	rm -rf build
