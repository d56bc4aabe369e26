# Two entry points: `make run` builds and starts the game, `make test` builds
# and runs every test (a normal build and a sanitizer build). Both install the
# Debian packages they need first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: run test deps build build-asan test-normal test-asan bench fuzz fuzz-long clean demo-gif

run: build
	cd $(BUILD) && ./zuno

test: test-normal test-asan

deps:
	@./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZUNO_SANITIZE=ON -DZUNO_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The README's animation: a scripted drive over the shipped course, recorded
# and drawn headless by the game's own code (see docs/tools.md).
demo-gif: build
	$(BUILD)/zuno-replay drive --level $(BUILD)/0.lev --keys data/demo.keys -o $(BUILD)/demo.rec
	$(BUILD)/zuno-replay gif $(BUILD)/demo.rec --level $(BUILD)/0.lev -o docs/demo.gif --to 749

bench: build
	$(BUILD)/zuno_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
