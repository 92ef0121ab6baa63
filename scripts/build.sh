#!/usr/bin/env bash
# Configures and builds Gaugelet into ./build (or $GAUGELET_BUILD_DIR).
# With GAUGELET_SANITIZE=1 the build is ./build-asan (or
# $GAUGELET_ASAN_BUILD_DIR) instead, with AddressSanitizer and
# UndefinedBehaviorSanitizer, as CI builds it (see scripts/build-dir.sh).
# GAUGELET_BUILD_TARGET builds that target alone (e.g. test_programs: the
# tests and what they run). Extra arguments go to cmake's first configure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-dir.sh
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${build_configure[@]}" "$@"
fi
cmake --build "$build_dir" -j"$(nproc)" ${GAUGELET_BUILD_TARGET:+--target "$GAUGELET_BUILD_TARGET"}
