#!/usr/bin/env bash
# Installs, with apt-get, every Debian 12 package that building, running and
# testing Gaugelet needs and that is not installed yet. Safe to run again.
#   scripts/deps.sh          build and run dependencies
#   scripts/deps.sh --test   also what the tests use (zip, a private D-Bus, a notification daemon, Xvfb, sox,
#                            a status-notifier watcher, xdotool and xwininfo for the end-to-end test,
#                            trayer (an XEmbed system tray) for the test without a status area,
#                            gio and systemd to start the login item as desktops do,
#                            the hosts the status row is checked on: LXQt's and Xfce's panels,
#                            GNOME Shell with the AppIndicator extension, Plasma's shell with
#                            kded5, kactivitymanagerd and openbox, and waybar on a headless sway
#                            with XWayland, grim for its screenshots and the Wayland client
#                            library and scanner that build its virtual pointer)
#   scripts/deps.sh --fuzz   also clang and its libFuzzer runtime (scripts/fuzz.sh)
#   scripts/deps.sh --check  also clang-format and clang-tidy (scripts/check-format.sh, scripts/tidy.sh)
set -euo pipefail

build_pkgs=(g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-multimedia-dev qcoro-qt6-dev
  libsodium-dev libplist-dev libsndfile1-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev)
test_pkgs=(zip unzip dbus-daemon dunst xvfb xauth sox openssl python3-nacl haskell-status-notifier-item-utils
  xdotool x11-utils libglib2.0-bin systemd trayer lxqt-panel xfce4-panel xfconf
  gnome-shell gnome-shell-extension-appindicator
  plasma-workspace plasma-desktop kded5 kactivitymanagerd openbox
  sway waybar xwayland grim libwayland-dev)

fuzz_pkgs=(clang libclang-rt-14-dev)
check_pkgs=(clang-format-14 clang-tidy-14)

want=("${build_pkgs[@]}")
case "${1:-}" in
  --test) want+=("${test_pkgs[@]}") ;;
  --fuzz) want+=("${fuzz_pkgs[@]}") ;;
  --check) want+=("${check_pkgs[@]}") ;;
esac

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
