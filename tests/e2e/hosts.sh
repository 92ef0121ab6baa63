#!/usr/bin/env bash
# End to end on real panels: the built program under Xvfb on a private session
# bus, shown by LXQt's panel (its status notifier plugin fits every item into a
# square slot) and by Xfce's panel (its status tray keeps an item's width).
#   hosts.sh GAUGELET SNIPROBE SCREENSHOT_DIR [SEGMENTEDITEM]
# For each panel: the number and order of the items as the panel shows them
# for a few pins, then after unpinning one; a click on each item opens the
# popover under it, a right click does too; zoomed screenshots of the panel in
# light and dark go to SCREENSHOT_DIR (hosts-<panel>-<scheme>.png). With
# SEGMENTEDITEM (tests/e2e/SegmentedItem.cpp), a row of plain tiles changes
# while it is shown: a tile inserted in the middle, then two removed.
# Exit 0 on success, 77 when a tool or both panels are missing (CTest: skipped).
set -uo pipefail

gaugelet=$1
probe=$2
shots=$3
segmented=${4:-}

source "$(dirname "$0")/lib.sh"

if [[ "${GAUGELET_E2E_INNER:-}" != 1 ]]; then
  for tool in xvfb-run dbus-run-session xdotool xwininfo gdbus; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (scripts/deps.sh --test installs it)"
      exit 77
    fi
  done
  if ! command -v lxqt-panel >/dev/null && ! command -v xfce4-panel >/dev/null; then
    echo "SKIP: neither lxqt-panel nor xfce4-panel is installed (scripts/deps.sh --test installs them)"
    exit 77
  fi
  e2e_rerun 1280x720 "$0" "$@"
fi

root=$(mktemp -d)
app="" panel="" portal="" xfconfd="" row=""
stop() { [[ -n "$1" ]] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null; }
cleanup() {
  [[ -n "$app" ]] && kill -KILL "$app" 2>/dev/null
  stop "$row"; stop "$portal"; stop "$panel"; stop "$xfconfd"
  rm -rf "$root"
}
trap cleanup EXIT

e2e_environment "$root"
export XDG_CONFIG_DIRS=$root/etc XDG_DATA_DIRS=/usr/share NO_AT_BRIDGE=1
mkdir -p "$shots"
log=$root/log

bus_call() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method "org.freedesktop.DBus.$1" "$2" 2>/dev/null
}

# Waits (at most $1 tenths of a second) until the command succeeds.
wait_for() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}


# The setup window stays closed.
dismissed=$'\n\t<key>setup.windowDismissed.v1</key>\n\t<true/>'

pin() { printf '{"providerId":"%s","visualizerId":"%s"}' "$1" "$2"; }

windows_are() { [[ $(gaugelet_windows | wc -l) -eq $1 ]]; }

item_count_is() { [[ $("$probe" items 2>/dev/null | wc -l) -eq $1 ]]; }

# "<x> <item>" for every click the program logged since line $1 of its log.
clicks_since() { tail -n +"$1" "$log" | sed -n 's/.*sni\.click method=[A-Za-z]* item=\([^ ]*\) x=\([0-9-]*\) y=.*/\2 \1/p'; }

# Clicks (middle button) along the panel from x=2 to $1 every 5 pixels at
# height $panel_y, closing the popover each opens; prints the items in the
# order the panel shows them, each with the span of x that reached it:
# "<item> <first x> <last x>".
sweep() {
  local start x
  start=$(($(wc -l <"$log") + 1))
  for ((x = 2; x <= $1; x += 5)); do
    xdotool mousemove "$x" "$panel_y" click 2
    sleep 0.05
    if ! windows_are 0; then
      xdotool key Escape
      wait_for 10 windows_are 0
    fi
  done
  sleep 0.3
  clicks_since "$start" | awk '{ if (!($2 in first)) { first[$2] = $1; order[n++] = $2 } last[$2] = $1 }
    END { for (i = 0; i < n; i++) print order[i], first[order[i]], last[order[i]] }'
}

