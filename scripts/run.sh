#!/usr/bin/env bash
# Installs what is missing, builds Gaugelet and runs it: its tiles appear in
# the desktop's status area (a StatusNotifierItem host), a click opens the
# popover. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
# A Wayland client cannot place its own windows, so the popover could not open
# under the status item; use the X11 platform (XWayland) when it is there.
if [[ -z "${QT_QPA_PLATFORM:-}" && -n "${WAYLAND_DISPLAY:-}" && -n "${DISPLAY:-}" ]]; then
  export QT_QPA_PLATFORM=xcb
fi
exec "${GAUGELET_BUILD_DIR:-build}/bin/gaugelet" "$@"
