#!/usr/bin/env bash
# The main window's start against a plain window of the same toolkit, timed from the
# start of the process to the X server's MapNotify of its first top-level window
# (bench/first_map.c), in turns, medians of RUNS rounds (63 unless told).
#
#   bench/window-start.sh linux   the Qt window (`make bench` runs this), on a virtual X
#                                 server of its own, with a session bus of its own where
#                                 none is given; needs the Release build (BENCH_BUILD)
#   bench/window-start.sh wine    tavrin.exe under Wine against a plain Win32 window
#                                 built with the same compiler; needs the Windows build
#                                 (WINDOWS_BUILD) and tavrin_first_map of BENCH_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-release}
WINDOWS_BUILD=${WINDOWS_BUILD:-build-windows}
RUNS=${RUNS:-63}
# VERBOSE=1 shows every round's times.
first_map="$PWD/$BENCH_BUILD/bench/tavrin_first_map"

work=$(mktemp -d)
bus=""
trap '[ -z "$bus" ] || kill "$bus"; rm -rf "$work"' EXIT
# A collection of 100 items as users write them: programs, documents, folders, addresses.
hundred() {
  local file="$1" sep="$2" i
  {
    printf '"Tavrin File 1.2"\r\n99\r\n'
    for i in $(seq 1 100); do
      case $((i % 4)) in
        0) printf '"Editor %d","%s","-n %d",1,#FALSE#\r\n' "$i" "$3" "$i" ;;
        1) printf '"Notes %d","%s","",1,#FALSE#\r\n' "$i" "$4$sep""notes$i.txt" ;;
        2) printf '"Folder %d","%s","",1,#FALSE#\r\n' "$i" "$4" ;;
        3) printf '"Site %d","https://example.org/%d","",1,#FALSE#\r\n' "$i" "$i" ;;
      esac
    done
  } >"$file"
}

case "${1:-}" in
  linux)
    hundred "$work/hundred.tavrin" / /usr/bin/env "$work"
    mkdir -m 700 "$work/runtime"
    export TAVRIN_HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
      XDG_RUNTIME_DIR="$work/runtime"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    # A desktop session has a session bus. Without one, Qt starts a helper to look for
    # it (dbus-launch) on a thread of its own in the middle of each window's start, in
    # the plain window too, which a user never sees and which only blurs the figures.
    if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-daemon >/dev/null; then
      { read -r DBUS_SESSION_BUS_ADDRESS && read -r bus; } < <(
        dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null)
      export DBUS_SESSION_BUS_ADDRESS
    fi
    echo "The main window (Qt, Xvfb), from exec to its first map, medians of $RUNS rounds:"
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$first_map" --rounds "$RUNS" \
      --target 1.05 --verbose "${VERBOSE:-0}" \
      "plain Qt window" -- "$PWD/$BENCH_BUILD/bench/tavrin_plain_window" \
      "tavrin, no collection" -- "$PWD/$BENCH_BUILD/tavrin" \
      "tavrin, 100 items" -- "$PWD/$BENCH_BUILD/tavrin" "$work/hundred.tavrin"
    ;;
  wine)
    . scripts/wine-env.sh
    start_wine
    folder="$WINEPREFIX/drive_c/tavrin"
    mkdir -p "$folder"
    cp "$WINDOWS_BUILD/tavrin.exe" "$folder/"
    hundred "$folder/hundred.tavrin" '\' 'C:\windows\notepad.exe' 'C:\tavrin'
    x86_64-w64-mingw32-gcc-posix -O2 -mwindows -o "$folder/plain.exe" bench/plain_window_win32.c
    cd "$folder"
    echo "tavrin.exe under Wine, from exec to its first map, medians of $RUNS rounds:"
    "$first_map" --rounds "$RUNS" --verbose "${VERBOSE:-0}" \
      "plain Win32 window" -- wine plain.exe \
      "tavrin.exe, no collection" -- wine tavrin.exe \
      "tavrin.exe, 100 items" -- wine tavrin.exe hundred.tavrin
    ;;
  *)
    echo "usage: $0 linux|wine" >&2
    exit 2
    ;;
esac
