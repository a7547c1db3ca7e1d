# make run   builds the release preset and starts Kardol in GAME_DIR
# make test  builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs ctest
# make fuzz  writes the seed corpus (make_fuzz_seeds) and runs each libFuzzer target of the
#            sanitizer build for FUZZ_SECONDS, nproc at a time
# make bench builds the release preset and runs every benchmark program, each briefly
JOBS ?= $(shell nproc)
DEMO_DIR := $(CURDIR)/build/demo
GAME_DIR ?= $(DEMO_DIR)
FUZZ_SECONDS ?= 20
# Seconds each benchmark measures, and the most a whole benchmark program may take.
BENCH_MIN_TIME ?= 0.05
BENCH_TIMEOUT ?= 300

.PHONY: deps run test fuzz bench format clean

deps:
	@bash tools/install-deps.sh

run: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	@# The demo folder is written afresh so it follows the generator; a folder of your own is left alone.
	@if [ "$(GAME_DIR)" = "$(DEMO_DIR)" ]; then build/release/tools/make_demo/make_demo "$(DEMO_DIR)"; fi
	mkdir -p "$(GAME_DIR)"
	@# As an installer would: the game folder is recorded as "WorkPath", where Update and Patchrunner look.
	@sh tools/record-work-path.sh "$(GAME_DIR)"
	cd "$(GAME_DIR)" && $(CURDIR)/build/release/Kardol

test: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The sanitizer build holds the fuzz targets too: one build serves the tests and the fuzzers.
fuzz: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	rm -rf build/asan/fuzz-seeds
	build/asan/fuzz/seeds/make_fuzz_seeds build/asan/fuzz-seeds
	bash tools/run-fuzzers.sh build/asan/fuzz build/asan/fuzz-seeds $(FUZZ_SECONDS) $(JOBS)

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	@status=0; for b in build/release/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	  timeout $(BENCH_TIMEOUT) "$$b" --benchmark_min_time=$(BENCH_MIN_TIME) || { echo "$$b failed"; status=1; }; \
	done; exit $$status

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
