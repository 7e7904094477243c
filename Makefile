# Front door of the build. `make check` and `make run` set up a fresh machine first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all setup configure build check check-windows run package format clean

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

# Cross-builds for Windows (mingw-w64) and runs the tests under Wine.
check-windows: setup
	@scripts/setup-windows.sh
	JOBS=$(JOBS) scripts/check-windows.sh

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

# The Debian package, in $(BUILD)/.
package: setup
	$(MAKE) build
	cd $(BUILD) && cpack -G DEB

format: configure
	cmake --build $(BUILD) --target format

clean:
	rm -rf $(BUILD) build-windows
