# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrappers around the CMake presets; see README.md and docs/.

JOBS ?= $(shell nproc)
EXAMPLE := examples/cards
FUZZ_SECONDS ?= 20

.PHONY: all deps test-deps build debug test test-core asan fuzz bench-build bench big-inputs demo deb deb-check format clean

all: build

# What building and running the program needs.
deps:
	@scripts/install-deps.sh

# That and what the tests, the fuzz programs, the Debian package and the benchmarks need.
test-deps:
	@scripts/install-deps.sh --test

# The program and what `cmake --install` puts beside it (icons, manual page, completion), in the
# release preset a user builds with; no test suite, no benchmarks.
INSTALLED_TARGETS := stencilor $(if $(filter 1,$(NO_DESKTOP_FILES)),,stencilor_icons stencilor_documents)
build:
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target $(INSTALLED_TARGETS)

debug:
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

# Every test: the core alone (proves it needs no Qt), then the full build with the window and the
# command line under AddressSanitizer and UndefinedBehaviorSanitizer (every test, the same as the
# debug preset's, with the sanitizers watching), then a short run of every fuzz program.
test: test-deps
	cmake --preset core
	cmake --build --preset core -j $(JOBS)
	ctest --preset core -j $(JOBS)
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

# The program as a user builds it (release build type) with the text micro benchmarks and the
# data file reader's (bench/workbook.sh), in build/bench/.
bench-build:
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS) --target stencilor stencilor_text_bench stencilor_workbook_bench stencilor_window_bench

bench: bench-build
	bench/run.sh

# A 1 GB data file, a 50 MB line, 100,000 fields and a 100 MB template: peak memory and time.
big-inputs: bench-build
	bench/big_inputs.sh

# Only README's two commands (demo, test), deps and test-deps install packages; every other
# target uses what is there. The demo installs only what the program needs.
demo: deps
	$(MAKE) build NO_DESKTOP_FILES=1
	rm -rf $(EXAMPLE)/out
	cd $(EXAMPLE) && ../../build/release/stencilor --run cards.ql
	@echo "Report: $(CURDIR)/$(EXAMPLE)/out/report.html"
	@# The second example: a spreadsheet export (quoted fields, header, byte-order mark).
	rm -rf examples/spreadsheet/out
	cd examples/spreadsheet && ../../build/release/stencilor --run spreadsheet.ql
	@echo "Report: $(CURDIR)/examples/spreadsheet/out/report.html"
	@# The third: a workbook read directly (an .xlsx saved by LibreOffice Calc, its "members" sheet).
	rm -rf examples/workbook/out
	cd examples/workbook && ../../build/release/stencilor --run workbook.ql
	@echo "Report: $(CURDIR)/examples/workbook/out/report.html"

# The Debian packages in build/deb/ (stencilor_<version>-1_<arch>.deb, its -dbgsym package, the
# source package), built from this tree by dpkg-buildpackage with debian/ (see
# scripts/build-deb.sh), in a build of their own with dpkg-buildflags' hardening. It installs no
# Debian packages itself: `make test-deps` (or `make test`) brings what it needs.
deb:
	scripts/build-deb.sh $(JOBS)

# Checks the packages (hardening, debug symbols, lintian, the validators, the manual page and
# completion tests) and installs and removes them: on this machine with dpkg as root, in a
# dpkg --root folder otherwise.
deb-check: deb
	tests/package/check_deb.sh build/deb build/deb-build

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build $(EXAMPLE)/out
