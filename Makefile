# Front door: make deps | build | test | demo | bench | install | deb
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=
DEB_DIR ?= $(BUILD)
# What building and installing the kit needs: setupkit, the programs it
# ships, and the Debian package (dpkg-dev's dpkg-shlibdeps).
BUILD_PACKAGES = cmake ninja-build g++ g++-mingw-w64-i686 pkg-config libmspack-dev libssl-dev \
  dpkg-dev
# The tests, the demo and the benchmarks need the rest: Wine, Xvfb, the
# sanitizer tool chain and the tools the tests compare with (a Japanese font
# for the code-page test's screenshots).
PACKAGES = $(BUILD_PACKAGES) wine wine32:i386 xvfb xauth \
  mscompress imagemagick fonts-liberation fonts-vlgothic liblnk-utils file clang libclang-rt-14-dev \
  googletest mtools locales \
  wine64 g++-mingw-w64-x86-64-posix osslsigncode openssl xorriso
# The host builds: setupkit for Linux, and the sanitizer build of the pure code
# with its unit tests and fuzz targets.
HOST_BUILD = $(BUILD)/host
ASAN_BUILD = $(BUILD)/host-asan
FUZZ_SECONDS ?= 60
# Where the machine cannot run 32-bit code only 64-bit Wine starts: the tests,
# the demo and the benchmark then run an x86_64 build of the same sources.
WINE_ARCH := $(shell scripts/wine-arch.sh)
WIN64_BUILD = $(BUILD)/win64
RUN_BUILD = $(if $(filter win64,$(WINE_ARCH)),$(WIN64_BUILD),$(BUILD))
export WINE_ARCH

.PHONY: deps build-deps build programs install deb win64 sanitize test fuzz demo bench clean

deps:
	@scripts/install-deps.sh $(PACKAGES)

build-deps:
	@scripts/install-deps.sh $(BUILD_PACKAGES)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tests/harness/wine-run -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

$(HOST_BUILD)/build.ninja:
	cmake -S host -B $(HOST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DSETUPKIT_OUTPUT_DIR=$(abspath $(BUILD))

$(ASAN_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S host -B $(ASAN_BUILD) -G Ninja -DHOST_SANITIZE=ON

$(WIN64_BUILD)/build.ninja:
	cmake -S . -B $(WIN64_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tests/harness/wine-run -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja $(HOST_BUILD)/build.ninja
	@grep -qx 'SETUP_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt || cmake $(BUILD) -DSETUP_TESTS=ON
	cmake --build $(BUILD)
	cmake --build $(HOST_BUILD)
	@if [ "$(WINE_ARCH)" = win64 ]; then $(MAKE) --no-print-directory win64; fi

# setupkit and the three programs it ships, without the tests.
programs: build-deps $(BUILD)/build.ninja $(HOST_BUILD)/build.ninja
	cmake --build $(BUILD) --target setup uninst webstub
	cmake --build $(HOST_BUILD)

install: programs
	DESTDIR="$(DESTDIR)" cmake --install $(HOST_BUILD) --prefix "$(PREFIX)"

# setupkit_<version>_<arch>.deb in DEB_DIR (default BUILD).
deb: programs
	scripts/make-deb.sh $(HOST_BUILD) $(DEB_DIR)

# The x86_64 build, with the host's setupkit beside its programs as in BUILD.
win64: $(WIN64_BUILD)/build.ninja
	cmake --build $(WIN64_BUILD)
	ln -sf $(abspath $(BUILD))/setupkit $(WIN64_BUILD)/setupkit

sanitize: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD)

# The fuzz runner as `make fuzz` calls it, a few seconds per target, so that
# the runner itself is tested.
FUZZ_TEST_SECONDS ?= 3

test: build sanitize
	tests/fuzz/run-all.sh $(ASAN_BUILD) $(FUZZ_TEST_SECONDS)
	HOST_TEST_DIR=$(ASAN_BUILD) tests/harness/run-tests.sh $(RUN_BUILD)

fuzz: sanitize
	tests/fuzz/run-all.sh $(ASAN_BUILD) $(FUZZ_SECONDS)

demo: build
	demo/run-demo.sh $(RUN_BUILD)

bench: build
	bench/run-bench.sh $(RUN_BUILD)

clean:
	rm -rf $(BUILD)
