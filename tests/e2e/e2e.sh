#!/usr/bin/env bash
# End to end: the built program under Xvfb (1440×900) on a private session bus
# with Debian's status-notifier-watcher, with a temporary HOME and XDG folders.
#   e2e.sh GAUGELET SNIPROBE SCREENSHOT_DIR [BUILD_DIR]
# With BUILD_DIR it also installs the build into a temporary prefix and runs
# the installed program, which must find its resources there.
# Exit 0 on success, 77 when a tool it needs is missing (CTest: skipped).
set -uo pipefail

gaugelet=$1
probe=$2
shots=$3
build_dir=${4:-}

source "$(dirname "$0")/lib.sh"

if [[ "${GAUGELET_E2E_INNER:-}" != 1 ]]; then
  e2e_require xvfb-run dbus-run-session status-notifier-watcher xdotool xwininfo xprop
  e2e_rerun 1440x900 "$0" "$@"
fi

root=$(mktemp -d)
cleanup() {
  [[ -n "${app:-}" ]] && kill -KILL "$app" 2>/dev/null
  [[ -n "${watcher:-}" ]] && kill "$watcher" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT

e2e_environment "$root"
log=$root/log
export XDG_CONFIG_DIRS=$root/etc XDG_DATA_DIRS=/usr/share
mkdir -p "$shots"

status-notifier-watcher >/dev/null 2>&1 &
watcher=$!
wait_for 100 has_owner org.kde.StatusNotifierWatcher

now_ms() { date +%s%3N; }

# Waits (at most $1 tenths of a second) for the first registered item; prints its service.
wait_item() {
  wait_for "$1" eval '[[ -n "$("$probe" items 2>/dev/null)" ]]'
  "$probe" items 2>/dev/null | head -1
}

# Waits until the number of viewable "Gaugelet" windows is $1 (at most 15 s).
wait_windows() { wait_for 150 windows_are "$1"; }

# Waits for the program to end (at most 30 s: the sanitizers' leak check runs
# at exit); sets status to its exit status.
wait_exit() {
  status=still-running
  wait_for 300 eval '! kill -0 "$app" 2>/dev/null' && { wait "$app"; status=$?; }
}

# The id of the window titled exactly $1, if any.
window_id() { xwininfo -root -children 2>/dev/null | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\".*/\1/p" | head -1; }
# The sizes of the icon the window titled exactly $1 shows ("16x16 32x32 …"),
# waiting for the window at most 30 s.
window_icon_sizes() {
  local title=$1 id=""
  wait_for 300 eval '[[ -n "$(window_id "$title")" ]]' && id=$(window_id "$title")
  [[ -n "$id" ]] && xprop -id "$id" _NET_WM_ICON 2>/dev/null | sed -n 's/.*Icon (\([0-9]*\) x \([0-9]*\)).*/\1x\2/p' | tr '\n' ' '
}

# --- 0. With no pins the item shows the idle logo, and nothing else.
write_settings '[]'
"$probe" record 2 >"$root/idle" 2>/dev/null &
recorder=$!
wait_for 100 grep -q ready "$root/idle"
start_app
service=$(wait_item 300)
wait "$recorder"
kill -TERM "$app"; wait_exit
read -r _ _ _ idle_hash <<<"$(grep -v ready "$root/idle" | head -1)"
[[ $(grep -vc ready "$root/idle") == 1 && -n "$idle_hash" ]] && pass "without pins: the idle logo only" \
  || fail "without pins: $(cat "$root/idle")"
rm -rf "$XDG_CONFIG_HOME/dev.gaugelet.app" "$XDG_DATA_HOME/Gaugelet"
mv "$root/log" "$root/idle.log"

# --- 1. Launch: one item, idle logo first, then the fox runner animates.
"$probe" record 6 "$shots" >"$root/icons" 2>/dev/null &
recorder=$!
wait_for 100 grep -q ready "$root/icons"
t0=$(now_ms)
start_app
service=$(wait_item 300)
if [[ -z "$service" ]]; then
  fail "no status item registered"; cat "$root/log"; exit 1
fi
pass "item registered after $(( $(now_ms) - t0 )) ms: $service"
# The setup window of a first launch shows the program's icon.
sizes=$(window_icon_sizes "Set up Gaugelet")
[[ "$sizes" == *128x128* && "$sizes" == *16x16* ]] && pass "the setup window shows the program's icon ($sizes)" \
  || fail "the setup window's icon: '$sizes'"
[[ $("$probe" items | wc -l) -eq 1 ]] && pass "exactly one item" || fail "more than one item: $("$probe" items)"

bundles_seeded() { [[ $(ls "$XDG_DATA_HOME/Gaugelet/Bundles" 2>/dev/null | wc -l) -ge 4 ]]; }
wait_for 300 bundles_seeded
bundles=$(ls "$XDG_DATA_HOME/Gaugelet/Bundles" 2>/dev/null | sort | tr '\n' ' ')
[[ "$bundles" == "effects fox hare piglet " ]] && pass "four shipped bundles installed" || fail "bundles: '$bundles'"

wait "$recorder"
# The idle logo's item gave way to the tile's.
service=$("$probe" items | tail -1)
# Every distinct picture the item published: "<ms> <width> <height> <sha1>".
mapfile -t pictures < <(grep -v ready "$root/icons")
read -r _ first_w first_h first_hash <<<"${pictures[0]:-0 0 0 none}"
[[ "$first_h" == 22 ]] && pass "first picture ${first_w}×${first_h}" || fail "first picture is ${first_w}×${first_h}"
if [[ "$first_hash" == "$idle_hash" ]]; then
  pass "the first picture is the idle logo"
else
  # The seeding may finish before the watcher has answered the registration.
  echo "note: the seeding finished before the first picture could be read"
fi
distinct=$(printf '%s\n' "${pictures[@]}" | awk '{print $4}' | sort -u | wc -l)
read -r tiles_ms tiles_w tiles_h _ <<<"${pictures[1]:-0 0 0 none}"
if (( ${#pictures[@]} >= 4 && distinct >= 4 )); then
  pass "then tiles ${tiles_w}×${tiles_h} at ${tiles_ms} ms, and ${distinct} distinct pictures in 6 s (the fox runs)"
else
  fail "no animation: ${#pictures[@]} pictures, $distinct distinct"
fi
"$probe" icon "$service" "$shots/e2e-icon-fox.png" >/dev/null

# --- 2. Activate opens one window titled "Gaugelet" under the click, 740 wide.
ax=1300; ay=10
"$probe" activate "$service" $ax $ay
if wait_windows 1; then
  read -r id x y ww wh < <(gaugelet_windows)
  pass "popover mapped at ${x},${y} ${ww}×${wh}"
  [[ "$ww" == 740 ]] && pass "740 wide" || fail "width $ww, not 740"
  (( x <= ax && ax < x + ww && y >= ay && y <= ay + 40 )) && pass "near the click" || fail "not near ($ax,$ay): $x,$y"
  sleep 0.5
  "$probe" grab "$shots/e2e-popover.png" && pass "screenshot $shots/e2e-popover.png"
else
  fail "no popover window after Activate: $(gaugelet_windows)"
fi

# --- 3. A second Activate closes it.
"$probe" activate "$service" $ax $ay
wait_windows 0 && pass "second Activate closes" || fail "second Activate did not close"

# --- 4. A click outside closes it; SecondaryActivate and ContextMenu toggle too.
sleep 0.5
"$probe" secondary "$service" $ax $ay
wait_windows 1 && pass "SecondaryActivate opens" || fail "SecondaryActivate did not open"
xdotool mousemove 200 700 click 1
wait_windows 0 && pass "outside click closes" || fail "outside click did not close"
sleep 0.5
# A click on the item while open: the popup closes on the press, then the
# item's own Activate for that click arrives and must not reopen it.
"$probe" activate "$service" $ax $ay
wait_windows 1 || fail "Activate did not reopen"
xdotool mousemove $ax 3 click 1
"$probe" activate "$service" $ax $ay
wait_windows 0 && sleep 0.6 && windows_are 0 && pass "the click on the item closes and does not reopen" \
  || fail "the Activate of the closing click reopened the popover"
"$probe" context "$service" $ax $ay
wait_windows 1 && pass "ContextMenu opens" || fail "ContextMenu did not open"

# --- 5. "Quit" ends the program with 0, its name goes, the settings are saved.
read -r id x y ww wh < <(gaugelet_windows)
xdotool mousemove $((x + ww - 14 - 20)) $((y + wh - 14 - 10)) click 1
wait_exit
[[ "$status" == 0 ]] && pass "Quit ends with 0" || fail "Quit: status $status"
wait_for 50 eval '! has_owner "$service"' && pass "bus name gone" || fail "bus name still owned after Quit"
for key in migration.dropLegacyGlobalTags.v1 migration.perPinTagStyling.v1 migration.seedSampleAlarm.v1 global.alarms; do
  grep -q "<key>$key</key>" "$settings" 2>/dev/null && pass "settings hold $key" || fail "settings lack $key"
done

# --- 6. SIGTERM takes the same path.
rm -f "$settings"
start_app
service=$(wait_item 300)
[[ -n "$service" ]] || fail "second launch registered no item"
sleep 0.5
kill -TERM "$app"
wait_exit
[[ "$status" == 0 ]] && pass "SIGTERM ends with 0" || fail "SIGTERM: status $status"
wait_for 50 eval '! has_owner "$service"' && pass "bus name gone after SIGTERM" \
  || fail "bus name still owned after SIGTERM"
grep -q "<key>migration.dropLegacyGlobalTags.v1</key>" "$settings" 2>/dev/null && pass "SIGTERM saved the settings" \
  || fail "SIGTERM did not save the settings"

# --- 7. One copy per session: a second launch hands over to the running copy, which shows its popover, and
# leaves at once with 0, the settings untouched; a relaunch (after loading a backup) waits for the name.
owner_pid() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID dev.gaugelet.app 2>/dev/null | sed -n 's/.*uint32 \([0-9]*\).*/\1/p'
}
settings_state() { ls -l --time-style=full-iso "$(dirname "$settings")"; md5sum <"$settings"; }
start_app
first=$app
[[ -n "$(wait_item 300)" ]] || fail "the first copy registered no item"
[[ $(owner_pid) == "$first" ]] && pass "the running copy owns dev.gaugelet.app" || fail "owner: '$(owner_pid)', not $first"
# The first copy's own saves are over once the folder holds still for a second.
state=""
for _ in $(seq 20); do
  [[ "$(settings_state)" == "$state" ]] && break
  state=$(settings_state)
  sleep 1
done
t0=$(now_ms)
timeout -s KILL 30 "$gaugelet" >>"$root/log" 2>&1
second_status=$?
[[ $second_status == 0 ]] && pass "a second launch leaves with 0 after $(( $(now_ms) - t0 )) ms" \
  || fail "second launch: status $second_status after $(( $(now_ms) - t0 )) ms"
wait_windows 1 && pass "the running copy shows its popover" || fail "no popover after the second launch"
[[ "$(settings_state)" == "$state" ]] && pass "the settings folder is byte for byte as it was" \
  || fail "the settings changed: $state / $(settings_state)"
kill -0 "$first" 2>/dev/null && pass "the first copy runs on" || fail "the first copy ended"
xdotool key Escape
"$gaugelet" --wait-for-previous >>"$root/log" 2>&1 &
relaunched=$!
sleep 1.5
kill -0 "$relaunched" 2>/dev/null && [[ $(owner_pid) == "$first" ]] && pass "a relaunched copy waits for the name" \
  || fail "the relaunched copy did not wait (owner '$(owner_pid)')"
kill -TERM "$first"
wait_exit
app=$relaunched
wait_for 300 eval '[[ $(owner_pid) == "$relaunched" ]]' && pass "and owns it once the running copy has quit" \
  || fail "the relaunched copy never took the name (owner '$(owner_pid)')"
[[ -n "$(wait_item 300)" ]] && pass "the relaunched copy shows its row" || fail "the relaunched copy registered no item"
kill -TERM "$app"
wait_exit
[[ "$status" == 0 ]] || fail "relaunched copy: status $status"

# A name held by a program that is not this one does not stop a launch: it runs, and says it is unguarded.
"$probe" hold dev.gaugelet.app >"$root/holder" 2>&1 &
holder=$!
wait_for 100 grep -q ready "$root/holder"
start_app
[[ -n "$(wait_item 300)" ]] && grep -q "running without the one-copy guard" "$log" \
  && pass "beside a name holder that is not the program, a launch runs unguarded" || fail "no launch beside a name holder"
stop_app
kill "$holder"

# --- 8. Under a test host nothing registers.
XCTestConfigurationFilePath=/dev/null start_app
sleep 2
[[ -z "$("$probe" items)" ]] && pass "test host: no item" || fail "test host registered an item"
kill -TERM "$app"
wait_exit
[[ "$status" == 0 ]] && pass "test host run ends on SIGTERM" || fail "test host run: status $status"
app=""

# --- 9. Installed into a prefix, the program finds its resources there.
if [[ -n "$build_dir" ]] && command -v cmake >/dev/null; then
  prefix=$root/prefix
  if cmake --install "$build_dir" --prefix "$prefix" >"$root/install.log" 2>&1; then
    for f in bin/gaugelet share/applications/dev.gaugelet.app.desktop share/icons/hicolor/48x48/apps/dev.gaugelet.app.png \
             share/gaugelet/StoreAssets/fox.gaugebundle share/gaugelet/Sounds/bell-sound.mp3 share/gaugelet/taskbar-idle-logo.png; do
      [[ -f "$prefix/$f" ]] || fail "not installed: $f"
    done
    [[ ! -e "$prefix/share/gaugelet/desktop" && ! -e "$prefix/share/gaugelet/icons" ]] || fail "desktop files under share/gaugelet"
    grep -q "^Exec=$prefix/bin/gaugelet\|^Exec=.*/bin/gaugelet" "$prefix/share/applications/dev.gaugelet.app.desktop" \
      || fail "desktop entry Exec"
    rm -rf "$XDG_DATA_HOME/Gaugelet" "$XDG_CONFIG_HOME/dev.gaugelet.app"
    "$prefix/bin/gaugelet" >>"$root/log" 2>&1 &
    app=$!
    wait_for 300 bundles_seeded && pass "installed program seeds its shipped bundles" \
      || fail "installed program found no bundles"
    sizes=$(window_icon_sizes "Set up Gaugelet")
    [[ "$sizes" == *128x128* && "$sizes" == *16x16* ]] && pass "installed, the setup window shows the program's icon ($sizes)" \
      || fail "installed, the setup window's icon: '$sizes'"
    kill -TERM "$app"; wait_exit
    [[ "$status" == 0 ]] || fail "installed program: status $status"
    app=""
  else
    fail "cmake --install failed: $(tail -3 "$root/install.log")"
  fi
fi

e2e_finish "all end-to-end checks passed" "$root/idle.log:40" "$root/log:200"
