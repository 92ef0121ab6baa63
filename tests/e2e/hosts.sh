#!/usr/bin/env bash
# End to end on a real panel: the built program under Xvfb on a private session
# bus, shown by one host:
#   lxqt    LXQt's panel (its status notifier plugin fits every item into a square slot)
#   xfce    Xfce's panel (its status tray keeps an item's width)
#   gnome   GNOME Shell's top bar with the AppIndicator extension, on a private
#           system bus too (the shell aborts without one)
#   plasma  plasmashell's system tray, with kded5 (its watcher), kactivitymanagerd
#           and openbox
#   hosts.sh HOST GAUGELET SNIPROBE SCREENSHOT_DIR [SEGMENTEDITEM]
# The number and order of the items as the panel shows them for a few pins,
# after unpinning one and after the panel restarts; a left click on each item
# opens the popover next to it (under a top panel, above a bottom one), a right
# click does too where the host sends one; zoomed screenshots of the panel in
# light and dark (the portal says so, and the panel's own theme where it has
# one; on Plasma the dark one is Breeze Twilight, where the number items are
# measured on the panel's colour, as they are after a global theme is applied
# while the shell runs, which its panel does not follow where the user has no
# plasmarc) go to SCREENSHOT_DIR (hosts-<host>-<scheme>.png). With SEGMENTEDITEM
# (tests/e2e/SegmentedItem.cpp), a row of plain tiles changes while it is
# shown: a tile inserted in the middle, then two removed; on GNOME and Xfce
# the panel, read every 10 ms, shows a tile twice or misses one for 100 ms at most.
# On Xfce the tray's icon size changes to 16 pixels while the program runs.
# The order is read by clicking along the panel with the middle button: the
# program logs which item each click reached. On LXQt the popover, left open
# without input, gives way to a screen locker's grab (its idle time cut to
# 12 s through GAUGELET_POPOVER_IDLE_MS), takes the input another client held
# as it opened, and gives the keyboard focus back as it closes.
# Exit 0 on success, 77 when a tool or the host's packages are missing (CTest:
# skipped, with the reason on the first line). With GAUGELET_HOSTS_KEEP=DIR,
# the run's files (the program's and the panel's logs, their settings) are
# copied there at the end.
set -uo pipefail

host=$1
gaugelet=$2
probe=$3
shots=$4
segmented=${5:-}

source "$(dirname "$0")/lib.sh"

appindicator=/usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com
xfconfd_bin=$(ls /usr/lib/*/xfce4/xfconf/xfconfd /usr/lib/xfce4/xfconf/xfconfd 2>/dev/null | head -1)
kamd_bin=$(ls /usr/lib/*/libexec/kactivitymanagerd /usr/libexec/kactivitymanagerd 2>/dev/null | head -1)

# The first program or file the host needs that is missing, if any.
host_missing() {
  local tool
  case "$1" in
    lxqt) command -v lxqt-panel >/dev/null || echo lxqt-panel ;;
    xfce)
      command -v xfce4-panel >/dev/null || { echo xfce4-panel; return; }
      [[ -n "$xfconfd_bin" ]] || echo "xfconfd (xfconf)"
      ;;
    gnome)
      for tool in gnome-shell dbus-daemon; do
        command -v "$tool" >/dev/null || { echo "$tool"; return; }
      done
      [[ -f "$appindicator/metadata.json" ]] || echo "the AppIndicator extension (gnome-shell-extension-appindicator)"
      ;;
    plasma)
      for tool in plasmashell kded5 openbox lookandfeeltool; do
        command -v "$tool" >/dev/null || { echo "$tool"; return; }
      done
      [[ -n "$kamd_bin" ]] || { echo kactivitymanagerd; return; }
      [[ -d /usr/share/plasma/shells/org.kde.plasma.desktop ]] || echo "the Plasma desktop shell (plasma-desktop)"
      ;;
  esac
}

case "$host" in
  lxqt | xfce | gnome | plasma) ;;
  *) echo "hosts.sh: no host named '$host' (lxqt, xfce, gnome or plasma)" >&2; exit 2 ;;
esac

if [[ "${GAUGELET_E2E_INNER:-}" != 1 ]]; then
  e2e_require xvfb-run dbus-run-session xdotool xwininfo gdbus
  missing=$(host_missing "$host")
  if [[ -n "$missing" ]]; then
    echo "SKIP: $host not checked: $missing is not installed (scripts/deps.sh --test installs it)"
    exit 77
  fi
  e2e_rerun 1280x720 "$0" "$@"
fi