start_app() {
  "$gaugelet" >>"$log" 2>&1 &
  app=$!
}
stop_app() {
  [[ -z "$app" ]] && return
  kill -TERM "$app" 2>/dev/null
  wait_for 50 eval '! kill -0 $app 2>/dev/null'
  kill -KILL "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
}

start_lxqt() {
  mkdir -p "$XDG_CONFIG_HOME/lxqt"
  cat >"$XDG_CONFIG_HOME/lxqt/lxqt.conf" <<CONF
[General]
__userfile__=true
theme=$1
CONF
  cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<'CONF'
[General]
__userfile__=true
panels=panel1

[panel1]
plugins=statusnotifier
position=Top
panelSize=32
iconSize=24
lineCount=1
alignment=-1
width=100
width-percent=true
hidable=false

[statusnotifier]
type=statusnotifier
alignment=Left
CONF
  lxqt-panel >>"$root/panel.log" 2>&1 &
  panel=$!
  panel_y=16 panel_h=32
}

start_xfce() {
  local dir=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml dark=false
  [[ "$1" == dark ]] && dark=true
  mkdir -p "$dir"
  # The items Xfce has seen stay in its list (known-items) between runs.
  if [[ -f "$dir/xfce4-panel.xml" ]]; then
    sed -i "s/\"dark-mode\" type=\"bool\" value=\"[a-z]*\"/\"dark-mode\" type=\"bool\" value=\"$dark\"/" "$dir/xfce4-panel.xml"
  else
    cat >"$dir/xfce4-panel.xml" <<CONF
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="$dark"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="icon-size" type="uint" value="24"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="false"/>
    </property>
  </property>
</channel>
CONF
  fi
  # The panel keeps its settings in xfconfd, which this bus does not activate.
  "$xfconfd_bin" >>"$root/panel.log" 2>&1 &
  xfconfd=$!
  wait_for 50 eval 'bus_call NameHasOwner org.xfce.Xfconf | grep -q true'
  xfce4-panel --disable-wm-check >>"$root/panel.log" 2>&1 &
  panel=$!
  panel_y=15 panel_h=30
}

stop_panel() {
  stop "$panel"; panel=""
  stop "$xfconfd"; xfconfd=""
  wait_for 50 eval '! bus_call NameHasOwner org.kde.StatusNotifierWatcher | grep -q true'
}

# The row changes while the panel shows it: the items follow, in order.
live_row() {
  local host=$1 fifo=$root/row step got n
  [[ -z "$segmented" ]] && return
  rm -f "$fifo"
  mkfifo "$fifo"
  "$segmented" <"$fifo" >>"$log" 2>&1 &
  row=$!
  exec 3>"$fifo"
  for step in "a b c" "a x b c" "a c"; do
    echo "$step" >&3
    n=$(wc -w <<<"$step")
    if wait_for 100 item_count_is "$n"; then
      sleep 0.6 # the panel lays out
      got=$(sweep $((n * 40)) | awk '{print $1}' | tr '\n' ' ')
      [[ "$got" == "$step " ]] && pass "$host: the live row '$step' shows in order" \
        || fail "$host: the live row '$step' shows as '$got'"
    else
      fail "$host: the live row '$step' gave $("$probe" items | wc -l) items"
    fi
  done
  exec 3>&-
  stop "$row"; row=""
}

