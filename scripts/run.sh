#!/usr/bin/env bash
# Installs what is missing, builds Gaugelet and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exec "${GAUGELET_BUILD_DIR:-build}/bin/gaugelet" "$@"
