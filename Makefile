# Thin wrappers around the CMake presets; see README.md.

JOBS ?= $(shell nproc)
EXAMPLE := examples/cards

.PHONY: all deps build debug test test-core asan bench demo format clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

debug: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

# Every test: the core alone (proves it needs no Qt), then the full build with the command line.
test: deps
	cmake --preset core
	cmake --build --preset core -j $(JOBS)
	ctest --preset core -j $(JOBS)
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)
	ctest --preset debug -j $(JOBS)

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: build
	bench/run.sh

demo: build
	rm -rf $(EXAMPLE)/out
	cd $(EXAMPLE) && ../../build/release/stencilor --run cards.ql
	@echo "Report: $(CURDIR)/$(EXAMPLE)/out/report.html"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build $(EXAMPLE)/out
