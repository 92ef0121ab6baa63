#!/usr/bin/env bash
# Installs what is missing, builds Gaugelet and runs every test: offscreen Qt,
# on a private session bus of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
scripts/build.sh
build_dir="${GAUGELET_BUILD_DIR:-build}"
export QT_QPA_PLATFORM=offscreen
exec dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" "$@"
