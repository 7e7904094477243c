#!/usr/bin/env bash
# Installs every system package that building, testing and running Tavrin needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang pkg-config clang-format
  # libraries
  qt6-base-dev libglib2.0-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # clang's sanitizer and libFuzzer run-time libraries, for `make fuzz`
  libclang-rt-14-dev
  # the desktop pieces the tests use: MIME database, an X server for window tests
  shared-mime-info desktop-file-utils xvfb xauth
  # the Debian package: CPack asks dpkg-shlibdeps (dpkg-dev) for its dependencies,
  # and finds the programs among the installed files with `file`; the package check
  # judges it with lintian and validates its AppStream metadata with appstreamcli
  dpkg-dev file lintian appstream
  # metric-compatible stand-ins for the fonts the windows name (Times New Roman, Courier New)
  fonts-liberation
  # the example collection's document opens with this image viewer on a bare system
  imagemagick
)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"
