#!/usr/bin/env bash
# Proves the portable Windows zip as a Windows user meets it: builds it with `make
# package-windows`, checks what it holds, unpacks it under Wine into a folder with
# blanks in its name (scripts/wine-env.sh: a throw-away prefix with an X server of its
# own), and runs the unpacked tavrin.exe: its options, the example collection in run
# mode, a collection whose item fails, and the main window (alone and on a collection),
# which appears and closes with Esc.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${WINDOWS_BUILD:-build-windows}

fail() {
  echo "check-windows-package: $*" >&2
  exit 1
}

log=$(mktemp)
make --no-print-directory package-windows WINDOWS_BUILD="$BUILD" >"$log" 2>&1 ||
  { cat "$log" >&2; rm -f "$log"; fail "the zip could not be built"; }
rm -f "$log"
version=$(sed -n 's/^project(Tavrin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="tavrin-$version-windows-x64"
zip="$(pwd)/$BUILD/$name.zip"
[ -f "$zip" ] || fail "no zip $zip"

# Exactly the program, its texts and the example, in one folder.
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ')
expected="$name/LICENSE.txt $name/README.txt $name/tavrin.exe $name/welcome.tavrin "
[ "$listed" = "$expected" ] || fail "the zip holds: $listed"

. scripts/wine-env.sh
start_wine

folder="$WINEPREFIX/drive_c/users/Public/My Tools"
mkdir -p "$folder"
(cd "$folder" && cmake -E tar xf "$zip")
exe="$folder/$name/tavrin.exe"
headers=$(x86_64-w64-mingw32-objdump -p -h "$exe")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "tavrin.exe is not a windowed program"
! grep -q '\.debug_' <<<"$headers" || fail "tavrin.exe is not stripped"
# README.txt speaks to Windows users, every line ending as Windows' editors expect.
readme="$folder/$name/README.txt"
[ "$(head -n 2 "$readme")" = $'Tavrin for Windows\r\n==================\r' ] ||
  fail "README.txt does not begin as the Windows README: $(head -n 2 "$readme")"
! grep -qv $'\r$' "$readme" || fail "README.txt has lines without Windows line ends"
! grep -qi 'make check\|apt install' "$readme" || fail "README.txt is the developer README"

# The unpacked program, started in its own folder as a script starts it (boxes to
# standard error: nobody answers them).
windows_folder='C:\users\Public\My Tools\'"$name"
run() {
  (cd "$folder/$name" && TAVRIN_BOXES_TO_STDERR=1 wine "$exe" "$@")
}
out=$(run --version | tr -d '\r') || fail "tavrin.exe --version failed"
[ "$out" = "tavrin $version" ] || fail "tavrin.exe --version says: $out"
items=$(run --list welcome.tavrin | tr -d '\r' | wc -l)
[ "$items" -eq 3 ] || fail "the example collection lists $items items, not 3"

# The example, named by its full path (Wine quotes it for its blanks, as cmd users type
# it), run from another folder: every item starts, nothing is reported. Standard error
# goes to a file, since the programs left running keep what they inherit open.
errors="$WINEPREFIX.err"
status=0
(cd "$WINEPREFIX/drive_c" && TAVRIN_BOXES_TO_STDERR=1 \
  wine "$exe" "$windows_folder\\welcome.tavrin" /run 2>"$errors" >/dev/null) || status=$?
[ "$status" -eq 0 ] || fail "the example collection gave status $status: $(cat "$errors")"
[ ! -s "$errors" ] || fail "the example collection reported: $(cat "$errors")"

# A collection beside the program with an item that cannot start: status 1, and the
# failure on standard error.
printf '"Tavrin File 1.2"\r\n0\r\n"Gone","C:\\nowhere\\gone.exe","",1,#FALSE#\r\n' \
  >"$folder/$name/broken.tavrin"
status=0
run "$windows_folder\\broken.tavrin" /run 2>"$errors" >/dev/null || status=$?
[ "$status" -eq 1 ] || fail "a failed item gave status $status, not 1"
grep -q 'item 1 "Gone": File Not Found' "$errors" ||
  fail "the failed item was not reported: $(cat "$errors")"
rm -f "$errors"

# Window mode: the main window appears with its caption, and Esc, pressed as a user
# presses it, closes it: the program then ends with status 0.
window_mode() {
  local title="$1"
  shift
  local pid status=0 window=""
  (cd "$folder/$name" && exec wine "$exe" "$@" </dev/null >/dev/null 2>&1) &
  pid=$!
  for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name "^The Tavrin$" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || { kill "$pid" 2>/dev/null || true; fail "no main window for $title"; }
  sleep 1
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key Escape
  for _ in $(seq 60); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    fail "Esc did not close the main window for $title"
  fi
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the main window for $title ended with status $status"
}
window_mode "tavrin.exe alone"
window_mode "tavrin.exe welcome.tavrin" welcome.tavrin

echo "check-windows-package: $name.zip unpacks and runs (tavrin.exe: $(stat -c %s "$exe") bytes)"
