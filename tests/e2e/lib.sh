# Shared by the end-to-end scripts (sourced): a private display and session
# bus, a temporary HOME, the program's settings file and its windows.

# Runs the calling script again under Xvfb (screen $1, e.g. 1440x900) on a
# session bus of its own that activates nothing (no notification daemon pops
# up over the screenshots), with GAUGELET_E2E_INNER=1; exits with its status.
#   e2e_rerun SCREEN "$0" "$@"
e2e_rerun() {
  local screen=$1 script=$2 status config
  shift 2
  export GAUGELET_E2E_INNER=1
  config=$(mktemp)
  e2e_bus_config "$config"
  xvfb-run -a -s "-screen 0 ${screen}x24" dbus-run-session --config-file="$config" -- "$script" "$@"
  status=$?
  rm -f "$config"
  exit $status
}

# Exits 77 (CTest: skipped) naming the first of the given tools not installed.
e2e_require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null && continue
    echo "SKIP: $tool is not installed (scripts/deps.sh --test installs it)"
    exit 77
  done
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Ends the script: 0 after $1 when every check passed, else 1 after the last
# lines of each log given as FILE:LINES.
e2e_finish() {
  local spec
  if ((failures == 0)); then echo "$1"; exit 0; fi
  for spec in "${@:2}"; do echo "--- ${spec%:*}"; tail -n "${spec##*:}" "${spec%:*}"; done
  echo "$failures check(s) failed"
  exit 1
}

has_owner() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
windows_are() { [[ $(gaugelet_windows | wc -l) -eq $1 ]]; }

# HOME and the XDG folders under $1, X11 for Qt, no resources override; sets
# $settings to the program's settings file.
e2e_environment() {
  local root=$1
  export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data XDG_CACHE_HOME=$root/cache
  export XDG_RUNTIME_DIR=$root/run QT_QPA_PLATFORM=xcb
  unset GAUGELET_RESOURCES_DIR XCTestConfigurationFilePath
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  settings=$XDG_CONFIG_HOME/dev.gaugelet.app/defaults.plist
}

# A settings file holding the given pins (JSON), as the program stores them,
# and any further property-list entries ($2, XML).
write_settings() {
  mkdir -p "$(dirname "$settings")"
  cat >"$settings" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>pinnedSlots</key>
	<data>$(printf '%s' "$1" | base64 -w0)</data>${2:-}
</dict>
</plist>
PLIST
}

# The setup window stays closed ($dismissed, for write_settings); three pins
# and two as the settings hold them, and the rows they make.
dismissed=$'\n\t<key>setup.windowDismissed.v1</key>\n\t<true/>'
pin() { printf '{"providerId":"%s","visualizerId":"%s"}' "$1" "$2"; }
three="[$(pin cpu.total viz.numberLabel),$(pin memory.total viz.pie),$(pin net.total viz.numberLabel)]"
two="[$(pin cpu.total viz.numberLabel),$(pin net.total viz.numberLabel)]"
row3="cpu.total::viz.numberLabel memory.total::viz.pie net.total::viz.numberLabel "
row2="cpu.total::viz.numberLabel net.total::viz.numberLabel "

item_count_is() { [[ $("$probe" items 2>/dev/null | wc -l) -eq $1 ]]; }
# "<x> <item>" for every click the program logged since line $1 of its log ($log), up to line $2 if given.
clicks_since() { sed -n "$1,${2:-\$}p" "$log" | sed -n 's/.*sni\.click method=[A-Za-z]* item=\([^ ]*\) x=\([0-9-]*\) y=.*/\2 \1/p'; }
# Ends the process $1, if any, and waits for it.
stop() { [[ -n "$1" ]] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null; }

# The viewable top-level windows titled exactly "Gaugelet": "id x y w h" per
# line. The title is read again with the map state: Qt names a new window
# "Gaugelet" until it takes its own title (the setup window's, for one).
gaugelet_windows() {
  xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Gaugelet".*/\1/p' | while read -r id; do
    info=$(xwininfo -id "$id" 2>/dev/null)
    grep -q "Map State: IsViewable" <<<"$info" && grep -q "^xwininfo: Window id: $id \"Gaugelet\"$" <<<"$info" || continue
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    echo "$id $x $y $w $h"
  done
}

# Writes to $1 the configuration of a private session bus that activates
# nothing (e2e_rerun's), for scripts that start their own display.
e2e_bus_config() {
  cat >"$1" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
}

# The unprivileged user hosts that refuse root (sway) run as when the tests
# run as root: made once, with no home and no login shell. Prints its name.
e2e_test_user() {
  local user=gaugelet-e2e
  if ! id "$user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" \
      >/dev/null 2>&1 || id "$user" >/dev/null 2>&1 || return 1
  fi
  echo "$user"
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

# Starts the program ($gaugelet) in the background, its output appended to
# $log, its process id in $app; stop_app ends it (TERM, then KILL after 30 s).
start_app() {
  "$gaugelet" >>"$log" 2>&1 &
  app=$!
}
stop_app() {
  [[ -z "$app" ]] && return
  kill -TERM "$app" 2>/dev/null
  wait_for 300 eval '! kill -0 $app 2>/dev/null'
  kill -KILL "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
}

# Checks that each registered item offers one picture ($3 pixels high, if
# given, else "") and that a screenshot taken into $2 by the command $4 shows
# it as drawn, pixel for pixel, not resampled; $1 names the check. A tile's
# value may change between the screenshot and the reading of its pictures,
# and a busy panel may draw the new one a little late, so a mismatch is
# looked at up to seven more times before it counts.
check_shown_as_drawn() {
  local services attempt
  for attempt in 1 2 3 4 5 6 7 8; do
    "$4" "$2" || { fail "$1: no screenshot"; return; }
    mapfile -t services < <("$probe" items 2>/dev/null)
    if "$probe" shown "$2" "${services[@]}" >"$2.txt" 2>&1 \
      && [[ -z "$3" || $(grep -c "x$3 (" "$2.txt") -eq ${#services[@]} ]]; then
      pass "$1: each item's one picture${3:+, $3 pixels high,} shows unresampled: $(paste -sd';' "$2.txt")"
      return
    fi
    sleep 0.2
  done
  fail "$1: not each item's one${3:+ $3-pixel} picture shows unresampled: $(paste -sd';' "$2.txt")"
}

# lxqt_panel_conf FILE: one panel at the top, 32 pixels high with an icon
# size of 32, holding only the status notifier (whose buttons draw their
# icons smaller, within their frame).
lxqt_panel_conf() {
  cat >"$1" <<'CONF'
[General]
__userfile__=true
panels=panel1

[panel1]
plugins=statusnotifier
position=Top
panelSize=32
iconSize=32
lineCount=1
alignment=-1
width=100
width-percent=true
hidable=false

[statusnotifier]
type=statusnotifier
alignment=Left
CONF
}
