# Thin wrappers around the CMake presets; see README.md.

JOBS ?= $(shell nproc)
EXAMPLE := examples/cards
FUZZ_SECONDS ?= 20

.PHONY: all deps build debug test test-core asan fuzz bench big-inputs demo format clean

all: build

deps:
	@scripts/install-deps.sh

# The program alone, in the release preset a user builds with (no test suite, no benchmarks).
build:
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target stencilor

debug:
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

# Every test: the core alone (proves it needs no Qt), then the full build with the command line,
# then all of it again under AddressSanitizer and UndefinedBehaviorSanitizer, then a short run
# of every fuzz program.
test: deps
	cmake --preset core
	cmake --build --preset core -j $(JOBS)
	ctest --preset core -j $(JOBS)
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)
	ctest --preset debug -j $(JOBS)
	$(MAKE) asan
	$(MAKE) fuzz

asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The libFuzzer programs (clang), each run for FUZZ_SECONDS from the seed corpus in fuzz/corpus/.
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	fuzz/run.sh $(FUZZ_SECONDS)

bench: build
	cmake --build --preset release -j $(JOBS) --target stencilor_text_bench
	bench/run.sh

# A 1 GB data file, a 50 MB line, 100,000 fields and a 100 MB template: peak memory and time.
big-inputs: build
	bench/big_inputs.sh

# Only README's two commands (demo, test) and deps install packages; every other target uses
# what is there.
demo: deps
	$(MAKE) build
	rm -rf $(EXAMPLE)/out
	cd $(EXAMPLE) && ../../build/release/stencilor --run cards.ql
	@echo "Report: $(CURDIR)/$(EXAMPLE)/out/report.html"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build $(EXAMPLE)/out
