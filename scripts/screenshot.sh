#!/usr/bin/env bash
# Makes docs/main-window.png, the README's picture of the main window: the real
# program, built in $BUILD, on a virtual X server (Xvfb), showing the example
# collection with its first item selected. Run it again when the window changes.
# Nothing of the user's own set-up is read or written: the collection folder and
# the XDG folders are throw-away ones.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
OUT=${OUT:-docs/main-window.png}

scripts/install-packages.sh xvfb xauth xdotool imagemagick fonts-liberation
[ -x "$BUILD/tavrin" ] || make --no-print-directory build BUILD="$BUILD"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/collections" "$work/runtime"
chmod 700 "$work/runtime"
cp examples/welcome.tavrin "$work/home/collections/"

# Runs inside the virtual display: starts the window, selects the first item, and
# takes the window's picture.
cat >"$work/shoot.sh" <<'SHOOT'
#!/usr/bin/env bash
set -euo pipefail
"$TAVRIN" examples/welcome.tavrin &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^The Tavrin$' | head -n 1)
sleep 1
# A click on the first line of the item list (the window is laid out in fixed
# units, so the line stands at the same place every time); the details pane follows.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 40 "$LIST_Y" click 1
sleep 1
timeout 20 import -window "$window" "$OUT"
kill "$app"
wait "$app" || true
SHOOT
chmod +x "$work/shoot.sh"

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  TAVRIN="$PWD/$BUILD/tavrin" OUT="$work/main-window.png" LIST_Y="${LIST_Y:-110}" \
  TAVRIN_HOME="$work/home/collections" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
  XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$work/shoot.sh"
mkdir -p "$(dirname "$OUT")"
# The smallest PNG that holds the same picture.
convert "$work/main-window.png" -strip "$OUT"
echo "screenshot: $OUT ($(identify -format '%wx%h' "$OUT"))"
