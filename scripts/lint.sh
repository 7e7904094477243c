#!/usr/bin/env bash
# The lint of `make lint` and `make lint-all`: formatting (.clang-format), the direction of
# the includes (scripts/check-includes.sh) and clang-tidy (scripts/check-tidy.sh).
#   scripts/lint.sh         checks what changed against main: the changed sources' format,
#                           and clang-tidy on the changed sources of src/ and on every
#                           source of src/ that includes a changed header, even through
#                           another header. Committed, staged, unstaged and new files count.
#   scripts/lint.sh --all   checks every tracked source, as CI does.
# The base is where the branch left main (LINT_BASE names another); without one (a clone
# with no main), the whole run is made. The includes are always checked whole: it is fast.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

all=0
[ "${1:-}" = --all ] && all=1
base=
if [ "$all" = 0 ]; then
  for ref in ${LINT_BASE:-main origin/main}; do
    base=$(git merge-base HEAD "$ref" 2>/dev/null) && break
  done
  if [ -z "$base" ]; then
    echo "lint: no main to compare with; checking everything"
    all=1
  fi
fi

if [ "$all" = 1 ]; then
  git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror
  scripts/check-includes.sh
  BUILD=$build scripts/check-tidy.sh
  exit 0
fi

mapfile -t changed < <({
  git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h' '*.c'
  git ls-files --others --exclude-standard -- '*.cpp' '*.h' '*.c'
} | sort -u)
echo "lint: ${#changed[@]} source(s) changed since $(git rev-parse --short "$base")"
[ "${#changed[@]}" -gt 0 ] && clang-format --dry-run -Werror "${changed[@]}"
scripts/check-includes.sh

# The sources of src/ to tidy: the changed ones, and those that include a changed header.
# Every include of src/ names its header from src/ ("collection/run_options.h").
mapfile -t tidy < <({
  printf 'changed %s\n' "${changed[@]}"
  git grep -I -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -- 'src/*' || true
} | awk '
  $1 == "changed" { if ($2 ~ /^src\//) dirty[$2] = 1; next }
  {
    file = $0; sub(/:.*/, "", file)
    target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
    includers["src/" target] = includers["src/" target] " " file
  }
  END {
    # What includes a dirty header is dirty too, until nothing more is added.
    do {
      grew = 0
      for (header in dirty) {
        if (header !~ /\.h$/ || done[header]++) continue
        n = split(includers[header], files, " ")
        for (i = 1; i <= n; i++) if (!(files[i] in dirty)) { dirty[files[i]] = 1; grew = 1 }
      }
    } while (grew)
    for (file in dirty) if (file ~ /\.(cpp|c)$/) print file
  }' | sort)

if [ "${#tidy[@]}" -eq 0 ]; then
  echo "lint: no source of src/ to tidy"
  exit 0
fi
BUILD=$build scripts/check-tidy.sh "${tidy[@]}"
