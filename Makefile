# The two commands a newcomer needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-windows
JOBS       ?= $(shell nproc)
XVFB       := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all deps configure build host-tools run test test-asan test-valgrind soak bench \
        bench-startup bench-glfixed format clean package test-package windows test-windows \
        fuzz-build fuzz fuzz-smoke web serve-web test-web bench-web lighthouse-web

all: build

# Each target installs the package sets it uses (scripts/install-deps.sh), once, through `deps`:
# `make run` only what building and playing needs, every other target adds its sets to SETS
# (a target's sets hold for everything it depends on).
DEPS := bash scripts/install-deps.sh
SETS := game
deps:
	$(DEPS) $(SETS)

# The host build: the game, its tests and tools, and the asset tools the cross builds take.
configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

host-tools: configure
	cmake --build $(BUILD) -j $(JOBS) --target host_tools

run: build
	cd $(BUILD)/run && ./vorna

test: SETS += test
test: build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure --no-tests=error

# The same tests under AddressSanitizer + UndefinedBehaviorSanitizer, leak detection on.
# Mesa unloads its driver at exit, before the leak check, taking the roots of its own
# allocations with it: preloaded, the driver stays mapped and its memory stays reachable.
MESA_DRIVER := $(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so))
test-asan: SETS += test
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORNA_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  LD_PRELOAD=$(MESA_DRIVER) $(XVFB) ctest --output-on-failure

# The scripted play of the real binary under valgrind memcheck (several minutes).
test-valgrind: SETS += test valgrind
test-valgrind: build
	cd $(BUILD)/tests/memcheck && $(XVFB) ./e2e_valgrind

# The long soak: 100,000 ticks and frames of random play (the CTest case plays 5,000).
soak: SETS += test
soak: build
	cd $(BUILD)/tests/work/test_soak && SOAK_TICKS=100000 $(XVFB) ../../test_soak

# The Debian package, vorna_<version>_amd64.deb in $(BUILD)/.
package: SETS += package
package: build
	cd $(BUILD) && cpack -G DEB

# Installs that package into a throwaway Debian 12 root and starts the game there (needs root).
test-package: SETS += test-package
test-package: package
	bash scripts/test-package.sh $(BUILD)

bench: SETS += bench
bench: build
	cd $(BUILD)/run && $(XVFB) ../bench/vorna_bench

# Exec to first swap, the game against a minimal freeglut program: as the machine is (here, no
# sound device), then with SDL's dummy output, where the output opens and the soundfont loads.
STARTUP_RUNS ?= 21
bench-startup: SETS += bench
bench-startup: build
	cd $(BUILD)/run && env -u SDL_AUDIODRIVER $(XVFB) ../bench/startup_bench $(STARTUP_RUNS)
	cd $(BUILD)/run && SDL_AUDIODRIVER=dummy $(XVFB) ../bench/startup_bench $(STARTUP_RUNS)

# glfixed over ES 2.0 against the system's GL on the same scenes: frame times and draw calls.
bench-glfixed: SETS += test bench
bench-glfixed: build
	cd $(BUILD)/bench && $(XVFB) ./glfixed_bench

format: SETS = format
format: deps
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Windows: vorna.exe cross-built with mingw-w64 (the asset tools come from the host build),
# packed into $(WIN_BUILD)/vorna-windows.zip; its tests run under wine in Xvfb.
WIN_CONFIGURE = cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	-DVORNA_WINDOWS_DEPS=$(CURDIR)/$(WIN_BUILD)/deps/freeglut \
	-DVORNA_HOST_TOOLS=$(CURDIR)/$(BUILD)/vorna-host-tools.cmake

windows: SETS += windows
windows: host-tools
	bash scripts/windows-deps.sh $(WIN_BUILD)
	$(WIN_CONFIGURE)
	cmake --build $(WIN_BUILD) -j $(JOBS) --target windows_zip

# The wine prefix is set up while the tests compile.
test-windows: windows
	bash scripts/wine-run.sh $(CURDIR)/$(WIN_BUILD)/wineprefix --setup >/dev/null 2>&1 & \
	cmake --build $(WIN_BUILD) -j $(JOBS); status=$$?; wait; exit $$status
	$(XVFB) bash scripts/windows-test.sh $(WIN_BUILD) -j $(JOBS)

# The browser build: $(WEB_BUILD)/site/ (the page, its script, wasm and data) and
# $(WEB_BUILD)/vorna-web.zip, with the asset tools of the host build. Debian's emscripten works
# offline; its JavaScript optimiser needs Debian's node modules.
WEB_BUILD ?= build-web
WEB_PORT  ?= 8000
EMSDK_ENV := NODE_PATH=/usr/share/nodejs
PYTHON    := /usr/bin/python3

web: SETS += web
web: host-tools
	$(EMSDK_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DVORNA_HOST_TOOLS=$(CURDIR)/$(BUILD)/vorna-host-tools.cmake
	$(EMSDK_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target web_zip

# Served as static hosts serve it: gzip for the page, its scripts and the wasm.
serve-web: web
	$(PYTHON) scripts/serve_web.py $(WEB_BUILD)/site $(WEB_PORT)

# Headless Chromium plays the page against the native build's pictures of the same scenes.
test-web: SETS += test web
test-web: web
	cmake --build $(BUILD) -j $(JOBS) --target web_scenes
	$(EMSDK_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target web_scenes
	$(PYTHON) tests/web/test_web.py $(WEB_BUILD) $(BUILD)

# Browser against native frames, then the loading goals: the first frame on Slow 4G and on
# loopback, the bytes before it, the whole site, the longest task at 4x CPU (reported, never
# asserted).
bench-web: test-web
	$(PYTHON) tests/web/bench_web.py $(WEB_BUILD) $(BUILD)

# Lighthouse 12.2.3 (the last for this Node 20), its whole tree pinned by tests/web/lighthouse/,
# installed into the build tree; its mobile preset on the site served with gzip.
LIGHTHOUSE := $(WEB_BUILD)/lighthouse/node_modules/.bin/lighthouse
$(LIGHTHOUSE): tests/web/lighthouse/package.json tests/web/lighthouse/package-lock.json
	command -v npm >/dev/null || $(DEPS) lighthouse
	mkdir -p $(WEB_BUILD)/lighthouse
	cp $^ $(WEB_BUILD)/lighthouse/
	cd $(WEB_BUILD)/lighthouse && npm ci --no-audit --no-fund
	touch $@

lighthouse-web: web $(LIGHTHOUSE)
	$(PYTHON) tests/web/lighthouse_web.py $(WEB_BUILD) $(LIGHTHOUSE)

# Fuzzing: libFuzzer targets built by clang in their own configuration. `make fuzz` runs each
# for FUZZ_SECONDS, keeping what it finds in build-fuzz/fuzz/corpus/; `make fuzz-smoke` runs
# each over its seeds plus 20 seconds, as CI does.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

fuzz-build: SETS += fuzz
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	set -e; for t in $$(cat $(FUZZ_BUILD)/fuzz/targets.txt); do \
	  mkdir -p $(FUZZ_BUILD)/fuzz/corpus/$$t $(FUZZ_BUILD)/fuzz/artifacts/$$t; \
	  $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/fuzz/artifacts/$$t/ \
	    $(FUZZ_BUILD)/fuzz/corpus/$$t $(FUZZ_BUILD)/fuzz/seeds/$$t; \
	done

fuzz-smoke: fuzz-build
	cd $(FUZZ_BUILD) && ctest -L fuzz --output-on-failure

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
