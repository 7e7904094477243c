#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over every source of src/ that the Linux
# build compiles. Needs the build folder configured, for its compile commands, and the
# pictures the Qt views include made.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
jobs=${JOBS:-$(nproc)}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target src/ui/qt/bundled_pictures.inc >/dev/null
if ! run-clang-tidy -quiet -p "$build" -j "$jobs" "$PWD/src/" >"$build/clang-tidy.log" 2>&1; then
  grep -E 'error:|warning:' "$build/clang-tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u
  echo "check-tidy: clang-tidy found the above (whole output: $build/clang-tidy.log)"
  exit 1
fi
echo "check-tidy: clang-tidy is content with src/"
