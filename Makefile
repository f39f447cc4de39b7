# Every target does its own set-up on a fresh machine (scripts/install-deps.sh).
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build test test-asan test-tsan demo bench clean format

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARNEVO_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

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

# tarnevo beside the Python loaders a user would write instead, on a generated corpus, in a
# Release build of its own; writes bench/results.md. LARGE=1 adds the 100,000-key corpus.
BENCH_BUILD ?= build-release
bench:
	bash scripts/install-deps.sh --bench
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEVO_WERROR=ON \
	  -DTARNEVO_BUILD_TESTS=OFF -DTARNEVO_BUILD_BENCH=ON -DTARNEVO_BUILD_CLI=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target tarnevo_python parser_floor
	python3 bench/gen_corpus.py $(if $(LARGE),--large)
	python3 bench/run_bench.py --module-dir $(BENCH_BUILD)/bindings/python $(if $(LARGE),--large) \
	  --floor-tool $(BENCH_BUILD)/bench/parser_floor --command "make bench$(if $(LARGE), LARGE=1)"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.hpp' '*.h' '*.c')

clean:
	rm -rf build build-asan build-tsan build-release
