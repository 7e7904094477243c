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
  # the desktop pieces the tests use: MIME database, an X server for window tests
  shared-mime-info desktop-file-utils xvfb xauth
  # the Debian package: CPack asks dpkg-shlibdeps (dpkg-dev) for its dependencies,
  # and finds the programs among the installed files with `file`
  dpkg-dev file
  # metric-compatible stand-ins for the fonts the windows name (Times New Roman, Courier New)
  fonts-liberation
  # the example collection's document opens with this image viewer on a bare system
  imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
