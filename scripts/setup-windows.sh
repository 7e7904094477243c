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
  # ImageMagick's convert makes tavrin.exe's icons from the windows' PNG pictures
  imagemagick
  # a virtual X server of the check's own, where Wine shows the windows under test,
  # and a user's keyboard on it for the zip's check of the main window
  xvfb xauth xdotool
)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"
