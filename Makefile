# Set-up and everyday commands. `make run` and `make test` install what is
# missing (Debian 12, as root), build, and start the program or run the tests.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
ARGS       ?=

# Debian packages the build, the tests and the GUI need.
PACKAGES := build-essential cmake pkg-config libgtest-dev libgmock-dev \
            qt6-base-dev libgl-dev xvfb xauth fonts-noto-cjk clang libclang-rt-14-dev

.PHONY: all deps configure build run test test-asan bench fuzz clean

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

bench: build
	@./bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
