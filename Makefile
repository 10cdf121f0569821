# Front door: make deps | build | test | demo | bench
BUILD ?= build
CMAKE_FLAGS ?=
PACKAGES = cmake ninja-build g++-mingw-w64-i686 wine wine32:i386 xvfb xauth \
  mscompress imagemagick fonts-liberation liblnk-utils file clang libclang-rt-14-dev \
  googletest pkg-config libmspack-dev mtools
# The host builds: setupkit for Linux, and the sanitizer build of the pure code
# with its unit tests and fuzz targets.
HOST_BUILD = $(BUILD)/host
ASAN_BUILD = $(BUILD)/host-asan
FUZZ_SECONDS ?= 60

.PHONY: deps build sanitize test fuzz demo bench clean

deps:
	@scripts/install-deps.sh $(PACKAGES)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tests/harness/wine-run -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

$(HOST_BUILD)/build.ninja:
	cmake -S host -B $(HOST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DSETUPKIT_OUTPUT_DIR=$(abspath $(BUILD))

$(ASAN_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S host -B $(ASAN_BUILD) -G Ninja -DHOST_SANITIZE=ON

build: deps $(BUILD)/build.ninja $(HOST_BUILD)/build.ninja
	cmake --build $(BUILD)
	cmake --build $(HOST_BUILD)

sanitize: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD)

test: build sanitize
	tests/harness/run-tests.sh $(BUILD)

fuzz: sanitize
	tests/fuzz/run-all.sh $(ASAN_BUILD) $(FUZZ_SECONDS)

demo: build
	demo/run-demo.sh $(BUILD)

bench: build
	bench/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
