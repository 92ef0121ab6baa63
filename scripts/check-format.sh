#!/usr/bin/env bash
# Checks that the lines a change wrote are formatted as .clang-format says
# (clang-format-14 on those lines only, so untouched code is never
# reformatted). Prints what clang-format would change and fails if anything.
#   scripts/check-format.sh         check against the base of scripts/changed.sh
#   scripts/check-format.sh --fix   format those lines in place instead
# On a branch: GAUGELET_CHECK_BASE=main scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
format="${CLANG_FORMAT:-clang-format-14}"
command -v "$format" >/dev/null || scripts/deps.sh --check
fix=0
[[ "${1:-}" == "--fix" ]] && fix=1

declare -A lines=()
while IFS=: read -r file first last; do
  [[ -n "$file" ]] || continue
  lines[$file]+=" --lines=$first:$last"
done < <(scripts/changed.sh --lines)

status=0
for file in $(printf '%s\n' "${!lines[@]}" | sort); do
  # shellcheck disable=SC2086 # the --lines options are split on purpose
  if ((fix)); then
    "$format" --style=file -i ${lines[$file]} "$file"
  elif ! "$format" --style=file ${lines[$file]} "$file" | diff -u --label "$file" --label "$file (clang-format)" "$file" -; then
    status=1
  fi
done
if ((status)); then
  echo "check-format.sh: the lines above are not formatted as .clang-format says;" \
    "scripts/check-format.sh --fix formats them (set GAUGELET_CHECK_BASE as for this run)" >&2
else
  echo "check-format.sh: ${#lines[@]} changed file(s) formatted as .clang-format says"
fi
exit $status
