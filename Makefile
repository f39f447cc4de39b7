# Every target does its own set-up on a fresh machine (scripts/install-deps.sh).
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
# Python tools live in the project's own virtual environment (scripts/install-deps.sh makes it):
# its bin/ comes first on PATH for every target, and the Python module and its tests use its
# interpreter. The system's Python is never changed.
VENV ?= $(CURDIR)/.venv
export TARNEVO_VENV := $(VENV)
export PATH := $(VENV)/bin:$(PATH)
PYTHON_FLAG = -DPython_EXECUTABLE=$(VENV)/bin/python

.PHONY: deps configure build test test-asan test-tsan demo bench clean format format-check tidy dist release-check

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARNEVO_WERROR=ON $(PYTHON_FLAG) $(CMAKE_FLAGS)

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

# Builds the command alone and runs it on the bundled example directories.
TARNEVO_CMD = $(BUILD)/cli/tarnevo
demo: configure
	cmake --build $(BUILD) --target tarnevo_cli -j $(JOBS)
	@echo; echo '$$ tarnevo languages examples/locales'
	@$(TARNEVO_CMD) languages examples/locales
	@echo; echo '$$ tarnevo check examples/locales'
	@$(TARNEVO_CMD) check examples/locales
	@echo; echo '$$ tarnevo load examples/locales fr --pretty    # fr, completed from en'
	@$(TARNEVO_CMD) load examples/locales fr --pretty
	@echo; echo '$$ tarnevo load examples/locales pt    # no pt: the default locale instead'
	@$(TARNEVO_CMD) load examples/locales pt
	@echo; echo '$$ tarnevo check examples/broken    # broken on purpose, so the status is 1'
	@status=0; $(TARNEVO_CMD) check examples/broken || status=$$?; \
	  if [ $$status -ne 1 ]; then echo "demo: expected exit status 1, got $$status" >&2; exit 1; fi; \
	  echo "(exit status 1, as expected)"
	@echo; echo '$$ tarnevo check examples/findings    # one of each finding; a placeholder mismatch fails'
	@status=0; $(TARNEVO_CMD) check examples/findings || status=$$?; \
	  if [ $$status -ne 1 ]; then echo "demo: expected exit status 1, got $$status" >&2; exit 1; fi; \
	  echo "(exit status 1, as expected)"

# tarnevo beside the Python loaders a user would write instead, on a generated corpus, in a
# Release build of its own; writes bench/results.md. LARGE=1 adds the 100,000-key corpus.
BENCH_BUILD ?= build-release
bench:
	bash scripts/install-deps.sh --bench
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEVO_WERROR=ON \
	  -DTARNEVO_BUILD_TESTS=OFF -DTARNEVO_BUILD_BENCH=ON -DTARNEVO_BUILD_CLI=OFF -DTARNEVO_BUILD_PYTHON=ON \
	  -DTARNEVO_BUILD_C_LIBRARY=ON $(PYTHON_FLAG)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target tarnevo_python parser_floor
	python3 bench/gen_corpus.py $(if $(LARGE),--large)
	python3 bench/run_bench.py --module-dir $(BENCH_BUILD)/bindings/python $(if $(LARGE),--large) \
	  --floor-tool $(BENCH_BUILD)/bench/parser_floor --command "make bench$(if $(LARGE), LARGE=1)"

# The style is .clang-format's, applied by Debian's clang-format 14; format-check fails on any
# difference (CI runs it).
FORMATTED = $$(git ls-files '*.cpp' '*.hpp' '*.h' '*.c')
format:
	bash scripts/install-deps.sh --lint
	clang-format -i $(FORMATTED)

format-check:
	bash scripts/install-deps.sh --lint
	clang-format --dry-run --Werror $(FORMATTED)

# clang-tidy over the core with the checks in .clang-tidy, from the build's compile commands.
# clang 14 reads C++23 as c++2b and needs the std::expected stand-in in compat/.
tidy: configure
	bash scripts/install-deps.sh --lint
	git ls-files 'core/src/*.cpp' | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD) --quiet \
	  --extra-arg=-std=c++2b --extra-arg=-I$(CURDIR)/compat

# The release files, checked as a user gets them: the sdist, a wheel built from that sdist (so a
# file missing from the sdist shows), repaired by auditwheel to the best manylinux tag this
# machine allows, twine check, then the wheel installed into a fresh environment with no
# compiler on PATH and the Python tests run against it. Writes dist/.
dist:
	bash scripts/install-deps.sh --dist
	bash scripts/dist.sh dist

# What can be checked here of the release workflow for other platforms: the wheels cibuildwheel
# would build, and actionlint on the workflow.
release-check:
	bash scripts/install-deps.sh --dist
	bash scripts/release-check.sh

clean:
	rm -rf build build-asan build-tsan build-release build-library dist
