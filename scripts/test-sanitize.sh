#!/usr/bin/env bash
# The test command under AddressSanitizer and UndefinedBehaviorSanitizer
# (GAUGELET_SANITIZE=1 scripts/test.sh) for a quicker look at home: only the
# test programs and what they run are built in ./build-asan (or
# $GAUGELET_ASAN_BUILD_DIR; no benchmarks, no release tools), and without
# arguments, of the real-panel tests only GNOME Shell's runs (the host whose
# drops, re-registrations and restarts take the status items' longest
# paths). CI runs the whole suite there. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# == 0)); then
  set -- -E '^e2e\.Host\.(LXQt|Xfce|Plasma|Waybar)$'
fi
GAUGELET_SANITIZE=1 GAUGELET_BUILD_TARGET=test_programs exec scripts/test.sh "$@"
