#!/usr/bin/env bash
# End to end on waybar: the built program (X11, through XWayland) on a private
# session bus, shown by waybar's tray on a headless sway, with a pointer that
# wlpointer (tests/e2e/WlPointer.c, a wlroots virtual pointer) moves and clicks.
#   waybar.sh GAUGELET SNIPROBE SCREENSHOT_DIR WLPOINTER
# sway refuses to run as root: run as root (CI), the script makes an
# unprivileged user (gaugelet-e2e) once and runs as that user, with a private
# XDG_RUNTIME_DIR; otherwise as the current user. waybar sends clicks with
# the position inside the item, and XWayland does not know where the pointer
# is over the bar, so the popover opens at the bar's end of the screen.
# Checks: the items in the row's order for three pins, after unpinning one,
# after pinning it again and after waybar restarts; a left click on each item
# opens the popover under the bar, over the item's column; a click on the
# desktop or the bar, the pointer coming from the popover, closes it; a
# right click opens it. Zoomed screenshots of the bar's end,
# light and dark, go to SCREENSHOT_DIR (hosts-waybar-<scheme>.png), and the
# whole screen with the popover open (hosts-waybar-popover.png).
# GAUGELET_E2E_KEEP=1 keeps the run's folder (logs, settings) for a look.
# Exit 0 on success, 77 when a package is missing (CTest: skipped).
set -uo pipefail

gaugelet=$1
probe=$2
shots=$3
wlpointer=${4:-}
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

source "$(dirname "$script")/lib.sh"

stage=${GAUGELET_WAYBAR_STAGE:-outer}
width=1280 height=720 bar_h=30 bar_y=15