# One panel: $1 lxqt|xfce.
run_host() {
  local host=$1 scheme expected got items
  local three two
  three="[$(pin cpu.total viz.numberLabel),$(pin memory.total viz.pie),$(pin net.total viz.numberLabel)]"
  two="[$(pin cpu.total viz.numberLabel),$(pin net.total viz.numberLabel)]"
  for scheme in light dark; do
    "$probe" portal "$scheme" 600 >/dev/null 2>&1 &
    portal=$!
    "start_$host" "$scheme"
    if ! wait_for 100 eval 'bus_call NameHasOwner org.kde.StatusNotifierWatcher | grep -q true'; then
      fail "$host: the panel serves no StatusNotifierWatcher"; tail -5 "$root/panel.log"
      stop_panel; stop "$portal"; portal=""
      return
    fi

    # Three pins: three items, in the row's order.
    write_settings "$three" "$dismissed"
    start_app
    if wait_for 100 item_count_is 3; then
      pass "$host $scheme: three pins, three items"
    else
      fail "$host $scheme: three pins gave $("$probe" items | wc -l) items"
    fi
    sleep 1.5 # the panel lays out, the values arrive
    "$probe" grab "$shots/hosts-$host-$scheme.png" 0 0 320 "$panel_h" 4 \
      && pass "$host $scheme: screenshot $shots/hosts-$host-$scheme.png"
    if [[ "$scheme" == light ]]; then
      mapfile -t items < <(sweep 300)
      got=$(printf '%s\n' "${items[@]}" | awk '{print $1}' | tr '\n' ' ')
      expected="cpu.total::viz.numberLabel memory.total::viz.pie net.total::viz.numberLabel "
      [[ "$got" == "$expected" ]] && pass "$host: the panel shows the row's order: $got" \
        || fail "$host: the panel shows '$got', not '$expected'"

      # A left click on each item opens the popover under that item; a
      # second closes it.
      local item first last x id wx wy ww wh
      for line in "${items[@]}"; do
        read -r item first last <<<"$line"
        x=$(((first + last) / 2))
        xdotool mousemove "$x" "$panel_y" click 1
        if wait_for 30 windows_are 1; then
          read -r id wx wy ww wh < <(gaugelet_windows)
          ((wx <= x && x < wx + ww && wy >= panel_y && wy <= panel_h + 40)) \
            && pass "$host: a click at $x on $item opens the popover under it ($wx,$wy ${ww}×$wh)" \
            || fail "$host: the popover for the click at $x on $item is at $wx,$wy ${ww}×$wh"
          xdotool key Escape
          wait_for 20 windows_are 0 || fail "$host: Escape did not close the popover"
        else
          fail "$host: a click at $x on $item opened no popover"
        fi
      done
      # A right click opens it too. (Xfce's status tray sends an item
      # without a menu nothing on a right click.)
      if [[ "$host" != xfce ]]; then
        read -r item first last <<<"${items[-1]}"
        x=$(((first + last) / 2))
        xdotool mousemove "$x" "$panel_y" click 3
        if wait_for 30 windows_are 1; then
          pass "$host: a right click on $item opens the popover"
          xdotool key Escape
          wait_for 20 windows_are 0
        else
          fail "$host: a right click on $item opened no popover"
        fi
      fi
    fi
    stop_app

    # One pin fewer: two items, in order.
    if [[ "$scheme" == light ]]; then
      write_settings "$two" "$dismissed"
      start_app
      if wait_for 100 item_count_is 2; then
        sleep 1
        got=$(sweep 240 | awk '{print $1}' | tr '\n' ' ')
        expected="cpu.total::viz.numberLabel net.total::viz.numberLabel "
        [[ "$got" == "$expected" ]] && pass "$host: after unpinning, the panel shows '$got'" \
          || fail "$host: after unpinning, the panel shows '$got', not '$expected'"
      else
        fail "$host: two pins gave $("$probe" items | wc -l) items"
      fi
      stop_app
      live_row "$host"
    fi
    stop_panel
    stop "$portal"; portal=""
  done
}

xfconfd_bin=$(ls /usr/lib/*/xfce4/xfconf/xfconfd /usr/lib/xfce4/xfconf/xfconfd 2>/dev/null | head -1)
for host in lxqt xfce; do
  t0=$(date +%s)
  if [[ "$host" == lxqt ]] && ! command -v lxqt-panel >/dev/null; then
    echo "note: lxqt-panel is not installed; LXQt not checked"
    continue
  fi
  if [[ "$host" == xfce ]] && { ! command -v xfce4-panel >/dev/null || [[ -z "$xfconfd_bin" ]]; }; then
    echo "note: xfce4-panel or xfconfd is not installed; Xfce not checked"
    continue
  fi
  run_host "$host"
  echo "note: $host took $(($(date +%s) - t0)) s"
done

if ((failures > 0)); then
  echo "--- program log"; tail -40 "$log"
  echo "--- panel log"; tail -20 "$root/panel.log"
  echo "$failures check(s) failed"
  exit 1
fi
echo "all panel checks passed"
