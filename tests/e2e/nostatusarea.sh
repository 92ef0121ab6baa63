#!/usr/bin/env bash
# No status area: the program on a bare X server and a private bus with no
# StatusNotifierWatcher and no tray, on a first run, shows a window within
# 15 s behind the setup window, leaving it the keyboard, and sends one
# notification (dunst answers, dbus-monitor reads it); then trayer's XEmbed
# tray comes: the window goes, the notification is withdrawn, one icon per
# tile, in order, each drawn for its slot and opening the popover, where a
# "Pin as:" chip click leaves it open. Screenshots: nostatusarea-window.png,
# tray-trayer.png.
#   nostatusarea.sh GAUGELET SNIPROBE SCREENSHOT_DIR
# Exit 0 on success, 77 when a tool it needs is missing (CTest: skipped).
set -uo pipefail

gaugelet=$1
probe=$2
shots=$3

source "$(dirname "$0")/lib.sh"

if [[ "${GAUGELET_E2E_INNER:-}" != 1 ]]; then
  e2e_require xvfb-run dbus-run-session dbus-monitor gdbus dunst trayer xdotool xwininfo
  e2e_rerun 1280x800 "$0" "$@"
fi

root=$(mktemp -d)
app="" notifier="" monitor="" tray=""
cleanup() {
  [[ -n "$app" ]] && kill -KILL "$app" 2>/dev/null
  for p in $tray $monitor $notifier; do kill "$p" 2>/dev/null; done
  rm -rf "$root"
}
trap cleanup EXIT

e2e_environment "$root"
unset XDG_CURRENT_DESKTOP
log=$root/log
mkdir -p "$shots"