# outer: check the tools, then run the rest as an unprivileged user.
if [[ "$stage" == outer ]]; then
  for tool in sway waybar grim Xwayland dbus-run-session gdbus xwininfo setpriv; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (scripts/deps.sh --test installs sway, waybar, grim, xwayland" \
        "and libwayland-dev, then rebuild for wlpointer)"
      exit 77
    fi
  done
  if [[ -z "$wlpointer" || ! -x "$wlpointer" ]]; then
    echo "SKIP: wlpointer was not built (it needs libwayland-dev: scripts/deps.sh --test, then rebuild)"
    exit 77
  fi
  t0=$(date +%s)
  root=$(mktemp -d)
  chmod 755 "$root"
  mkdir -p "$root/shots" "$shots"
  # A clean environment: the user's own, and the sanitizers' options.
  run=(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 GAUGELET_WAYBAR_STAGE=user GAUGELET_WAYBAR_ROOT="$root/user"
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
  if [[ $(id -u) -eq 0 ]]; then
    user=$(e2e_test_user) || { echo "FAIL: cannot make the test user"; rm -rf "$root"; exit 1; }
    # The build must be within the test user's reach (a checkout under a
    # private home folder is not).
    for f in "$gaugelet" "$probe" "$wlpointer" "$script"; do
      if ! setpriv --reuid="$user" --regid="$user" --init-groups test -r "$f" -a -x "$f"; then
        echo "SKIP: waybar not checked: $f is out of the test user $user's reach (sway refuses root;" \
          "build in a folder other users can read, e.g. outside /root)"
        rm -rf "$root"
        exit 77
      fi
    done
    mkdir -p "$root/user"
    chown -R "$user:" "$root/user" "$root/shots"
    run=(setpriv --reuid="$user" --regid="$user" --init-groups "${run[@]}")
  fi
  "${run[@]}" "$script" "$gaugelet" "$probe" "$root/shots" "$wlpointer"
  status=$?
  cp "$root"/shots/*.png "$shots/" 2>/dev/null
  [[ -n "${GAUGELET_E2E_KEEP:-}" ]] && echo "note: kept $root" || rm -rf "$root"
  echo "note: waybar took $(($(date +%s) - t0)) s"
  exit $status
fi

# user: a private runtime folder and session bus, then the checks.
if [[ "$stage" == user ]]; then
  root=$GAUGELET_WAYBAR_ROOT
  mkdir -p "$root"
  config=$root/bus.conf
  e2e_bus_config "$config"
  export GAUGELET_WAYBAR_STAGE=inner
  exec dbus-run-session --config-file="$config" -- "$script" "$gaugelet" "$probe" "$shots" "$wlpointer"
fi

root=$GAUGELET_WAYBAR_ROOT
sway="" bar="" app="" portal=""
cleanup() {
  [[ -n "$app" ]] && kill -KILL "$app" 2>/dev/null
  stop "$portal"; stop "$bar"; stop "${POINTER_PID:-}"; stop "$sway"
}
trap cleanup EXIT

e2e_environment "$root"
export XDG_DATA_DIRS=/usr/share NO_AT_BRIDGE=1 GTK_A11Y=none
log=$root/log
touch "$log"


watcher_up() { has_owner org.kde.StatusNotifierWatcher; }
watcher_gone() { ! watcher_up; }

# sway on a headless output, with XWayland started at once; its environment
# (WAYLAND_DISPLAY, DISPLAY, SWAYSOCK) is written for us by an exec.
cat >"$root/sway.conf" <<CONF
output HEADLESS-1 resolution ${width}x${height} position 0 0
xwayland force
default_border none
exec env >$root/sway.env.part && mv $root/sway.env.part $root/sway.env
CONF
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$root/sway.conf" >"$root/sway.log" 2>&1 &
sway=$!
if ! wait_for 150 test -s "$root/sway.env"; then
  echo "FAIL: sway did not start"; tail -20 "$root/sway.log"; exit 1
fi
for var in WAYLAND_DISPLAY DISPLAY SWAYSOCK; do
  export "$(grep "^$var=" "$root/sway.env")"
done
if ! wait_for 100 eval 'xwininfo -root >/dev/null 2>&1'; then
  echo "FAIL: XWayland did not start on $DISPLAY"; tail -20 "$root/sway.log"; exit 1
fi

# waybar at the top with the tray at its right end (its stock place); the
# light bar keeps the stock style with a light background.
mkdir -p "$XDG_CONFIG_HOME/waybar"
cat >"$XDG_CONFIG_HOME/waybar/config" <<CONF
{ "layer": "top", "position": "top", "height": $bar_h,
  "modules-left": ["sway/workspaces"], "modules-right": ["clock", "tray"],
  "clock": { "format": "12:00" }, "tray": { "spacing": 4 } }
CONF
cat >"$XDG_CONFIG_HOME/waybar/light.css" <<'CSS'
@import url("/etc/xdg/waybar/style.css");
window#waybar { background-color: #f2f2f2; color: #202124; border-bottom-color: #c0c0c0; }
#clock, #tray { background-color: transparent; color: #202124; }
CSS
# The same bar with a tray of 24-pixel icons.
sed 's/"tray": { "spacing": 4 }/"tray": { "spacing": 4, "icon-size": 24 }/' "$XDG_CONFIG_HOME/waybar/config" \
  >"$XDG_CONFIG_HOME/waybar/config24"
bar_config=$XDG_CONFIG_HOME/waybar/config
start_bar() {
  local style=/etc/xdg/waybar/style.css
  [[ "$1" == light ]] && style=$XDG_CONFIG_HOME/waybar/light.css
  waybar -c "$bar_config" -s "$style" >>"$root/waybar.log" 2>&1 &
  bar=$!
  wait_for 300 watcher_up
}
stop_bar() {
  stop "$bar"; bar=""
  wait_for 200 watcher_gone
}

# One virtual pointer for the whole run (tests/e2e/WlPointer.c says why):
# point COMMAND... sends a line and waits for its "ok".
coproc POINTER { "$wlpointer" "$width" "$height" 2>>"$root/pointer.log"; }
point() {
  local reply=""
  echo "$*" >&"${POINTER[1]}" && read -r -t 30 reply <&"${POINTER[0]}"
  [[ "$reply" == ok ]] || echo "wlpointer: '$*': ${reply:-no answer}" >>"$root/pointer.log"
}


log_lines() { wc -l <"$log"; }
# A picture of the bar's end, the tray and its neighbours, into $1.
grab_bar() { grim -g "$((width - 240)),0 240x$((bar_h + 2))" "$1"; }

# Waits (10 s at most) until neither the log nor the number of windows has
# changed for a second: a slow program may still be answering the last of a
# sweep's clicks, and a popover it opens late would take the next click.
settle() {
  local now last="" same=0
  for _ in $(seq 100); do
    now="$(log_lines) $(gaugelet_windows | wc -l)"
    if [[ "$now" == "$last" ]]; then
      ((++same >= 10)) && return 0
    else
      same=0 last=$now
    fi
    sleep 0.1
  done
}

# "<item> <x> <y>" (x and y inside the item) for each click the program
# logged from line $1 of its log to line $2.
clicks_logged() { sed -n "$1,$2p" "$log" | sed -n 's/.*sni\.click method=[A-Za-z]* item=\([^ ]*\) x=\([0-9-]*\) y=\([0-9-]*\).*/\1 \2 \3/p'; }

# Middle clicks along the bar's end every 6 pixels from its right end (each
# may toggle the popover); prints the items in the order the bar shows them,
# each with the span of x that reached it: "<item> <first x> <last x>". With
# $1 (the number of items expected), it stops once that many have been
# reached and three clicks in a row reached none. waybar tells where inside
# the item a click landed, its item as high as the bar: each click goes to a
# height of its own, which tells the click an answer belongs to. A click
# unanswered for a second reached none; an answer that comes later (a busy
# machine) may have toggled the popover over the clicks since: once all is
# still, the sweep goes on from the click after the late one. A click that
# reached an item waits (5 s at most: a click on the item just after the
# popover opened or closed may be taken for the same click) for its toggle,
# as a user's next click would: on a busy machine, a popup that mapped and
# unmapped faster than sway could follow left sway passing no more clicks to
# the bar.
sweep() {
  local want=${1:-0} x y n=0 at lines before late item lx ly spans="" hit="" found=0 missed=0
  local -A sent=()
  at=$(($(log_lines) + 1))
  for ((x = width - 2; x > width - 200; x -= 6)); do
    y=$((5 + n++ % 20))
    sent[$y]=$x
    before=$(gaugelet_windows | wc -l)
    point move "$x" "$y" click middle
    wait_for 10 eval 'clicks_logged "$at" "\$" | grep -q " $y\$"'
    lines=$(log_lines) late="" item=""
    while ((lines >= at)) && read -r lx _ ly; do
      spans+="$lx ${sent[$ly]:-?}"$'\n'
      ((ly == y)) && item=$lx || late=${late:-$ly}
    done < <(clicks_logged "$at" "$lines")
    at=$((lines + 1))
    if [[ -n "$late" ]]; then
      echo "note: waybar: the click at ${sent[$late]:-?} was answered late; the sweep goes on from it" >&2
      settle
      at=$(($(log_lines) + 1)) missed=0
      [[ -n "${sent[$late]:-}" ]] && x=${sent[$late]} || x=$((x + 6))
      continue
    fi
    if [[ -n "$item" ]]; then
      hit=$x missed=0
      found=$(printf '%s' "$spans" | awk '{print $1}' | sort -u | wc -l)
      wait_for 50 eval '! windows_are "$before"'
    elif ((want > 0 && found >= want && ++missed >= 3)); then
      break
    fi
  done
  settle
  windows_are 0 || { point move "$hit" "$bar_y" click middle; wait_for 100 windows_are 0; settle; }
  printf '%s' "$spans" | sort -k2 -n | awk '$2 != "?" { if (!($1 in first)) { first[$1] = $2; order[n++] = $1 } last[$1] = $2 }
    END { for (i = 0; i < n; i++) print order[i], first[order[i]], last[order[i]] }'
}

# The row shows the expected items in order ($1 what, $2 expected). A sweep
# that finds another row is kept for a person to look at (the bar's picture
# and the items' spans) and made once more after the bar settles: on a busy
# machine waybar may lay out an item it has not yet drawn, or sway may pass
# none of one item's clicks; a wrong order is found again.
check_order() {
  local got shot
  mapfile -t items < <(sweep "$(wc -w <<<"$2")")
  got=$(printf '%s\n' "${items[@]}" | awk '{print $1}' | tr '\n' ' ')
  if [[ "$got" != "$2" ]]; then
    shot="hosts-waybar-order-${1// /-}.png"
    grab_bar "$root/order.png" && "$probe" zoom "$root/order.png" "$shots/$shot" 4
    echo "note: waybar: $1: the first sweep found '$got' (${items[*]}; the bar: $shot); sweeping again"
    sleep 2
    mapfile -t items < <(sweep "$(wc -w <<<"$2")")
    got=$(printf '%s\n' "${items[@]}" | awk '{print $1}' | tr '\n' ' ')
  fi
  [[ "$got" == "$2" ]] && pass "waybar: $1: the bar shows the row's order: $got" \
    || fail "waybar: $1: the bar shows '$got', not '$2'"
}

# A left click on each item opens the popover under the bar over the
# item's column; a click outside closes it.
check_clicks() {
  local line item first last x id wx wy ww wh start where ox oy outside=0
  for line in "${items[@]}"; do
    read -r item first last <<<"$line"
    x=$(((first + last) / 2))
    start=$(($(log_lines) + 1))
    point move "$x" "$bar_y" click left
    # A click sway never passed on (the program logged none) is made again,
    # once, as a user would.
    if ! wait_for 150 windows_are 1 && ! tail -n +"$start" "$log" | grep -q 'sni.click'; then
      echo "note: waybar: the click at $x on $item reached no item; clicking again"
      point move "$x" "$bar_y" click left
    fi
    if wait_for 150 windows_are 1; then
      read -r id wx wy ww wh < <(gaugelet_windows)
      ((wx <= x && x < wx + ww && wy >= bar_h && wy <= bar_h + 40)) \
        && pass "waybar: a click at $x on $item opens the popover under it ($wx,$wy ${ww}×$wh)" \
        || fail "waybar: the popover for the click at $x on $item is at $wx,$wy ${ww}×$wh"
      [[ -f "$shots/hosts-waybar-popover.png" ]] || { sleep 0.5; grim "$shots/hosts-waybar-popover.png"; }
      # XWayland hears of no click on a Wayland surface: the pointer leaving
      # the popover for one closes it, so that a click there closes it, on
      # the desktop after the first item, on the bar after the others.
      point move $((wx + ww / 2)) $((wy + wh / 2))
      if ((outside++ == 0)); then where="on the desktop" ox=300 oy=500; else where="on the bar" ox=640 oy=5; fi
      point move "$ox" "$oy" click left
      wait_for 30 windows_are 0 && pass "waybar: a click $where, the pointer coming from the popover, closes it" \
        || fail "waybar: a click $where, the pointer coming from the popover, leaves it open"
      # A user's next click on an item comes later than a click that closed
      # the popover outside it may be echoed by the item (0.4 s).
      sleep 0.5
    else
      fail "waybar: a click at $x on $item opened no popover"
    fi
    windows_are 0 || { point move "$x" "$bar_y" click left; wait_for 100 windows_are 0; }
  done
  read -r item first last <<<"${items[-1]}"
  x=$(((first + last) / 2))
  start=$(($(log_lines) + 1))
  point move "$x" "$bar_y" click right
  if wait_for 150 windows_are 1; then
    pass "waybar: a right click on $item opens the popover"
    point move "$x" "$bar_y" click left
    wait_for 100 windows_are 0 || fail "waybar: a click on $item left the popover open"
  else
    fail "waybar: a right click on $item opened no popover ($(tail -n +"$start" "$log" | grep -c 'sni.click') click(s) logged)"
  fi
}

# Waits for n items, then for waybar to lay them out.
items_shown() {
  if wait_for 100 item_count_is "$1"; then
    sleep 1
    return 0
  fi
  fail "waybar: $2 gave $("$probe" items 2>/dev/null | wc -l) items, not $1"
  return 1
}

screenshot() {
  local raw=$root/bar.png out=$shots/hosts-waybar-$1.png
  point move 640 400
  sleep 0.3
  if grab_bar "$raw" && "$probe" zoom "$raw" "$out" 4; then
    pass "waybar $1: screenshot $(basename "$out")"
  else
    fail "waybar $1: no screenshot"
  fi
}

# Each item offers one picture, $2 pixels high (the tray's icon size), and
# the bar shows it as drawn, pixel for pixel: waybar scales a picture of any
# other height, and takes the largest of several.
check_unresampled() {
  point move 640 400
  sleep 0.3
  check_shown_as_drawn "waybar $1" "$root/bar-raw.png" "$2" grab_bar
}

for scheme in light dark; do
  "$probe" portal "$scheme" 600 >/dev/null 2>&1 &
  portal=$!
  if ! start_bar "$scheme"; then
    fail "waybar $scheme: waybar serves no StatusNotifierWatcher"; tail -5 "$root/waybar.log"
    break
  fi
  write_settings "$three" "$dismissed"
  start_app
  if items_shown 3 "three pins"; then
    pass "waybar $scheme: three pins, three items"
    screenshot "$scheme"
    check_unresampled "$scheme" 16
    if [[ "$scheme" == light ]]; then
      check_order "three pins" "$row3"
      ((${#items[@]} > 0)) && check_clicks
      # waybar restarts: the items come back, in order.
      stop_bar
      start_bar "$scheme" || fail "waybar: waybar did not come back"
      items_shown 3 "after waybar restarted" && check_order "after waybar restarted" "$row3"
      # A tray of 24-pixel icons: the items offer that height.
      stop_bar
      bar_config=$XDG_CONFIG_HOME/waybar/config24
      start_bar "$scheme" && items_shown 3 "a 24-pixel tray" && check_unresampled "a 24-pixel tray" 24
      bar_config=$XDG_CONFIG_HOME/waybar/config
    fi
  fi
  stop_app
  if [[ "$scheme" == light ]]; then
    # Unpinning the memory tile, then pinning it again.
    write_settings "$two" "$dismissed"
    start_app
    items_shown 2 "after unpinning" && check_order "after unpinning" "$row2"
    stop_app
    write_settings "$three" "$dismissed"
    start_app
    items_shown 3 "after pinning again" && check_order "after pinning again" "$row3"
    stop_app
  fi
  stop_bar
  stop "$portal"; portal=""
done

e2e_finish "all waybar checks passed" "$log:30" "$root/waybar.log:10"
