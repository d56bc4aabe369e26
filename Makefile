# Two entry points: `make run` builds and starts the game, `make test` builds
# and runs every test (a normal build and a sanitizer build). Both install the
# Debian packages they need first; ./build.sh gets make itself onto a bare
# machine and then runs these.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# Fuzzing: seconds per deep target, and targets running at once (one core
# each). The reader targets run FUZZ_READER_SECONDS each, or to
# FUZZ_READER_RUNS inputs when that is set.
FUZZ_BUILD    ?= build-fuzz
FUZZ_COVERAGE_BUILD ?= build-fuzz-cov
FUZZ_SECONDS  ?= 60
FUZZ_READER_SECONDS ?= 20
FUZZ_READER_RUNS ?=
FUZZ_PARALLEL ?= 2
FUZZ_TARGETS  = fuzz_level fuzz_replay fuzz_level_text fuzz_key_script \
  fuzz_level_reader fuzz_replay_reader fuzz_level_text_reader fuzz_key_script_reader

.PHONY: run test deps deps-game build build-asan build-fuzz test-normal test-asan bench fuzz fuzz-long clean demo-gif

run: build
	cd $(BUILD) && ./zuno

test: test-normal test-asan

deps:
	@./scripts/install-deps all

deps-game:
	@./scripts/install-deps game

build: deps-game
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZUNO_SANITIZE=ON -DZUNO_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-normal: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The README's animation: a scripted drive over the shipped course, recorded
# and drawn headless by the game's own code (see the README).
demo-gif: build
	$(BUILD)/zuno-replay drive --level $(BUILD)/0.lev --keys data/demo.keys -o $(BUILD)/demo.rec
	$(BUILD)/zuno-replay gif $(BUILD)/demo.rec --level $(BUILD)/0.lev -o docs/demo.gif --to 749

# libFuzzer targets of every file reader, in a clang build of their own
# (coverage, AddressSanitizer, UBSan); see the README. `make fuzz` is
# CI's short run, `make fuzz-long` the longer one before a release.
build-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNO_FUZZ=ON \
	  -DZUNO_TESTS=OFF -DZUNO_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_COVERAGE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNO_FUZZ=ON \
	  -DZUNO_FUZZ_COVERAGE=ON -DZUNO_TESTS=OFF -DZUNO_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	cmake --build $(FUZZ_COVERAGE_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)

fuzz: build-fuzz
	FUZZ_READER_SECONDS=$(FUZZ_READER_SECONDS) FUZZ_READER_RUNS=$(FUZZ_READER_RUNS) \
	  FUZZ_COVERAGE_BUILD=$(FUZZ_COVERAGE_BUILD) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_PARALLEL)

fuzz-long:
	$(MAKE) fuzz FUZZ_SECONDS=900 FUZZ_READER_RUNS=10000000

bench: build
	$(BUILD)/bench/zuno_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(FUZZ_COVERAGE_BUILD)
