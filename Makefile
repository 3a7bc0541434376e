# The two commands a newcomer needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
XVFB       := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all deps build run test test-asan test-valgrind soak bench format clean

all: build

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/run && ./vorna

test: build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure

# The same tests under AddressSanitizer + UndefinedBehaviorSanitizer, leak detection on.
# Mesa unloads its driver at exit, before the leak check, taking the roots of its own
# allocations with it: preloaded, the driver stays mapped and its memory stays reachable.
MESA_DRIVER := $(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so))
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORNA_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  LD_PRELOAD=$(MESA_DRIVER) $(XVFB) ctest --output-on-failure

# The scripted play of the real binary under valgrind memcheck (several minutes).
test-valgrind: build
	cd $(BUILD)/tests/memcheck && $(XVFB) ./e2e_valgrind

# The long soak: 100,000 ticks and frames of random play (the CTest case plays 5,000).
soak: build
	cd $(BUILD)/tests/work/test_soak && SOAK_TICKS=100000 $(XVFB) ../../test_soak

bench: build
	cd $(BUILD)/run && $(XVFB) ../bench/vorna_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