# The program's icons in the tray, left to right: "x y width height" each.
tray_icons() {
  local panel
  panel=$(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "panel": ("panel" "trayer").*/\1/p' | head -1)
  [[ -n "$panel" ]] || return
  xwininfo -tree -id "$panel" 2>/dev/null |
    sed -n 's/^ *0x[0-9a-f]* "Gaugelet": ([^)]*) *\([0-9]*\)x\([0-9]*\)+-*[0-9]*+-*[0-9]* *+\(-*[0-9]*\)+\(-*[0-9]*\)$/\3 \4 \1 \2/p' |
    sort -n
}

# Whether window $1 is stacked above window $2 (the root's children, topmost first).
above() { xwininfo -root -children | grep -o '^ *0x[0-9a-f]*' | grep -m1 -xE " *($1|$2)" | grep -q "$1"; }

write_settings "$three" "" # a first run: the setup window opens
title="Gaugelet cannot show its tiles in the panel"

# dunst keeps every notification until it is closed: only a withdrawal takes ours away.
printf '[urgency_%s]\n  timeout = 0\n' low normal critical >"$root/dunstrc"
dunst -config "$root/dunstrc" >/dev/null 2>&1 &
notifier=$!
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  "type='method_call',interface='org.freedesktop.Notifications',member='CloseNotification'" >"$root/notify" 2>&1 &
monitor=$!
wait_for 50 has_owner org.freedesktop.Notifications || fail "dunst did not start"

# --- 1. Nothing shows the row: a window and a notification.
t0=$(date +%s%3N)
start_app
wait_for 150 eval '! windows_are 0' && pass "a window (id x y w h: $(gaugelet_windows)) after $(($(date +%s%3N) - t0)) ms" \
  && "$probe" grab "$shots/nostatusarea-window.png" || fail "no window of the program within 15 s"
setup=$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Set up Gaugelet".*/\1/p')
read -r standin _ < <(gaugelet_windows)
[[ -n "$setup" ]] && above "$setup" "$standin" && pass "the setup window stays in front of the window" \
  || fail "the setup window ($setup) is not in front of the window ($standin)"
# The window came up without taking the keyboard (no window manager: the
# window given the input focus keeps it).
focus=$(xdotool getwindowfocus 2>/dev/null)
[[ -n "$setup" && -n "$focus" ]] && ((focus == setup)) && pass "the setup window keeps the keyboard" \
  || fail "the keyboard is in window ${focus:-none}, not the setup window ($setup)"
wait_for 100 grep -q "$title" "$root/notify" && pass "a notification says what is missing" \
  || fail "no notification: $(grep -c Notify "$root/notify") Notify calls"
sleep 1
[[ $(grep -c "$title" "$root/notify") == 1 ]] && pass "told once" || fail "told $(grep -c "$title" "$root/notify") times"
# A second launch on the same home leaves at once; the first copy's window stays.
timeout -s KILL 8 "$gaugelet" >>"$log" 2>&1 && pass "a second launch leaves with 0" || fail "second launch: status $?"
windows_are 1 && kill -0 "$app" && pass "the first copy's window stays" || fail "windows: $(gaugelet_windows)"
# Beside a first copy that hangs (stopped), a launch says so on stderr and in a notification and leaves with
# 1 after the 10 s it waits for an answer; one stopped for 1.5 s is still handed over to.
kill -STOP "$app"
timeout -s KILL 20 "$gaugelet" >"$root/hung" 2>&1
status=$? && kill -CONT "$app"
[[ $status == 1 ]] && grep -q "already running but does not respond. .*(process $app)" "$root/hung" \
  && wait_for 100 grep -q "already running but does not respond" "$root/notify" \
  && pass "beside a copy that hangs: status 1, saying so and notifying" || fail "beside a copy that hangs: $status $(cat "$root/hung")"
kill -STOP "$app"
(sleep 1.5 && kill -CONT "$app") &
timeout -s KILL 20 "$gaugelet" >>"$log" 2>&1 && pass "a copy stopped for 1.5 s is handed over to" || fail "stopped 1.5 s: $?"
wait $!

# --- 2. A tray comes: the window goes, one icon per tile in the row's order.
trayer --edge top --align left --widthtype request --height 26 --SetDockType false >/dev/null 2>&1 &
tray=$!
wait_for 150 windows_are 0 && pass "the window goes when a tray comes" || fail "the window stays with a tray"
wait_for 100 grep -q CloseNotification "$root/notify" && pass "the notification is withdrawn" \
  || fail "the notification stays with a tray"
wait_for 150 eval '[[ $(tray_icons | wc -l) -ge 3 ]]'
sleep 1
mapfile -t icons < <(tray_icons)
[[ ${#icons[@]} == 3 ]] && pass "three tiles, three tray icons: ${icons[*]}" || fail "tray icons: ${icons[*]}"
"$probe" grab "$shots/tray-trayer.png" 0 0 100 28 8 && pass "screenshot $shots/tray-trayer.png"
hashes=""
start=$(($(wc -l <"$log") + 1))
for icon in "${icons[@]}"; do
  read -r ix iy iw ih <<<"$icon"
  read -r inkw inkh hash < <("$probe" ink "$ix" "$iy" "$iw" "$ih")
  hashes+="$hash "
  # Drawn for the slot: the tile fills its width or height, not a third of it.
  ((inkh >= ih - 8 || inkw >= iw - 6)) && pass "icon at $ix: ${inkw}×${inkh} drawn in its ${iw}×${ih} slot" \
    || fail "icon at $ix: ${inkw}×${inkh} in a ${iw}×${ih} slot"
  cx=$((ix + iw / 2)) cy=$((iy + ih / 2))
  xdotool mousemove $cx $cy click 1
  if wait_for 150 windows_are 1; then
    read -r _ px py pw _ < <(gaugelet_windows)
    ((px <= cx && cx < px + pw && py > cy && py <= cy + 40)) && pass "the popover opens under the click at $cx,$cy" \
      || fail "the popover at $px,$py is not under the click at $cx,$cy"
    xdotool key Escape
    wait_for 100 windows_are 0 || fail "Escape did not close the popover"
  else
    fail "a click on the icon at $ix opened no popover"
  fi
  sleep 0.5
done
[[ $(tr ' ' '\n' <<<"$hashes" | sort -u | grep -c .) == 3 ]] && pass "each icon its own tile" \
  || fail "icons alike: $hashes"
got=$(clicks_since "$start" | sort -n | awk '{printf "%s ", $2}')
[[ "$got" == "$row3" ]] && pass "the tray shows the row in order: $got" || fail "the tray shows '$got', not '$row3'"
# A "Pin as:" chip pins at once and leaves the popover open, as on the other
# hosts: the network row's fox chip (right column, 61 pixels above the
# popover's bottom) adds a fourth tile, whose tray icon shows while it is open.
read -r ix iy iw ih <<<"${icons[0]}"
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
if wait_for 30 windows_are 1; then
  read -r _ px py pw ph < <(gaugelet_windows)
  xdotool mousemove $((px + 466)) $((py + ph - 61)) click 1
  wait_for 50 eval '[[ $(tray_icons | wc -l) -eq 4 ]]' || fail "the fox chip pinned nothing: $(tray_icons | wc -l) tray icons"
  windows_are 1 && pass "a chip click pins the network fox and leaves the popover open" \
    || fail "a chip click closed the popover"
  xdotool key Escape
  wait_for 20 windows_are 0 || fail "Escape did not close the popover after a chip click"
else
  fail "a click on the icon at $ix opened no popover"
fi
stop_app

e2e_finish "all checks without a status area passed" "$log:40"
