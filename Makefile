# SPDX-License-Identifier: GPL-3.0-or-later
# Top-level commands. `make test` and `make demo` install missing packages first.
BUILD_DIR ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all build deps configure test demo sanitize fuzz bench clean

all: build

deps:
	@scripts/install-deps.sh

configure:
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: deps build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: deps build
	@scripts/run-demo.sh $(BUILD_DIR)

# AddressSanitizer + UndefinedBehaviorSanitizer build of everything, then the tests.
sanitize: deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRAXEL_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang); FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 30
fuzz: deps
	@scripts/run-fuzz.sh $(FUZZ_SECONDS)

bench: deps
	@cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAXEL_BENCH=ON >/dev/null
	@cmake --build build -j $(JOBS)
	@echo "benchmarks are in build/bench/"

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz
