# Sourced by the scripts that run Windows programs under Wine: `start_wine` makes a
# throw-away Wine prefix under /tmp with an X server of its own (windows and consoles
# need a display, CI has none, and a display of the user's is left alone) and starts
# Wine's server; `stop_wine`, set to run at exit, removes all of it again.

start_wine() {
  # A fresh prefix every time: the tests write to Wine's registry.
  WINEPREFIX=$(mktemp -d /tmp/tavrin-wine.XXXXXX)
  export WINEPREFIX
  export WINEDEBUG=-all
  unset WAYLAND_DISPLAY
  # The folder of the server's socket, named after the prefix's device and inode.
  WINE_SERVER_DIR_NAME=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  WINE_DISPLAY_FILE="$WINEPREFIX.display"
  WINE_XVFB_PID=
  trap stop_wine EXIT

  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$WINE_DISPLAY_FILE" \
    </dev/null >/dev/null 2>&1 &
  WINE_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WINE_DISPLAY_FILE" ] && break
    sleep 0.1
  done
  [ -s "$WINE_DISPLAY_FILE" ] || { echo "the X server for Wine did not start" >&2; exit 1; }
  DISPLAY=":$(cat "$WINE_DISPLAY_FILE")"
  export DISPLAY

  # Wine's server and its helper processes, started now and detached from our output:
  # started by the first program instead, they would inherit its output pipe (CTest's)
  # and keep it open after it has ended.
  wineserver -p </dev/null >/dev/null 2>&1
  timeout 600 wineboot -i </dev/null >/dev/null 2>&1 || { echo "Wine could not make its prefix" >&2; exit 1; }
  # The desktop too (tests/helpers/keep_desktop.c says why), kept open until the end.
  local here
  here=$(dirname "${BASH_SOURCE[0]}")
  x86_64-w64-mingw32-gcc-posix -O2 -mwindows -o "$WINEPREFIX/keep-desktop.exe" \
    "$here/../tests/helpers/keep_desktop.c"
  wine "$WINEPREFIX/keep-desktop.exe" </dev/null >/dev/null 2>&1 &
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "${WINE_XVFB_PID:-}" ]; then kill "$WINE_XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$WINEPREFIX" "$WINE_DISPLAY_FILE"
  for dir in /tmp/wine-*/"$WINE_SERVER_DIR_NAME"; do
    [ -d "$dir" ] || continue
    rm -rf "$dir"
    rmdir "$(dirname "$dir")" 2>/dev/null || true
  done
}
