#!/usr/bin/env bash
# Builds and runs every benchmark, printing the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
for b in "${GAUGELET_BUILD_DIR:-build}"/bench/bench_*; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
