#!/usr/bin/env bash
# Measures the time from starting the program to its main window being shown, with a
# collection of 100 items named on the command line, for the Linux build (Qt, on a
# virtual X server) and for tavrin.exe under Wine (its own X server and prefix,
# scripts/wine-env.sh). Both are measured the same way: the clock runs from the start
# of the process until a visible window captioned "The Tavrin" is on the display
# (polled every 10 ms with xdotool); then Esc closes it. The first start of
# each is a warm-up and does not count; the median and the fastest of RUNS starts are
# printed. Needs `make build` and the Windows build (make check-windows or
# package-windows) done.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
WINDOWS_BUILD=${WINDOWS_BUILD:-build-windows}
RUNS=${RUNS:-7}

work=$(mktemp -d)
collection="$work/hundred.tavrin"
{
  printf '"Tavrin File 1.2"\r\n99\r\n'
  for i in $(seq 1 100); do printf '"Item %d","C:\\\\tools\\\\item%d.exe","-n %d",1,#FALSE#\r\n' "$i" "$i" "$i"; done
} >"$collection"

now_ms() { date +%s%3N; }

# Starts "$@" RUNS+1 times and prints the median and the fastest time to its window.
measure() {
  local label="$1"
  shift
  local times=() start pid window
  for run in $(seq 0 "$RUNS"); do
    start=$(now_ms)
    "$@" </dev/null >/dev/null 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 3000); do
      window=$(xdotool search --onlyvisible --name '^The Tavrin$' 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && break
      sleep 0.01
    done
    [ -n "$window" ] || { echo "$label: no window" >&2; kill "$pid" 2>/dev/null || true; return 1; }
    [ "$run" -eq 0 ] || times+=($(($(now_ms) - start)))
    # Closed as a user closes it: Esc.
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key Escape
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # Gone from the display before the next start.
    while xdotool search --onlyvisible --name '^The Tavrin$' >/dev/null 2>&1; do sleep 0.05; done
  done
  local sorted
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  echo "$label: median $(sed -n "$(((RUNS + 1) / 2))p" <<<"$sorted") ms, fastest $(head -n 1 <<<"$sorted") ms"
}

# Linux: the Qt window, on a virtual X server of its own.
cat >"$work/linux.sh" <<LINUX
#!/usr/bin/env bash
set -euo pipefail
$(declare -f now_ms measure)
RUNS=$RUNS
measure "Linux (Qt)" env TAVRIN_HOME="$work" XDG_CONFIG_HOME="$work/config" \
  XDG_DATA_HOME="$work/data" "$PWD/$BUILD/tavrin" "$collection"
LINUX
chmod +x "$work/linux.sh"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  "$work/linux.sh"

# Windows: tavrin.exe under Wine, the collection beside it (its collection folder).
. scripts/wine-env.sh
start_wine
folder="$WINEPREFIX/drive_c/tavrin"
mkdir -p "$folder"
cp "$WINDOWS_BUILD/tavrin.exe" "$collection" "$folder/"
cd "$folder"
measure "Windows (Win32, Wine)" wine tavrin.exe hundred.tavrin
rm -rf "$work"