root=$(mktemp -d)
app="" portal="" row="" system_bus="" swept=()
host_pids=()
cleanup() {
  [[ -n "$app" ]] && kill -KILL "$app" 2>/dev/null
  stop "$row"; stop "$portal"
  stop_panel
  [[ -n "$system_bus" ]] && kill "$system_bus" 2>/dev/null
  [[ -n "${GAUGELET_HOSTS_KEEP:-}" ]] && cp -r "$root" "$GAUGELET_HOSTS_KEEP"
  rm -rf "$root"
}
trap cleanup EXIT

e2e_environment "$root"
[[ "$host" == lxqt ]] && export GAUGELET_POPOVER_IDLE_MS=12000
export XDG_CONFIG_DIRS=$root/etc XDG_DATA_DIRS=/usr/share NO_AT_BRIDGE=1
mkdir -p "$shots"
log=$root/log
: >"$root/panel.log"

watcher_present() { has_owner org.kde.StatusNotifierWatcher; }

# Clicks (middle button) along the panel's stretch where the items show at
# height $panel_y, from the end the items gather at (sweep_from to sweep_to,
# either way round): every 10 pixels, then halfway between two clicks that
# reached different items (or one none), so each item's span is known to 5
# pixels. Prints the items in the order the panel shows them, left to right,
# each with the span of x that reached it: "<item> <first x> <last x>". With
# $1 (the number of items expected), it stops once that many have been
# reached and two clicks in a row reached none.
sweep() {
  local want=${1:-0} step=10 start x item i found=0 missed=0 last=$sweep_from
  local -A reached=()
  local -a halfway=()
  ((sweep_to < sweep_from)) && step=-10
  start=$(($(wc -l <"$log") + 1))
  sweep_at=$start
  for ((x = sweep_from; step > 0 ? x <= sweep_to : x >= sweep_to; x += step)); do
    if ! sweep_click "$x"; then
      [[ -v "reached[$sweep_late]" ]] && x=$sweep_late || x=$((x - step))
      missed=0
      continue
    fi
    reached[$x]=$sweep_item last=$x
    if [[ -n "$sweep_item" ]]; then
      missed=0
      found=$(printf '%s\n' "${reached[@]}" | grep . | sort -u | wc -l)
    elif ((want > 0 && found >= want && ++missed >= 2)); then
      break
    fi
  done
  # What the last clicks reached, answered late or not.
  settle
  while read -r x item; do [[ -v "reached[$x]" ]] && reached[$x]=$item; done < <(clicks_since "$start")
  for ((x = sweep_from; x != last; x += step)); do
    [[ "${reached[$x]}" != "${reached[$((x + step))]}" ]] && halfway+=($((x + step / 2)))
  done
  for ((i = 0; i < ${#halfway[@]}; i++)); do
    sweep_click "${halfway[i]}" && continue
    for ((x = i--; x >= 0; x--)); do [[ "${halfway[x]}" == "$sweep_late" ]] && i=$x; done
  done
  settle
  clicks_since "$start" | sort -n | awk '{ if (!($2 in first)) { first[$2] = $1; order[n++] = $2 } last[$2] = $1 }
    END { for (i = 0; i < n; i++) print order[i], first[order[i]], last[order[i]] }'
}
# One click of a sweep, at x $1: waits for its answer, the program's log of
# the click (a second at most, else it reached no item: sweep_item is
# empty), then for the popover it opens, and closes it (the live row, $row,
# opens none). An answer that comes later (a busy machine) may have opened
# the popover over the clicks made since: once all is still, this returns 1
# with that click's x in sweep_late, for the sweep to go on after it.
sweep_click() {
  local lines late
  xdotool mousemove "$1" "$panel_y" click 2
  wait_for 10 clicked_at "$sweep_at" "$1"
  lines=$(wc -l <"$log")
  late=$( ((lines >= sweep_at)) && clicks_since "$sweep_at" "$lines" | awk -v x="$1" '$1 != x {print $1; exit}')
  sweep_item=$( ((lines >= sweep_at)) && clicks_since "$sweep_at" "$lines" | awk -v x="$1" '$1 == x {print $2; exit}')
  sweep_at=$((lines + 1))
  if [[ -n "$late" ]]; then
    echo "note: $host: the click at $late was answered late; the sweep goes on from it" >&2
    settle
    sweep_at=$(($(wc -l <"$log") + 1)) sweep_late=$late
    return 1
  fi
  [[ -z "$sweep_item" || -n "$row" ]] || close_popover "$1"
  return 0
}
# Whether the program logged a click at x $2 since line $1 of its log.
clicked_at() { clicks_since "$1" | grep -q "^$2 "; }
# Waits for the popover a click on the item at x $1 opens and closes it with
# Escape, or with a click on the item where Escape does not reach it.
close_popover() {
  wait_for 150 eval '! windows_are 0' || return
  xdotool key Escape
  wait_for 100 windows_are 0 && return
  echo "note: $host: Escape left the popover of the click at $1 open; clicking the item" >&2
  xdotool mousemove "$1" "$panel_y" click 2
  wait_for 100 windows_are 0
}
# Waits (20 s at most) until no popover is open and the program's log has
# held still for a second, closing a popover that a late answer opens.
settle() {
  local now last="" same=0
  for _ in $(seq 200); do
    windows_are 0 || { xdotool key Escape; wait_for 100 windows_are 0; }
    now=$(wc -l <"$log")
    if [[ "$now" == "$last" ]]; then
      ((++same >= 10)) && return 0
    else
      same=0 last=$now
    fi
    sleep 0.1
  done
}


# Each start_<host> SCHEME starts the panel in that scheme, names the desktop
# as its sessions do (XDG_CURRENT_DESKTOP), puts its programs' ids in
# host_pids, and sets where the items show: the panel's top and bottom
# (panel_top, panel_bottom), the height clicks go to (panel_y), the stretch of
# x the sweep covers (sweep_from, sweep_to), and the part of the screen the
# screenshot shows (shot: x y w h).
start_lxqt() {
  mkdir -p "$XDG_CONFIG_HOME/lxqt"
  cat >"$XDG_CONFIG_HOME/lxqt/lxqt.conf" <<CONF
[General]
__userfile__=true
theme=$1
CONF
  lxqt_panel_conf "$XDG_CONFIG_HOME/lxqt/panel.conf"
  export XDG_CURRENT_DESKTOP=LXQt
  lxqt-panel >>"$root/panel.log" 2>&1 &
  host_pids=($!)
  panel_top=0 panel_bottom=32 panel_y=16 sweep_from=2 sweep_to=300 shot="0 0 320 32"
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
  export XDG_CURRENT_DESKTOP=XFCE
  # The panel keeps its settings in xfconfd, which this bus does not activate.
  "$xfconfd_bin" >>"$root/panel.log" 2>&1 &
  host_pids=($!)
  wait_for 50 has_owner org.xfce.Xfconf
  xfce4-panel --disable-wm-check >>"$root/panel.log" 2>&1 &
  host_pids+=($!)
  panel_top=0 panel_bottom=30 panel_y=15 sweep_from=2 sweep_to=300 shot="0 0 320 30"
}

# GNOME's bar is dark in either scheme; the shell's own colour-scheme follows
# the portal's. Settings come from a key file (no dconf daemon on this bus).
# The shell starts in the overview: it is left at once, as a user does.
shell_starts() { grep -c "GNOME Shell started" "$root/panel.log"; }
# overview Get, or overview Set '<true|false>': the shell's overview.
overview() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method "org.freedesktop.DBus.Properties.$1" org.gnome.Shell OverviewActive ${2:+"$2"} 2>/dev/null
}
shell_started_since() { (($(shell_starts) > $1)); }
start_gnome() {
  local scheme=default starts
  [[ "$1" == dark ]] && scheme=prefer-dark
  if [[ -z "$system_bus" ]]; then
    cat >"$root/system-bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy>
</busconfig>
CONF
    dbus-daemon --config-file="$root/system-bus.conf" --nofork --print-address=3 3>"$root/system-bus" \
      2>>"$root/panel.log" &
    system_bus=$!
    wait_for 50 test -s "$root/system-bus"
    DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$root/system-bus")
    export DBUS_SYSTEM_BUS_ADDRESS GSETTINGS_BACKEND=keyfile
  fi
  mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
  cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<CONF
[org/gnome/shell]
enabled-extensions=['ubuntu-appindicators@ubuntu.com']
disable-user-extensions=false

[org/gnome/desktop/interface]
color-scheme='$scheme'

[org/gnome/desktop/notifications]
show-banners=false
CONF
  export XDG_CURRENT_DESKTOP=GNOME
  starts=$(shell_starts)
  gnome-shell --x11 --replace --sm-disable >>"$root/panel.log" 2>&1 &
  host_pids=($!)
  wait_for 300 shell_started_since "$starts"
  overview Set '<false>' >/dev/null
  # The extension's items go to the right of the bar, left of the system menu.
  panel_top=0 panel_bottom=32 panel_y=16 sweep_from=1225 sweep_to=880 shot="880 0 400 32"
}

# Plasma's panel is drawn by its Plasma style: Breeze, following the colour
# scheme (none: Breeze Light), or, as Plasma's settings apply the global theme
# Breeze Twilight, breeze-dark with BreezeLight's colours (the portal: light).
start_plasma() {
  export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
  export XDG_CONFIG_DIRS=$XDG_CONFIG_HOME/kdedefaults:$root/etc
  rm -rf "$XDG_CONFIG_HOME/kdedefaults" "$XDG_CONFIG_HOME/kdeglobals" "$XDG_CONFIG_HOME/plasmarc"
  if [[ "$1" == twilight ]]; then
    mkdir -p "$XDG_CONFIG_HOME/kdedefaults"
    printf '[Theme]\nname=breeze-dark\n' >"$XDG_CONFIG_HOME/kdedefaults/plasmarc"
    printf '[General]\nColorScheme=BreezeLight\n' >"$XDG_CONFIG_HOME/kdedefaults/kdeglobals"
    cp /usr/share/color-schemes/BreezeLight.colors "$XDG_CONFIG_HOME/kdeglobals"
  fi
  openbox >>"$root/panel.log" 2>&1 &
  host_pids=($!)
  "$kamd_bin" >>"$root/panel.log" 2>&1 &
  host_pids+=($!)
  # kded5 serves the StatusNotifierWatcher.
  kded5 >>"$root/panel.log" 2>&1 &
  host_pids+=($!)
  plasmashell --no-respawn >>"$root/panel.log" 2>&1 &
  host_pids+=($!)
  # The default layout's panel runs along the bottom; the tray sits left of
  # the clock, its own icons (keyboard, expander) to the right of the items,
  # its notifications' bell to their left: the click that tells a sweep it
  # has passed the items may land there and toggle do-not-disturb (a crossed
  # bell in the screenshots).
  panel_top=676 panel_bottom=720 panel_y=698 sweep_from=1090 sweep_to=760 shot="760 676 520 44"
}

stop_panel() {
  local i
  for ((i = ${#host_pids[@]} - 1; i >= 0; i--)); do
    stop "${host_pids[i]}"
  done
  host_pids=()
  wait_for 200 eval '! watcher_present'
}

# Of the frames of the panel's item area (sniprobe frames: "<ms> <colour>@<x>…"),
# how many show neither the live row $1 nor $2, and those rows. A tile's colour
# may be dimmed (GNOME's extension draws items at 240/255).
bad_frames() {
  local map="" k
  for k in $1 $2; do map+="$(printf '%s' "$k" | sha1sum | cut -c1-6)=$k "; done
  awk -v map="$map" -v before="$1" -v after="$2" '
    function byte(s, i) { return 16 * index(hex, substr(s, i, 1)) + index(hex, substr(s, i + 1, 1)) - 17 }
    function near(c, k,   i) {
      for (i = 1; i < 6; i += 2)
        if ((byte(c, i) - byte(k, i)) ^ 2 > 9 && (byte(c, i) - byte(k, i) * 240 / 255) ^ 2 > 9) return 0
      return 1
    }
    BEGIN { hex = "0123456789abcdef"; n = split(map, m, " "); for (i = 1; i <= n; i++) { split(m[i], kv, "="); key[kv[1]] = kv[2] } }
    { row = ""; for (i = 2; i <= NF; i++) { split($i, cx, "@"); for (k in key) if (near(cx[1], k)) row = row key[k] }
      gsub(/ /, "", before); gsub(/ /, "", after)
      if (row != before && row != after) { bad++; if (!(row in seen)) { seen[row] = 1; rows = rows " [" row "]" } } }
    END { print bad + 0, rows }'
}

# The row changes while the panel shows it: the items follow, in order. On
# GNOME and Xfce, the change shows no frame with a tile twice or missing for
# longer than a frame or so (100 ms at most; 180-270 ms on GNOME when moved
# pictures waited for the extension's 200-ms NewIcon delay).
live_row() {
  local fifo=$root/row step before="" frames bad rows
  [[ -z "$segmented" ]] && return
  rm -f "$fifo"
  mkfifo "$fifo"
  "$segmented" <"$fifo" >>"$log" 2>&1 &
  row=$!
  exec 3>"$fifo"
  for step in "a b c" "a x b c" "a c"; do
    frames=""
    if [[ -n "$before" && ("$host" == gnome || "$host" == xfce) ]]; then
      # shellcheck disable=SC2086 # $shot is "x y w h"
      "$probe" frames $shot 1.5 >"$root/frames" &
      frames=$!
      wait_for 100 test -s "$root/frames"
    fi
    echo "$step" >&3
    if [[ -n "$frames" ]]; then
      wait "$frames"
      read -r bad rows < <(bad_frames "$before" "$step" <"$root/frames")
      ((bad <= 10)) && pass "$host: '$before' -> '$step' shows $bad frames of 10 ms with neither row $rows" \
        || fail "$host: '$before' -> '$step' shows $bad frames of 10 ms with neither row:$rows"
    fi
    check_row "the live row '$step'" "$step " "$(wc -w <<<"$step")"
    before=$step
  done
  exec 3>&-
  stop "$row"; row=""
}

# Each number item of the row just swept reads at 4.5:1 on the panel's own
# colour, at each of $2 looks (default 1) 0.5 s apart. A look that does not
# read counts once the panel shows each item's picture as offered, pixel for
# pixel: a new picture on its way, or the panel's cross-fade from the last
# one, is looked at again (10 s at most). The look that fails is saved as
# hosts-plasma-unread-<item>.png.
numbers_read() {
  local line item first last figures n waited box
  for line in "${swept[@]}"; do
    read -r item first last <<<"$line"
    [[ "$item" == *numberLabel ]] || continue
    box=("$first" "$panel_top" $((last - first + 1)) $((panel_bottom - panel_top)))
    waited=""
    for ((n = 1; n <= ${2:-1}; n++)); do
      ((n > 1)) && sleep 0.5
      until figures=$("$probe" contrast "${box[@]}"); do
        # Counts when the panel shows the offered pictures on both sides of a look.
        if pictures_settled; then
          figures=$("$probe" contrast "${box[@]}") && break
          pictures_settled && break 2
        fi
        ((waited++ < 50)) || break 2
        sleep 0.2
      done
    done
    if ((n > ${2:-1})); then
      pass "$host $1: $item reads on the panel: $figures${waited:+ (after $waited looks at a picture on its way)}"
    else
      fail "$host $1: $item does not read (look $n): $figures"
      "$probe" grab "$shots/hosts-$host-unread-${item%%::*}.png" "${box[@]}" 8
    fi
  done
}

# Whether the panel shows each item's one picture as offered, pixel for pixel.
pictures_settled() {
  local services
  grab_panel "$root/settled.png" || return 1
  mapfile -t services < <("$probe" items 2>/dev/null)
  "$probe" shown "$root/settled.png" "${services[@]}" >/dev/null 2>&1
}

# Plasma: the global theme $1 applied while the shell runs, with no plasmarc
# of the user's: the files name the style $2 at once, the panel keeps its
# look. Once the program has read them, the numbers keep reading on the
# panel as drawn ($3 says where; the screenshot is hosts-plasma-$4.png).
theme_applied() {
  local start
  start=$(($(wc -l <"$log") + 1))
  timeout 60 lookandfeeltool -a "$1" >>"$root/panel.log" 2>&1 || fail "$host: lookandfeeltool -a $1 failed"
  wait_for 300 eval "tail -n +$start '$log' | grep -q 'appearance.plasmaStyle name=$2 '" \
    || fail "$host $3: the program did not read the style $2"
  numbers_read "$3" 8
  screenshot "$4"
}

# Starts the portal and the panel in a scheme; false when no watcher appears.
start_host() {
  "$probe" portal "$1" 600 >/dev/null 2>&1 &
  portal=$!
  "start_$host" "$1"
  if ! wait_for 300 watcher_present; then
    fail "$host $1: the panel serves no StatusNotifierWatcher"; tail -5 "$root/panel.log"
    return 1
  fi
}
stop_host() {
  stop_panel
  stop "$portal"; portal=""
}

# A left click on each item opens the popover next to it: under a top panel,
# above a bottom one, and across the click's x; a second closes it.
click_each() {
  local line item first last x wx wy ww wh beside
  for line in "$@"; do
    read -r item first last <<<"$line"
    x=$(((first + last) / 2))
    xdotool mousemove "$x" "$panel_y" click 1
    if wait_for 150 windows_are 1; then
      read -r _ wx wy ww wh < <(gaugelet_windows)
      if ((panel_top == 0)); then
        ((wy >= panel_y && wy <= panel_bottom + 40)) && beside=under || beside=""
      else
        ((wy + wh <= panel_y && wy + wh >= panel_top - 40)) && beside=above || beside=""
      fi
      ((wx <= x && x < wx + ww)) && [[ -n "$beside" ]] \
        && pass "$host: a click at $x on $item opens the popover $beside it ($wx,$wy ${ww}×$wh)" \
        || fail "$host: the popover for the click at $x,$panel_y on $item is at $wx,$wy ${ww}×$wh"
      xdotool key Escape
      wait_for 100 windows_are 0 || fail "$host: Escape did not close the popover"
    else
      fail "$host: a click at $x on $item opened no popover"
    fi
  done
}

# The popover opened by a click on $1 (its span $2-$3) and then left alone,
# no key and the pointer never over it, holds the keyboard at first and lets
# another client (a screen locker) grab it within a minute, the idle time.
idle_gives_way() {
  local x=$((($2 + $3) / 2)) took
  xdotool mousemove "$x" "$panel_y" click 1
  wait_for 150 windows_are 1 || { fail "$host: a click on $1 opened no popover"; return; }
  "$probe" xgrab keyboard 0.5 >/dev/null && fail "$host: another client took the keyboard from the open popover"
  if took=$("$probe" xgrab keyboard 60); then
    pass "$host: the popover left open without input lets another client grab the keyboard after $took ms"
  else
    fail "$host: the popover left open without input kept the keyboard from another client for 60 s"
  fi
  wait_for 50 windows_are 0 || fail "$host: the popover left open without input stays open"
}

# The popover opened (by Activate on the first item, at x $1) while another
# client, as a screen locker, holds the keyboard, the pointer or both ($2)
# for $3 seconds: it takes what it lacks once they are free, so Escape (the
# keyboard) or a click outside (the pointer) closes it; it closes by itself
# within a few seconds when another holds it on ($4 set: the time it gives up
# after, 10 s, comes before the idle time), leaving the holder its grab.
held_at_opening() {
  local holder service took
  service=$("$probe" items 2>/dev/null | head -1)
  coproc HOLDER { "$probe" xhold "$2" "$3"; }
  holder=$HOLDER_PID
  read -r -t 10 _ <&"${HOLDER[0]}" || { fail "$host: sniprobe could not take the $2"; stop "$holder"; return; }
  "$probe" activate "$service" "$1" "$panel_y"
  if ! wait_for 150 windows_are 1; then
    fail "$host: with the $2 held by another client, Activate opened no popover"
  elif [[ -n "${4:-}" ]]; then
    wait_for 150 windows_are 0 && grep -q "popover: closed: another program holds" "$log" \
      && pass "$host: with the $2 held on by another client, the popover closes by itself" \
      || fail "$host: with the $2 held on by another client, the popover does not close by itself"
  else
    wait "$holder" 2>/dev/null
    took=$(wait_for 100 eval '! "$probe" xgrab '"$2"' 0.1 >/dev/null' && echo yes)
    if [[ "$2" == pointer ]]; then xdotool mousemove 900 600 click 1; else xdotool key Escape; fi
    [[ -n "$took" ]] && wait_for 30 windows_are 0 \
      && pass "$host: the popover opened with the $2 held by another client takes it once free and closes" \
      || fail "$host: the popover opened with the $2 held by another client: taken '$took', open $(gaugelet_windows | wc -l)"
  fi
  wait "$holder" 2>/dev/null
  windows_are 0 || { xdotool key Escape; wait_for 50 windows_are 0; }
  # The next opening is not the echo of an outside click that closed this one.
  sleep 0.5
}

# The window that had the keyboard focus (the panel's) has it again once the
# popover opened by a click on $1 (its span $2-$3) closes: with no window
# manager nothing else would move it from the root.
focus_comes_back() {
  local x=$((($2 + $3) / 2)) win before after
  win=$(xdotool search --onlyvisible --class lxqt-panel 2>/dev/null | head -1)
  [[ -n "$win" ]] || { fail "$host: no panel window to give the focus to"; return; }
  xdotool windowfocus "$win"
  before=$(xdotool getwindowfocus)
  xdotool mousemove "$x" "$panel_y" click 1
  wait_for 150 windows_are 1 || { fail "$host: a click on $1 opened no popover"; return; }
  xdotool key Escape
  wait_for 100 windows_are 0 || fail "$host: Escape did not close the popover"
  after=$(xdotool getwindowfocus)
  [[ "$after" == "$before" ]] && pass "$host: the focus is back on the window that had it ($after) once the popover closes" \
    || fail "$host: the focus was on $before before the popover, on $after after it"
}

# GNOME's extension sends nothing on a right click to an item that has no
# menu, nor does Xfce's status tray; the others send ContextMenu.
right_click() {
  local item first last x
  read -r item first last <<<"$1"
  x=$(((first + last) / 2))
  xdotool mousemove "$x" "$panel_y" click 3
  if wait_for 150 windows_are 1; then
    pass "$host: a right click on $item opens the popover"
    xdotool key Escape
    wait_for 100 windows_are 0
  else
    fail "$host: a right click on $item opened no popover"
  fi
}

# GNOME: every single left click opens the popover, not only the first, and
# Escape or a click on the desktop closes it, the first popover after a start
# included. A session starts in the shell's overview (the shell holds the
# keyboard and draws none of our windows there): the program starts again, the
# overview shows, and three clicks 2.5 s apart on an item ($1, its span $2-$3)
# open the popover, each closed by Escape; with the overview shown again, three
# more, each closed by a click left of the popover. Meanwhile the shell logs no
# activation (the extension's note of an error answer) and no invalid
# transient parent.
clicks_again() {
  local x=$((($2 + $3) / 2)) before logged
  stop_app
  start_app
  wait_for 100 item_count_is 3 \
    && wait_for 100 "$probe" painted "$2" "$panel_top" $(($3 - $2 + 1)) $((panel_bottom - panel_top)) \
    || fail "$host: after a restart, $1 is not drawn at $2-$3"
  before=$(wc -l <"$root/panel.log")
  clicks_close "$1" "$x" Escape
  clicks_close "$1" "$x" "a click on the desktop"
  logged=$(tail -n +$((before + 1)) "$root/panel.log" | grep -i -e 'activat' -e 'WM_TRANSIENT_FOR')
  [[ -z "$logged" ]] && pass "$host: the shell logs no activation and no transient parent of these clicks" \
    || fail "$host: the shell logs of these clicks: $(head -4 <<<"$logged" | tr '\n' ' ')"
}
clicks_close() {
  local n opened=0 closed=0
  overview Set '<true>' >/dev/null
  wait_for 50 eval 'overview Get | grep -q true' || fail "$host: the overview does not show"
  for n in 1 2 3; do
    sleep 2.5
    xdotool mousemove "$2" "$panel_y" click 1
    wait_for 30 windows_are 1 && opened=$((opened + 1))
    if [[ "$3" == Escape ]]; then xdotool key Escape; else xdotool mousemove 200 400 click 1; fi
    if wait_for 20 windows_are 0; then
      closed=$((closed + 1))
    else
      xdotool mousemove "$2" "$panel_y" click 1
      wait_for 20 windows_are 0
    fi
  done
  ((opened == 3 && closed == 3)) \
    && pass "$host: three single clicks on $1 2.5 s apart, the first in the overview, open the popover and $3 closes it, three times" \
    || fail "$host: of three single clicks on $1 (the first in the overview), $opened opened the popover and $3 closed it $closed times"
}

# The shell's log while the fox runs, in lines a minute: 0 measured (Debian 12,
# GNOME Shell 43, extension 46); 2,844 without IconAccessibleDesc.
shell_log_rate() {
  local before per_minute
  write_settings "[$(pin cpu.total viz.runner.fox)]" "$dismissed"
  start_app
  wait_for 100 item_count_is 1 && sleep 3
  before=$(wc -l <"$root/panel.log")
  sleep 20
  per_minute=$((($(wc -l <"$root/panel.log") - before) * 3))
  ((per_minute <= 6)) && pass "$host: the shell logs $per_minute lines a minute while the fox runs" \
    || fail "$host: the shell logs $per_minute lines a minute while the fox runs (at most 6)"
  stop_app
}

# The panel, once drawn, with the pointer away from it.
screenshot() {
  local file=$shots/hosts-$host-$1.png
  xdotool mousemove 640 360
  # shellcheck disable=SC2086 # $shot is "x y w h"
  wait_for 100 "$probe" painted $shot || fail "$host $1: the panel is not drawn"
  sleep 0.5
  # shellcheck disable=SC2086 # $shot is "x y w h"
  "$probe" grab "$file" $shot 4 && pass "$host $1: screenshot $file" || fail "$host $1: no screenshot"
}

# Each item offers one picture, of the panel's slot height, and the panel
# shows it as drawn, pixel for pixel: not resampled (GNOME's extension dims
# every icon a little, so it is not checked there).
check_unresampled() {
  [[ "$host" == gnome ]] && return
  check_shown_as_drawn "$host $1" "$root/panel.png" "" grab_panel
}
grab_panel() {
  # shellcheck disable=SC2086 # $shot is "x y w h"
  "$probe" grab "$1" $shot
}

# Xfce: the status tray's icon size is set to 16 pixels while the program
# runs: within 2 s each item offers one 16-pixel picture and the panel shows
# it as drawn, pixel for pixel. Then the size is reset.
live_icon_size() {
  local t0 ms services shown=""
  xfconf-query -c xfce4-panel -p /plugins/plugin-1/icon-size -n -t int -s 16 \
    || { fail "xfce: xfconf-query did not set the tray's icon size"; return; }
  t0=$(date +%s%3N)
  while ((($(date +%s%3N) - t0) <= 2000)); do
    grab_panel "$root/live.png" || break
    mapfile -t services < <("$probe" items 2>/dev/null)
    if "$probe" shown "$root/live.png" "${services[@]}" >"$root/live.txt" 2>&1 \
      && (($(grep -c "x16 (" "$root/live.txt") == ${#services[@]})); then
      shown=$(($(date +%s%3N) - t0))
      break
    fi
  done
  [[ -n "$shown" ]] && pass "xfce: the tray's icon size set to 16, each item's 16-pixel picture shows unresampled after $shown ms" \
    || fail "xfce: 2 s after the tray's icon size was set to 16, not each item's 16-pixel picture shows unresampled: $(paste -sd';' "$root/live.txt")"
  cp "$root/live.png" "$shots/hosts-xfce-live16.png"
  xfconf-query -c xfce4-panel -p /plugins/plugin-1/icon-size -r
}

# Checks that $3 items register and that the panel shows them as $2 (their
# keys, each followed by a space), in order; $1 says when. A wrong row is read
# once more, 3 s later: a host may drop an item at first, which the program
# notices and registers again; what the user is left with must be right.
# Leaves the items with their spans, as sweep prints them, in $swept.
check_row() {
  local when=$1 expected=$2 n=$3 got first
  wait_for 100 item_count_is "$n" \
    || fail "$host: $when: $("$probe" items 2>/dev/null | wc -l) items are registered, not $n"
  sleep 1.5 # the panel lays out, the values arrive
  mapfile -t swept < <(sweep "$n")
  got=$(printf '%s\n' "${swept[@]}" | awk 'NF {print $1}' | tr '\n' ' ')
  if [[ "$got" != "$expected" ]]; then
    first=$got
    sleep 3
    mapfile -t swept < <(sweep "$n")
    got=$(printf '%s\n' "${swept[@]}" | awk 'NF {print $1}' | tr '\n' ' ')
    echo "note: $host: $when: the row read '$first' at first, then '$got'"
  fi
  [[ "$got" == "$expected" ]] && pass "$host: $when: the panel shows $got" \
    || fail "$host: $when: the panel shows '$got', not '$expected'"
}

# Light: three pins in order, a click on each, then one unpinned; the panel
# restarts in dark (Plasma: Breeze Twilight, numbers measured) under the
# running program; dark: three pins again for the screenshot, then the live row.
run_host() {
  local dark=dark first last
  [[ "$host" == plasma ]] && dark=twilight
  start_host light || return
  write_settings "$three" "$dismissed"
  start_app
  check_row "light, three pins" "$row3" 3
  if ((${#swept[@]} > 0)); then
    click_each "${swept[@]}"
    [[ "$host" == lxqt || "$host" == plasma ]] && right_click "${swept[-1]}"
    # shellcheck disable=SC2086 # the item and its span
    if [[ "$host" == lxqt ]]; then
      # shellcheck disable=SC2086 # the item and its span
      idle_gives_way ${swept[0]}
      # shellcheck disable=SC2086 # the item and its span
      focus_comes_back ${swept[0]}
      read -r _ first last <<<"${swept[0]}"
      held_at_opening $(((first + last) / 2)) keyboard 2
      held_at_opening $(((first + last) / 2)) pointer 2
      held_at_opening $(((first + last) / 2)) both 14 on
    fi
    # shellcheck disable=SC2086 # the item and its span
    [[ "$host" == gnome ]] && clicks_again ${swept[0]}
  fi
  screenshot light
  [[ "$host" == plasma ]] && numbers_read light
  check_unresampled light
  [[ "$host" == plasma ]] && theme_applied org.kde.breezetwilight.desktop breeze-dark "light, Twilight applied" \
    light-twilight-applied
  stop_app
  [[ "$host" == gnome ]] && shell_log_rate

  write_settings "$two" "$dismissed"
  start_app
  check_row "after unpinning one" "$row2" 2
  [[ "$host" == plasma ]] && numbers_read "light, Twilight applied, the program started again"

  stop_host
  start_host "$dark" || { stop_app; return; }
  check_row "after the panel restarts" "$row2" 2
  [[ "$host" == plasma ]] && numbers_read "$dark, after the panel restarts"
  stop_app

  write_settings "$three" "$dismissed"
  start_app
  check_row "$dark, three pins" "$row3" 3
  screenshot "$dark"
  [[ "$host" == plasma ]] && numbers_read "$dark"
  check_unresampled "$dark"
  [[ "$host" == plasma ]] && theme_applied org.kde.breeze.desktop default "$dark, Breeze applied" \
    "$dark-breeze-applied"
  [[ "$host" == xfce ]] && live_icon_size
  stop_app
  live_row
  stop_host
}

t0=$(date +%s)
run_host
echo "note: $host took $(($(date +%s) - t0)) s"
if [[ "$host" == gnome ]]; then
  transients=$(grep -c "Invalid WM_TRANSIENT_FOR" "$root/panel.log")
  ((transients == 0)) && pass "$host: the shell never logs an invalid transient parent of ours" \
    || fail "$host: the shell logs 'Invalid WM_TRANSIENT_FOR' $transients times"
fi

e2e_finish "all $host checks passed" "$log:40" "$root/panel.log:20"
