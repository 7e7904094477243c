#!/usr/bin/env bash
# Installs every system package that building, testing and running Tavrin needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang pkg-config clang-format
  # libraries
  qt6-base-dev libglib2.0-dev
  # the windows on a Wayland desktop (Qt's Wayland plugin), as the package depends on it
  qt6-wayland
  # the windows of other programs: Xlib and its XRes extension (headers; the libraries
  # are loaded at run time)
  libx11-dev libxres-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the window-start benchmark waits for the first map with Xlib, and gives the windows
  # a session bus of their own, as a desktop has
  libx11-dev dbus-daemon
  # clang's sanitizer and libFuzzer run-time libraries, for `make fuzz`
  libclang-rt-14-dev
  # the desktop pieces the tests use: MIME database, an X server for window tests, the
  # xdg-utils scripts that read the registration (and the MIME type reader xdg-mime uses
  # on a desktop without its own)
  shared-mime-info desktop-file-utils xvfb xauth xdg-utils libfile-mimeinfo-perl
  # a window with a known title (xmessage) that a run waits for, and a window manager
  # that the windows a run places are placed by, and the keys a test types into the main
  # window
  x11-utils openbox xdotool
  # Wayland desktops the tests start headless: sway (its IPC, with swaymsg), and weston
  # with XWayland for X windows inside a compositor's frames
  sway weston xwayland
  # the Debian package: CPack asks dpkg-shlibdeps (dpkg-dev) for its dependencies,
  # and finds the programs among the installed files with `file`; the package check
  # judges it with lintian, validates its AppStream metadata with appstreamcli and its
  # manual page with mandoc
  dpkg-dev file lintian appstream mandoc
  # metric-compatible stand-ins for the fonts the windows name (Times New Roman, Courier New)
  fonts-liberation
  # the example collection's document opens with this image viewer on a bare system
  imagemagick
)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"
