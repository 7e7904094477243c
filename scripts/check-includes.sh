#!/usr/bin/env bash
# Checks the direction of the includes and where toolkit and system headers may stand:
#   main -> ui/<toolkit> -> forms -> launch, shellreg, dialogs -> collection -> platform
# A folder includes its own headers and those of the folders below it, never one above
# or beside it. The platform's implementations (platform/posix, platform/win32,
# platform/qt) and the toolkits' views (ui/qt, ui/win32) are included only from their
# own folder and from main, which wires them. Qt headers stand only in ui/qt,
# platform/qt and main (and their tests); Windows headers only in .cpp files of
# platform/win32 and ui/win32 (and the Windows tests; the plain windows that bench/
# measures against are the exceptions); the forms hold no #if of any
# kind. Prints each offence and fails when there is one. `make lint` runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

git grep -n -I -E '^[[:space:]]*#[[:space:]]*(include|if)' -- '*.cpp' '*.h' '*.c' | awk '
function rank(top) {
  if (top == "platform") return 0
  if (top == "collection") return 1
  if (top == "launch" || top == "shellreg" || top == "dialogs") return 2
  if (top == "forms") return 3
  if (top == "ui") return 4
  if (top == "main") return 5
  return -1
}
# The folder that owns a path below src/: platform/posix, ui/qt, forms, ...
function owner(path,   parts, n) {
  n = split(path, parts, "/")
  if (n > 2 && (parts[1] == "platform" && (parts[2] == "posix" || parts[2] == "win32" ||
                                           parts[2] == "qt") ||
                parts[1] == "ui" && (parts[2] == "qt" || parts[2] == "win32")))
    return parts[1] "/" parts[2]
  return parts[1]
}
function top(folder) { sub(/\/.*/, "", folder); return folder }
function fail(message) { print message > "/dev/stderr"; failures++ }
{
  file = $0; sub(/:.*/, "", file)
  rest = substr($0, length(file) + 2)
  line = rest; sub(/:.*/, "", line)
  text = substr(rest, length(line) + 2)
  isSource = file ~ /^src\//
  from = isSource ? owner(substr(file, 5)) : ""
  if (text ~ /^[[:space:]]*#[[:space:]]*if/) {
    if (isSource && from == "forms") fail(file ":" line ": the forms build the same everywhere: no #if")
    next
  }
  if (text ~ /#[[:space:]]*include[[:space:]]*<Q[A-Za-z]*(\/[A-Za-z]+)?>/ &&
      file !~ /^(src|tests)\/(ui|platform)\/qt\// && file !~ /^src\/main\// &&
      file !~ /^bench\/(window_bench|plain_window)\.cpp$/)
    fail(file ":" line ": a Qt header outside ui/qt, platform/qt and main")
  if (tolower(text) ~ /#[[:space:]]*include[[:space:]]*<(windows|winbase|winuser|winreg|winerror|shellapi|shlobj|shlwapi|shobjidl|commctrl|commdlg|objbase|ole2|tlhelp32|psapi)\.h>/ &&
      file !~ /^src\/(platform|ui)\/win32\/[^\/]*\.cpp$/ && file !~ /^tests\/.*win32[^\/]*\.cpp$/ &&
      file !~ /^tests\/helpers\// && file != "bench/plain_window_win32.c")
    fail(file ":" line ": a Windows header outside the .cpp files of platform/win32 and ui/win32")
  if (!isSource || text !~ /#[[:space:]]*include[[:space:]]*"/) next
  target = text; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
  if (rank(top(target)) < 0) next  # the generated version header, and no folder of ours
  to = owner(target)
  if (top(to) != top(from) && rank(top(to)) >= rank(top(from)))
    fail(file ":" line ": includes " target ": " top(from) " may not depend on " top(to))
  else if (to != top(to) && to != from && top(from) != "main")
    fail(file ":" line ": includes " target ", which only its own folder and main may include")
}
END {
  if (failures > 0) { print "check-includes: " failures " offence(s)" > "/dev/stderr"; exit 1 }
  print "check-includes: the includes point one way"
}'
