#!/usr/bin/env bash
# Installs what cross-building Tavrin for Windows and running its tests under Wine
# needs, on top of scripts/setup.sh. Safe to run again: packages already present are
# left alone.
set -euo pipefail

packages=(
  # the mingw-w64 cross compiler for 64-bit Windows, with POSIX threads (GoogleTest
  # needs std::mutex and friends, which the win32-threads variant lacks)
  g++-mingw-w64-x86-64-posix
  # GoogleTest's sources, built with the cross compiler
  googletest
  # Wine runs the cross-built tests and tavrin.exe
  wine wine64
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
