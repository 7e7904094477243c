#!/usr/bin/env bash
# Cross-builds Tavrin for Windows with mingw-w64 and runs its tests under Wine, in a
# throw-away Wine prefix. `make check-windows` runs this after installing what it
# needs (scripts/setup-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${WINDOWS_BUILD:-build-windows}
JOBS=${JOBS:-$(nproc)}

if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTAVRIN_WITH_QT=OFF
fi
cmake --build "$BUILD" -j "$JOBS"

# A fresh prefix every time: the tests write to Wine's registry.
WINEPREFIX=$(mktemp -d /tmp/tavrin-wine.XXXXXX)
export WINEPREFIX
export WINEDEBUG=-all
# No display: nothing may need one (message boxes go to standard error in tests).
unset DISPLAY WAYLAND_DISPLAY

# The folder of the server's socket, named after the prefix's device and inode.
SERVER_DIR_NAME=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  for dir in /tmp/wine-*/"$SERVER_DIR_NAME"; do
    [ -d "$dir" ] || continue
    rm -rf "$dir"
    rmdir "$(dirname "$dir")" 2>/dev/null || true
  done
}
trap stop_wine EXIT

# Start Wine's server and its helper processes now, detached from our output: started
# by the first test instead, they would inherit CTest's output pipe and keep it open
# after the tests have ended.
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1

cd "$BUILD"
ctest --output-on-failure -j "$JOBS" --timeout 300
