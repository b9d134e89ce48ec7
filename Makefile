# Set-up and everyday commands. `make run` and `make test` install what is
# missing (Debian 12, as root), build, and start the program or run the tests.

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
ARGS       ?=

# Debian packages the build, the tests and the GUI need.
PACKAGES := build-essential cmake pkg-config libgtest-dev libgmock-dev \
            qt6-base-dev libgl-dev xvfb xauth fonts-noto-cjk \
            qt6-translations-l10n
# The updater's HTTP client, its signature check (libcrypto), its loopback
# test server, test keys and certificate, and the package build
# (dpkg-shlibdeps, dpkg-buildflags).
PACKAGES += libcurl4-openssl-dev libssl-dev python3 openssl dpkg-dev
# The metadata and hash functions of the formula language: Exiv2 (photos),
# TagLib (audio), MediaInfoLib (video; the library alone, see
# cmake/FileMetaLibraries.cmake), poppler-cpp (PDF), libcrypto, zlib and
# xxHash (hashes).
PACKAGES += libexiv2-dev libtag1-dev libmediainfo0v5 libpoppler-cpp-dev libssl-dev zlib1g-dev libxxhash-dev
# Regular expressions (the 16-bit library with JIT).
PACKAGES += libpcre2-dev
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
FUZZ_TIMEOUT ?= 10
# The Windows cross-build: mingw-w64 compilers, Wine to run the tests, the
# GoogleTest sources to build it for the target, dpkg-source to unpack
# PCRE2's Debian sources for it, zip for the download.
WINDOWS_PACKAGES := cmake make googletest mingw-w64 wine wine64 zip dpkg-dev
WINDOWS_BUILD ?= build-windows

.PHONY: all deps configure build run test test-asan test-tsan bench fuzz clean screenshots soak test-windows dist-windows

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
	@./tools/check-layering.sh
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core tests again under AddressSanitizer and UBSan (no Qt).
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKQ_SANITIZE=ON -DKQ_BUILD_GUI=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The tests of the code that runs on several threads (the name cycle, the
# preview's problem check, the file-metadata reader) under ThreadSanitizer.
TSAN_TESTS ?= NameCycle|RowProblems|FileMeta|Parallel
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_TSAN=ON -DKQ_BUILD_GUI=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_renamer_modes test_renamer_safety test_formula_filemeta
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

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

# The crash test of rename and recover with many more random kill points.
SOAK_CASES ?= 2000
soak: build
	cd $(BUILD) && KQ_SOAK_CASES=$(SOAK_CASES) ctest --output-on-failure -R Recover.SurvivesKillsAnywhere --timeout 3600

# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
# (FUZZ_TIMEOUT seconds at most per input, 2 GB of memory at most).
fuzz:
	@./tools/install-deps.sh $(PACKAGES) $(FUZZ_PACKAGES)
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_FUZZ=ON -DKQ_BUILD_GUI=OFF -DKQ_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target kq_fuzzers
	@./tools/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TIMEOUT)

# The Debian package of the build tree (BUILD/kqtools_VERSION_ARCH.deb). The
# check runs lintian and the metadata validators on it, installs it on this
# machine with apt, tries the programs and purges it again (as root).
# `make package-release` builds the package in a tree of its own configured
# as a distribution configures one (prefix /usr, dpkg-buildflags hardening,
# no tests) and checks it the same way: slower, for the package a site serves.
RELEASE_BUILD ?= build-deb
PACKAGE_CHECK_PACKAGES := lintian appstream desktop-file-utils man-db groff-base bash-completion zsh fish
.PHONY: package package-check package-release
package: build
	cmake --build $(BUILD) --target package

package-check: package
	@./tools/install-deps.sh $(PACKAGE_CHECK_PACKAGES)
	@./tools/check-package.sh $(BUILD)

package-release: deps
	./tools/build-package.sh $(RELEASE_BUILD) $(JOBS)
	@./tools/install-deps.sh $(PACKAGE_CHECK_PACKAGES)
	@./tools/check-package.sh $(RELEASE_BUILD)

# PNGs of the main window in each mode and of its file dialogs into docs/ (Xvfb, CJK fonts).
screenshots: configure
	@./tools/screenshots.sh $(BUILD) docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(RELEASE_BUILD)
