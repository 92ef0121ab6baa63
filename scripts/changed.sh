#!/usr/bin/env bash
# Prints the C++ sources and headers changed against a base commit, for the
# checks that look only at what a change wrote (scripts/check-format.sh,
# scripts/tidy.sh --changed). Renames are followed, so a moved file counts
# only for the lines whose text changed; deleted lines are no change to check.
#   scripts/changed.sh            FILE, one a line
#   scripts/changed.sh --lines    FILE:FIRST:LAST for each changed range
# The base is where HEAD left $GAUGELET_CHECK_BASE if set (on a branch:
# `main`), else HEAD's first parent: after a merge, that is
# everything the merged branch brought; after a plain commit, that commit.
# Uncommitted changes count too. With no base (a one-commit or shallow clone)
# nothing is printed and a note goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
base="${GAUGELET_CHECK_BASE:-HEAD^1}"
if ! git rev-parse -q --verify "$base^{commit}" >/dev/null; then
  echo "changed.sh: no base commit '$base'; no changes to check" >&2
  exit 0
fi
# What HEAD and the base share: the base may have moved on since the branch
# left it.
base=$(git merge-base "$base" HEAD)
# -U0: each hunk header "@@ -a,b +c,d @@" names the new lines c .. c+d-1.
ranges=$(git diff --no-ext-diff --no-color -U0 -M --diff-filter=AMR "$base" -- \
    ':(glob)**/*.cpp' ':(glob)**/*.h' ':(glob)**/*.hpp' ':(glob)**/*.cc' \
  | awk '
      /^\+\+\+ / { file = substr($0, 7); next }
      /^@@ / {
        split($3, r, ",")
        first = substr(r[1], 2) + 0
        count = (2 in r) ? r[2] + 0 : 1
        if (count > 0) print file ":" first ":" first + count - 1
      }')
[[ -n "$ranges" ]] || exit 0
if [[ "${1:-}" == "--lines" ]]; then
  printf '%s\n' "$ranges"
else
  printf '%s\n' "$ranges" | cut -d: -f1 | uniq
fi
