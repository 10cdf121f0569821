# Front door: make deps | build | test | demo | bench
BUILD ?= build
CMAKE_FLAGS ?=
PACKAGES = cmake ninja-build g++-mingw-w64-i686 wine wine32:i386 xvfb xauth \
  mscompress imagemagick fonts-liberation liblnk-utils file clang libclang-rt-14-dev

.PHONY: deps build test demo bench clean

deps:
	@scripts/install-deps.sh $(PACKAGES)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tests/harness/wine-run -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

test: build
	tests/harness/run-tests.sh $(BUILD)

demo: build
	demo/run-demo.sh $(BUILD)

bench: build
	bench/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
