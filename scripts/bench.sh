#!/usr/bin/env bash
# Builds and runs every benchmark, printing the figures (on a private session
# bus, which the status-item benchmark needs). Extra arguments go to each
# benchmark program, e.g. --benchmark_filter=StatRegistry.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
run_all() {
  for b in "${GAUGELET_BUILD_DIR:-build}"/bench/bench_*; do
    [[ -f "$b" && -x "$b" ]] || continue
    echo "== $(basename "$b")"
    "$b" "$@"
  done
}
export -f run_all
exec dbus-run-session -- bash -c 'run_all "$@"' run_all "$@"
