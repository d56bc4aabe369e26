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
FUZZ_TARGETS  = fuzz_level fuzz_replay fuzz_level_text fuzz_key_script fuzz_shape_text fuzz_svg \
  fuzz_level_reader fuzz_replay_reader fuzz_level_text_reader fuzz_key_script_reader \
  fuzz_shape_text_reader fuzz_svg_reader

.PHONY: run test deps deps-game bare-check build build-asan build-fuzz test-normal test-asan bench fuzz fuzz-long clean demo-gif \
  course-pictures

run: build
	cd $(BUILD) && ./zuno

test: test-normal test-asan test-sdl-compat test-web test-platforms

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

# The README's pictures of the course pack, from the built levels.
course-pictures: build
	mkdir -p docs/courses
	for level in $(BUILD)/courses/*.lev; do \
	  $(BUILD)/zuno-level render $$level -o docs/courses/$$(basename $$level .lev).png --width 400 || exit 1; done

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(FUZZ_COVERAGE_BUILD) $(WEB_BUILD) $(PKG_BUILD) $(COMPAT_BUILD) \
	  $(I386_BUILD) $(ARM64_BUILD)

# The Quick start on a bare Debian 12 chroot, from a clean clone of HEAD
# (root; a few minutes; see scripts/bare-check).
bare-check:
	./scripts/bare-check

# The Debian package (see the README's Install): a build of its own
# installed under /usr, written by CPack, then checked (Depends against
# dpkg-shlibdeps, lintian). package-check installs and plays it in a fresh
# bare Debian 12 chroot, as root.
PKG_BUILD ?= build-pkg
PKG_FLAGS ?= -D_FORTIFY_SOURCE=2 -fstack-protector-strong
PKG_LDFLAGS ?= -Wl,-z,relro,-z,now

.PHONY: deps-package package package-check test-sdl-compat

deps-package:
	@./scripts/install-deps package

package: deps-game deps-package
	cmake -S . -B $(PKG_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNO_TESTS=OFF -DZUNO_BENCH=OFF \
	  "-DCMAKE_CXX_FLAGS=$(PKG_FLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(PKG_LDFLAGS)" $(CMAKE_ARGS) >/dev/null
	cmake --build $(PKG_BUILD) -j $(JOBS)
	rm -f $(PKG_BUILD)/zuno_*.deb
	cd $(PKG_BUILD) && cpack -G DEB >/dev/null
	packaging/check-deb $(PKG_BUILD)/zuno_*.deb

package-check: package
	packaging/package-check $(PKG_BUILD)/zuno_*.deb $(PKG_BUILD)/bare-debian $(PKG_BUILD)/check-root

# The test suite against the other SDL 1.2 flavour, libsdl1.2-compat (SDL 1.2
# on SDL 2), unpacked into the build folder so the machine keeps its classic
# SDL; the ldd check makes sure the compat library is the one linked.
COMPAT_BUILD ?= build-sdl-compat
COMPAT_ROOT = $(CURDIR)/$(COMPAT_BUILD)/sdl-compat/root
COMPAT_LIB = $(COMPAT_ROOT)/usr/lib/$(shell gcc -print-multiarch)
COMPAT_ENV = PKG_CONFIG_PATH=$(COMPAT_LIB)/pkgconfig LD_LIBRARY_PATH=$(COMPAT_LIB)

test-sdl-compat: deps
	./scripts/sdl-compat $(COMPAT_BUILD)/sdl-compat
	$(COMPAT_ENV) cmake -S . -B $(COMPAT_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNO_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	$(COMPAT_ENV) cmake --build $(COMPAT_BUILD) -j $(JOBS)
	@$(COMPAT_ENV) ldd $(COMPAT_BUILD)/zuno | grep "libSDL-1.2.so.0 => $(COMPAT_LIB)/" || \
	  { echo "$(COMPAT_BUILD)/zuno does not link the compat SDL:"; $(COMPAT_ENV) ldd $(COMPAT_BUILD)/zuno; exit 1; }
	cd $(COMPAT_BUILD) && $(COMPAT_ENV) ctest --output-on-failure -j $(JOBS)

# The same replays elsewhere (see the README's "Bit-identical replays"):
# cross builds for 32-bit x86 (run as they are) and ARM64 (run under
# qemu-user) against this machine's build, byte for byte, and the browser
# tests again in Firefox ESR.
I386_BUILD  ?= build-i386
ARM64_BUILD ?= build-arm64

.PHONY: deps-platforms test-platforms test-i386 test-arm64 test-firefox

deps-platforms:
	@./scripts/install-deps platforms

test-platforms: test-i386 test-arm64 test-firefox

test-i386: build deps-platforms
	tests/platforms/x87-refusal.sh $(I386_BUILD)/x87-refusal
	./scripts/cross-build i386 $(I386_BUILD) $(JOBS)
	tests/platforms/replays.sh i386 $(BUILD) $(I386_BUILD) $$(cat $(I386_BUILD)/runner)

test-arm64: build deps-platforms
	./scripts/cross-build arm64 $(ARM64_BUILD) $(JOBS)
	tests/platforms/replays.sh arm64 $(BUILD) $(ARM64_BUILD) qemu-aarch64

test-firefox: web tests/web/node_modules deps-platforms
	cd tests/web && ZUNO_BROWSER=firefox ZUNO_WEB_BUILD=$(abspath $(WEB_BUILD)) ZUNO_BUILD=$(abspath $(BUILD)) \
	  node --test --test-concurrency=1

# The browser edition (see the README's "In the browser"): the game compiled
# to WebAssembly with Debian's emscripten; the static site is the folder
# build-web/site/ (only what a visitor loads), served on 127.0.0.1, tested in
# headless Chromium, and measured.
WEB_BUILD ?= build-web
WEB_PORT  ?= 8080
# Debian source packages of the libraries the page compiles from source.
WEB_SRC   ?= build-web-src
# emcc needs Debian's node modules even where the node on PATH is another one.
WEB_ENV   = NODE_PATH=/usr/share/nodejs

.PHONY: deps-web web web-serve test-web web-bench

deps-web:
	@./scripts/install-deps web

web: deps-web build
	./scripts/web-sources $(WEB_SRC)
	$(WEB_ENV) emcmake cmake -S web -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DZUNO_NATIVE_BUILD=$(abspath $(BUILD)) -DZUNO_WEB_SOURCES=$(abspath $(WEB_SRC)) >/dev/null
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	@echo "The site is in $(WEB_BUILD)/site/ (any static file host serves it as it is)."

web-serve: web
	node web/serve.mjs $(WEB_BUILD)/site $(WEB_PORT)

tests/web/node_modules: tests/web/package.json tests/web/package-lock.json
	cd tests/web && npm ci --no-audit --no-fund
	touch $@

test-web: web tests/web/node_modules
	cd tests/web && ZUNO_WEB_BUILD=$(abspath $(WEB_BUILD)) ZUNO_BUILD=$(abspath $(BUILD)) node --test --test-concurrency=1

web-bench: web tests/web/node_modules
	ZUNO_WEB_BUILD=$(abspath $(WEB_BUILD)) ZUNO_BUILD=$(abspath $(BUILD)) node bench/web/bench.mjs
	ZUNO_WEB_BUILD=$(abspath $(WEB_BUILD)) ZUNO_BUILD=$(abspath $(BUILD)) node bench/web/editor_bench.mjs
	ZUNO_WEB_BUILD=$(abspath $(WEB_BUILD)) ZUNO_BUILD=$(abspath $(BUILD)) node bench/web/compile_bench.mjs
