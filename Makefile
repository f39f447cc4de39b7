# Every target does its own set-up on a fresh machine (scripts/install-deps.sh).
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: deps configure build test test-asan test-tsan demo clean format

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARNEVO_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The libFuzzer targets (fuzz/), built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in a build directory of their own (make clean leaves it).
.PHONY: fuzz-build fuzz
fuzz-build:
	bash scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja
	cmake --build build-fuzz -j $(JOBS)

# Runs every fuzz target for FUZZ_SECONDS each, one at a time, at the lowest CPU priority.
fuzz: fuzz-build
	bash scripts/run-fuzzers.sh $(FUZZ_SECONDS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	$(MAKE) test BUILD=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="-DTARNEVO_SANITIZE=address -DTARNEVO_BUILD_PYTHON=OFF -DTARNEVO_BUILD_BENCH=OFF"

# The concurrency tests under ThreadSanitizer.
test-tsan:
	$(MAKE) build BUILD=build-tsan BUILD_TYPE=RelWithDebInfo CMAKE_FLAGS="-DTARNEVO_SANITIZE=thread -DTARNEVO_BUILD_PYTHON=OFF -DTARNEVO_BUILD_BENCH=OFF"
	ctest --test-dir build-tsan --output-on-failure -L concurrency

demo: build
	@if [ -x $(BUILD)/cli/tarnevo ]; then \
	  $(BUILD)/cli/tarnevo check examples/locales && $(BUILD)/cli/tarnevo load examples/locales fr --pretty; \
	else \
	  echo "tarnevo: the command-line demo is not built yet; the library and its tests are (make test)."; \
	fi

format:
	clang-format -i $$(git ls-files '*.cpp' '*.hpp' '*.h' '*.c')

clean:
	rm -rf build build-asan build-tsan
