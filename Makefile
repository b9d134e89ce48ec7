# Set-up and everyday commands. `make run` and `make test` install what is
# missing (Debian 12, as root), build, and start the program or run the tests.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
ARGS       ?=

# Debian packages the build, the tests and the GUI need.
PACKAGES := build-essential cmake pkg-config libgtest-dev libgmock-dev \
            qt6-base-dev libgl-dev xvfb xauth fonts-noto-cjk
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
# The Windows cross-build: mingw-w64 compilers, Wine to run the tests, the
# GoogleTest sources to build it for the target, zip for the download.
WINDOWS_PACKAGES := cmake make googletest mingw-w64 wine wine64 zip
WINDOWS_BUILD ?= build-windows

.PHONY: all deps configure build run test test-asan bench fuzz clean screenshots test-windows dist-windows

all: build

deps:
	@./tools/install-deps.sh $(PACKAGES)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@./tools/run-program.sh $(BUILD) $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core tests again under AddressSanitizer and UBSan (no Qt).
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKQ_SANITIZE=ON -DKQ_BUILD_GUI=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The core, kqtools-cli.exe and their tests cross-built with mingw-w64 and
# run under Wine (a prefix of its own inside WINDOWS_BUILD, no display).
test-windows:
	@./tools/install-deps.sh $(WINDOWS_PACKAGES)
	./tools/windows.sh test $(WINDOWS_BUILD) $(JOBS)

# kqtools-<version>-windows-x64.zip: kqtools-cli.exe with what it needs.
dist-windows:
	@./tools/install-deps.sh $(WINDOWS_PACKAGES)
	./tools/windows.sh dist $(WINDOWS_BUILD) $(JOBS)

bench: build
	@./bench/run.sh $(BUILD)

# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS.
fuzz:
	@./tools/install-deps.sh $(PACKAGES) $(FUZZ_PACKAGES)
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_FUZZ=ON -DKQ_BUILD_GUI=OFF -DKQ_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for f in $(FUZZ_BUILD)/fuzz/*_fuzz; do \
	    [ -x "$$f" ] || continue; mkdir -p fuzz-out/$$(basename $$f); \
	    echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=fuzz-out/ fuzz-out/$$(basename $$f) || exit 1; \
	done

# PNGs of the main window in each mode into docs/ (Xvfb, CJK fonts).
screenshots: configure
	@./tools/screenshots.sh $(BUILD) docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
