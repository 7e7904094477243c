#!/usr/bin/env bash
# Cross-builds Tavrin for Windows with mingw-w64 and runs its tests under Wine, in a
# throw-away Wine prefix with an X server of its own (scripts/wine-env.sh). `make
# check-windows` runs this after installing what it needs (scripts/setup-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${WINDOWS_BUILD:-build-windows}
JOBS=${JOBS:-$(nproc)}

make --no-print-directory windows-configure WINDOWS_BUILD="$BUILD"
cmake --build "$BUILD" -j "$JOBS"

. scripts/wine-env.sh
start_wine

cd "$BUILD"
ctest --output-on-failure -j "$JOBS" --timeout 300
