#!/usr/bin/env bash
# Configures and builds Gaugelet into ./build (or $GAUGELET_BUILD_DIR).
# With GAUGELET_SANITIZE=1 the build is ./build-asan (or
# $GAUGELET_ASAN_BUILD_DIR) instead, with AddressSanitizer and
# UndefinedBehaviorSanitizer (cmake -DGAUGELET_SANITIZE=ON), as CI builds it:
# -O1 -g1 (line tables) builds in about half the time of -O2 -g, keeps the
# sanitizers' reports exact to the line, and the suite runs as fast.
# GAUGELET_BUILD_TARGET builds that target alone (e.g. test_programs: the
# tests and what they run). Extra arguments go to cmake's first configure.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${GAUGELET_SANITIZE:-0}" == 1 ]]; then
  build_dir="${GAUGELET_ASAN_BUILD_DIR:-build-asan}"
  set -- "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DGAUGELET_SANITIZE=ON "$@"
else
  build_dir="${GAUGELET_BUILD_DIR:-build}"
fi
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$build_dir" -j"$(nproc)" ${GAUGELET_BUILD_TARGET:+--target "$GAUGELET_BUILD_TARGET"}
