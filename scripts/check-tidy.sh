#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over every source of src/ that the Linux
# build compiles, or over just the sources named (scripts/check-tidy.sh src/a.cpp ...;
# those the Linux build does not compile are passed over). Needs the build folder
# configured, for its compile commands, and the pictures the Qt views include made.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
jobs=${JOBS:-$(nproc)}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target src/ui/qt/bundled_pictures.inc >/dev/null
what="src/"
patterns=("$PWD/src/")
if [ $# -gt 0 ]; then
  patterns=()
  for file in "$@"; do
    if grep -qF "\"file\": \"$PWD/$file\"" "$build/compile_commands.json"; then
      patterns+=("^$(printf '%s' "$PWD/$file" | sed 's/[].[^$*+?(){}|\\]/\\&/g')\$")
    fi
  done
  what="${#patterns[@]} source(s) of src/"
  if [ "${#patterns[@]}" -eq 0 ]; then
    echo "check-tidy: none of the named sources is built on this platform"
    exit 0
  fi
fi
if ! run-clang-tidy -quiet -p "$build" -j "$jobs" "${patterns[@]}" >"$build/clang-tidy.log" 2>&1; then
  grep -E 'error:|warning:' "$build/clang-tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u
  echo "check-tidy: clang-tidy found the above (whole output: $build/clang-tidy.log)"
  exit 1
fi
echo "check-tidy: clang-tidy is content with $what"
