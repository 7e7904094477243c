#!/usr/bin/env bash
# Proves the Debian package on this machine (Debian 12) without touching the system:
# builds it with `make package`, lets lintian judge it (no error, no warning, with the
# pedantic checks), checks that apt would install it with its dependencies, installs
# it with dpkg into a throw-away root, checks that every file is where a Linux desktop
# looks for it and that the desktop entries, the MIME package, the AppStream metadata
# and the manual page are sound, that it depends on Qt's platform plugin, and runs the
# installed program on collections.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}

fail() {
  echo "check-package: $*" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make --no-print-directory package BUILD="$BUILD" >"$work/package.log" 2>&1 ||
  { cat "$work/package.log" >&2; fail "the package could not be built"; }
version=$(sed -n 's/^project(Tavrin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$BUILD/tavrin_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"

# Qt loads the windows' platform plugin (xcb) only at run time: the package depends on
# the package that holds it (on Debian 12, Qt's GUI library, which the linked libraries
# bring in; elsewhere named by the package's settings).
xcb=$(find /usr/lib -path '*/qt6/plugins/platforms/libqxcb.so' -print -quit)
[ -n "$xcb" ] || fail "Qt's xcb platform plugin is not installed here"
owner=$(dpkg-query --search "$xcb" | cut -d: -f1)
depends=$(dpkg-deb --field "$deb" Depends)
grep -qE "(^|, )$owner( |,|\$)" <<<"$depends" ||
  fail "the package does not depend on $owner, which holds Qt's xcb platform plugin: $depends"

# Lintian, as Debian judges its own packages, with the pedantic checks. An error or a
# warning fails the check; information and pedantic tags are shown.
lintian --pedantic --display-info --allow-root --fail-on error,warning "$deb" \
  >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian finds errors or warnings"; }
cat "$work/lintian.log" >&2

# apt resolves the package's dependencies against Debian 12 (the packages installed
# here and the configured archive); --simulate changes nothing.
apt-get install --simulate -o Debug::NoLocking=1 "$(realpath "$deb")" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt cannot install the package"; }
grep -q '^Inst tavrin ' "$work/apt.log" || { cat "$work/apt.log" >&2; fail "apt would not install tavrin"; }

# A real dpkg installation into an empty root of its own.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless \
  --log=/dev/null --install "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log" >&2; fail "dpkg cannot install the package"; }
dpkg --root="$root" --status tavrin | grep -q '^Status: install ok installed' ||
  fail "dpkg does not list tavrin as installed"

for file in \
  usr/bin/tavrin \
  usr/share/applications/tavrin.desktop \
  usr/share/applications/tavrin_run.desktop \
  usr/share/metainfo/io.github.tavrin.tavrin.metainfo.xml \
  usr/share/doc/tavrin/copyright \
  usr/share/doc/tavrin/changelog.gz \
  usr/share/doc/tavrin/examples/welcome.tavrin \
  usr/share/doc/tavrin/README.md \
  usr/share/doc/tavrin/docs/collections.md \
  usr/share/mime/packages/tavrin.xml \
  usr/share/icons/hicolor/scalable/apps/tavrin.svg \
  usr/share/icons/hicolor/48x48/apps/tavrin.png \
  usr/share/icons/hicolor/scalable/mimetypes/application-x-tavrin.svg \
  usr/share/man/man1/tavrin.1.gz; do
  [ -s "$root/$file" ] || fail "missing from the package: /$file"
done
[ -x "$root/usr/bin/tavrin" ] || fail "/usr/bin/tavrin is not executable"
if ldd "$root/usr/bin/tavrin" | grep -q 'not found'; then
  ldd "$root/usr/bin/tavrin" >&2
  fail "the program needs libraries that are not installed"
fi

# The windows are a module of their own, under the library folder.
module=$(find "$root/usr/lib" -name tavrin-gui.so | head -n 1)
[ -n "$module" ] || fail "the windows module tavrin-gui.so is missing from the package"
if ldd "$module" | grep -q 'not found'; then
  ldd "$module" >&2
  fail "the windows module needs libraries that are not installed"
fi

desktop-file-validate "$root/usr/share/applications/tavrin.desktop" ||
  fail "the menu entry does not validate"
desktop-file-validate "$root/usr/share/applications/tavrin_run.desktop" ||
  fail "the entry that runs collections does not validate"
for program in "$root/usr/bin/tavrin" "$module"; do
  file "$program" | grep -q ', stripped' || fail "$program is not stripped"
done
[ ! -e "$root/var/lib/dpkg/info/tavrin.postinst" ] && [ ! -e "$root/var/lib/dpkg/info/tavrin.postrm" ] ||
  fail "the package has maintainer scripts"

for entry in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry" || fail "the desktop entry $(basename "$entry") does not validate"
done
appstreamcli validate --pedantic --strict --no-net \
  "$root/usr/share/metainfo/io.github.tavrin.tavrin.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "the AppStream metadata does not validate"; }
cp -r "$root/usr/share/mime" "$work/mime"
update-mime-database "$work/mime" >/dev/null 2>&1
grep -q 'Tavrin Collection' "$work/mime/application/x-tavrin.xml" 2>/dev/null ||
  fail "the MIME package does not define application/x-tavrin"
if command -v groff >/dev/null; then
  warnings=$(zcat "$root/usr/share/man/man1/tavrin.1.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "the manual page has faults: $warnings"
fi
# mandoc, the other reader of manual pages, finds nothing to say of it either.
warnings=$(mandoc -T lint "$root/usr/share/man/man1/tavrin.1.gz" 2>&1) ||
  fail "mandoc finds faults in the manual page: $warnings"
[ -z "$warnings" ] || fail "mandoc finds faults in the manual page: $warnings"

# The installed program, started as a script would, with no display.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" TAVRIN_HOME="$work/home/tavrin" \
    XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
    "$root/usr/bin/tavrin" "$@"
}
mkdir -p "$work/home"
printf '"Tavrin File 1.2"\r\n1\r\n"Touch","/usr/bin/touch","%s",1,#TRUE#\r\n"Say","/bin/echo","""from the package""",1,#TRUE#\r\n' \
  "$work/ran" >"$work/good.tavrin"
printf '"Tavrin File 1.2"\r\n0\r\n"Gone","%s","",1,#FALSE#\r\n' "$work/gone" >"$work/bad.tavrin"

out=$(run "$work/good.tavrin" /run) || fail "a sound collection did not run (status $?)"
[ -e "$work/ran" ] || fail "the first item did not run"
[ "$out" = "from the package" ] || fail "unexpected output: $out"
status=0
err=$(run "$work/bad.tavrin" /RUN 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] || fail "a failed item gave status $status, not 1"
grep -q 'The Tavrin - Error:' <<<"$err" || fail "a failed item was not reported: $err"
status=0
run "$work/none.tavrin" /run 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "a missing collection gave status $status, not 2"
# The options answer on the terminal.
[ "$(run --version)" = "tavrin $version" ] || fail "tavrin --version says: $(run --version)"
[ "$(run --list "$root/usr/share/doc/tavrin/examples/welcome.tavrin" | wc -l)" -ge 1 ] ||
  fail "tavrin --list does not list the example collection"
status=0
run --bogus 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown option gave status $status, not 2"
# Run mode leaves the file association alone.
[ ! -e "$work/home/config/tavrin" ] || fail "run mode wrote the association store"

# The installed program finds its windows module: the main window opens (offscreen)
# and stays open until it is asked to close. Without the module it would end at once.
mkdir -p -m 700 "$work/runtime"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" \
  TAVRIN_HOME="$work/home/tavrin" XDG_CONFIG_HOME="$work/home/config" \
  XDG_DATA_HOME="$work/home/data" "$root/usr/bin/tavrin" 2>"$work/window.err" &
window=$!
for _ in $(seq 100); do
  kill -0 "$window" 2>/dev/null || break
  sleep 0.02
done
kill -0 "$window" 2>/dev/null || { cat "$work/window.err" >&2; fail "the main window did not open"; }
kill -TERM "$window"
status=0
wait "$window" || status=$?
[ "$status" -eq 0 ] || { cat "$work/window.err" >&2; fail "the main window ended with status $status"; }

echo "check-package: $(basename "$deb") installs and runs"
