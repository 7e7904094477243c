# Front door of the build. `make check` and `make run` set up a fresh machine first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
# The fuzzer's own build folder and how long `make fuzz` runs it.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# The build folder of the sanitized test run.
SANITIZE_BUILD ?= build-sanitize
# Any report of a sanitizer ends the process with a failure. Leaks that belong to
# system libraries, not to us, are listed in the suppression file.
SANITIZE_ENV = \
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0

# The optimised build that `make bench` measures, and another tavrin binary (an earlier
# build) that its runs are compared with when given: `make bench BENCH_BASELINE=PATH`.
BENCH_BUILD ?= build-release
BENCH_BASELINE ?=

# The Windows build (mingw-w64), its tests under Wine, and its portable zip.
WINDOWS_BUILD ?= build-windows

.PHONY: all setup configure build check check-sanitize check-windows run package format \
        lint lint-all clean fuzz bench windows-configure package-windows

all: build

setup:
	@scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

check: setup
	$(MAKE) build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(WINDOWS_BUILD)/build.ninja:
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

windows-configure: $(WINDOWS_BUILD)/build.ninja

# Cross-builds for Windows (mingw-w64) and runs the tests under Wine.
check-windows: setup
	@scripts/setup-windows.sh
	WINDOWS_BUILD=$(WINDOWS_BUILD) JOBS=$(JOBS) scripts/check-windows.sh

# The portable Windows zip, $(WINDOWS_BUILD)/tavrin-<version>-windows-x64.zip
# (scripts/check-windows-package.sh proves it).
package-windows: setup
	@scripts/setup-windows.sh
	$(MAKE) windows-configure
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cd $(WINDOWS_BUILD) && cpack -G ZIP

# The main window on the example collection; on a machine without a display, the
# collection is run without a window instead.
run: setup
	$(MAKE) build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/tavrin examples/welcome.tavrin; \
	else \
	  echo "No display: running the example collection without a window."; \
	  $(BUILD)/tavrin examples/welcome.tavrin /run; \
	fi

# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in its own
# folder and runs the whole test suite there.
check-sanitize: setup
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# Fuzzes the collection reader for FUZZ_SECONDS, starting from the seed files in
# tests/fuzz/corpus (left as they are; what the fuzzer adds goes to $(FUZZ_BUILD)).
# Anything found is written to $(FUZZ_BUILD)/findings/ and fails the target.
fuzz: setup
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DTAVRIN_FUZZ=ON -DTAVRIN_WITH_QT=OFF -DTAVRIN_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target tavrin_read_fuzzer
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/findings
	$(FUZZ_BUILD)/tests/fuzz/tavrin_read_fuzzer -max_total_time=$(FUZZ_SECONDS) \
	  -dict=tests/fuzz/collection.dict -artifact_prefix=$(FUZZ_BUILD)/findings/ \
	  -print_final_stats=1 $(FUZZ_BUILD)/corpus tests/fuzz/corpus

# Builds in Release and runs every benchmark: reading and writing the largest
# collection, the main window showing it, then whole runs of tavrin against a plain
# C loop and a shell loop, and the window's start against a plain Qt window. (GCC 12
# warns of overlaps that cannot happen in -O3's inlined string code; the checked
# builds keep warnings as errors.)
bench: setup
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BUILD_TESTS=OFF \
	  -DTAVRIN_WERROR=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/tavrin_collection_bench
	$(BENCH_BUILD)/bench/tavrin_ready_bench
	if [ -x $(BENCH_BUILD)/bench/tavrin_window_bench ]; then \
	  $(BENCH_BUILD)/bench/tavrin_window_bench; fi
	$(BENCH_BUILD)/bench/tavrin_process_bench --tavrin $(BENCH_BUILD)/tavrin \
	  --spawn-loop $(BENCH_BUILD)/bench/tavrin_spawn_loop \
	  $(if $(BENCH_BASELINE),--baseline $(BENCH_BASELINE))
	BENCH_BUILD=$(BENCH_BUILD) bench/window-start.sh linux

# The Debian package, in $(BUILD)/.
package: setup
	$(MAKE) build
	cd $(BUILD) && cpack -G DEB

format: configure
	cmake --build $(BUILD) --target format

# The sources formatted as .clang-format says, the includes pointing one way
# (scripts/check-includes.sh), and clang-tidy content with src/ (.clang-tidy,
# scripts/check-tidy.sh). `make lint` checks what changed against main (the changed
# sources, and for clang-tidy also the sources that include a changed header);
# `make lint-all` checks everything, as CI does (scripts/lint.sh).
lint:
	@scripts/setup.sh
	@scripts/install-packages.sh clang-format clang-tidy
	BUILD=$(BUILD) JOBS=$(JOBS) scripts/lint.sh

lint-all:
	@scripts/setup.sh
	@scripts/install-packages.sh clang-format clang-tidy
	BUILD=$(BUILD) JOBS=$(JOBS) scripts/lint.sh --all

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD) $(BENCH_BUILD)
