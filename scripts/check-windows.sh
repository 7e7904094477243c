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

# The folder of the server's socket, named after the prefix's device and inode.
SERVER_DIR_NAME=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
# The virtual X server's files: its cookie, and the display number it chose.
XWORK=$(mktemp -d /tmp/tavrin-xvfb.XXXXXX)
XVFB_PID=""

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  for dir in /tmp/wine-*/"$SERVER_DIR_NAME"; do
    [ -d "$dir" ] || continue
    rm -rf "$dir"
    rmdir "$(dirname "$dir")" 2>/dev/null || true
  done
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  rm -rf "$XWORK"
}
trap stop_wine EXIT

# A display of our own for the windows the tests show (CI has none, and the user's
# must not see them): a virtual X server on the first free display number, which it
# picks itself and writes back, reached only with a cookie of this run (an entry
# without a display number, so that it fits the number chosen).
unset DISPLAY WAYLAND_DISPLAY
export XAUTHORITY="$XWORK/cookie"
printf 'ffff 0000  0000  0012 %s 0010 %s\n' "$(printf MIT-MAGIC-COOKIE-1 | od -An -tx1 | tr -d ' \n')" \
  "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" | xauth -q -f "$XAUTHORITY" nmerge -
Xvfb -displayfd 3 -auth "$XAUTHORITY" -nolisten tcp -screen 0 1280x1024x24 \
  3>"$XWORK/display" </dev/null >"$XWORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 300); do
  [ -s "$XWORK/display" ] && break
  kill -0 "$XVFB_PID" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$XWORK/display" ]; then
  echo "check-windows: the virtual X server did not start:" >&2
  cat "$XWORK/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$XWORK/display")"

# Start Wine's server and its helper processes now, detached from our output: started
# by the first test instead, they would inherit CTest's output pipe and keep it open
# after the tests have ended. Should making the prefix ever wait for an answer on the
# display, the check fails instead of waiting.
wineserver -p </dev/null >/dev/null 2>&1
if ! timeout 600 wineboot -i </dev/null >/dev/null 2>&1; then
  echo "check-windows: Wine could not make its prefix" >&2
  exit 1
fi

cd "$BUILD"
ctest --output-on-failure -j "$JOBS" --timeout 300
