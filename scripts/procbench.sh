#!/usr/bin/env bash
# Whole-process benchmark on a real panel. Each program runs on a display, a
# private session bus and an lxqt-panel of its own (the panel's status
# notifier reads every picture, as on a desktop), with its own temporary HOME
# and XDG folders; the minimal tray program (bench/minimaltray: the same files
# read once a second, a 96x22 row painted at 2x and published as a
# StatusNotifierItem pixmap) runs beside it, and so does an earlier build when
# one is given (BASELINE: its bin/gaugelet, with share/ and lib/ beside bin/ as
# in a build folder). It prints
#   - the launch time: from exec to the first picture with tiles on the
#     panel's watcher (bundles installed, warm disk cache), five launches;
#   - (a) four static number-label tiles, (b) the default fox runner and
#     (c) the popover open over the fox runner: CPU summed over every thread
#     (/proc/PID/task/*/schedstat) as a percentage of one core, wake-ups a
#     second (context switches of every thread), threads, the D-Bus bytes a
#     second the program sends (every message on its bus whose sender is the
#     program, counted by dbus-monitor --pcap), Rss and Private_Dirty
#     (/proc/PID/smaps_rollup). (a) and (b) are measured twice, the programs
#     swapping displays and panels between the rounds; in (a) each round lasts
#     two minutes at least and Private_Dirty is read then.
# The figures are taken over a fixed window of SECONDS after a 10-s warm-up.
# Targets: launch under 400 ms; (a) at most 0.8x the minimal tray program's
# CPU, private dirty at most 4.5 MB after two minutes; (b) CPU at most the
# build before.
#   scripts/procbench.sh [SECONDS [BASELINE]]   (default 60; about 8 minutes
#   in all; needs scripts/build.sh and deps.sh --test)
# The committed output is bench/results/procbench.txt; the About tab quotes
# its "(a) Gaugelet" line.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${GAUGELET_BUILD_DIR:-build}"
seconds="${1:-60}"
baseline="${2:-}"
warmup=10
hold="${GAUGELET_PROCBENCH_HOLD:-120}"
gaugelet="$PWD/$build_dir/bin/gaugelet"
probe="$PWD/$build_dir/tests/sniprobe"
minimal="$PWD/$build_dir/bench/minimaltray"
[[ -n "$baseline" && -d "$baseline" ]] && baseline="$baseline/bin/gaugelet"
for f in "$gaugelet" "$probe" "$minimal" ${baseline:+"$baseline"}; do
  [[ -x "$f" ]] || { echo "procbench: $f is missing; build first (scripts/build.sh)"; exit 2; }
done
for tool in Xvfb dbus-daemon dbus-monitor dbus-send lxqt-panel; do
  command -v "$tool" >/dev/null || { echo "procbench: $tool is not installed (scripts/deps.sh --test)"; exit 2; }
done

source tests/e2e/lib.sh
root=$(mktemp -d)
helpers=()
running=()
cleanup() {
  local p
  for p in "${running[@]}" "${helpers[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
e2e_bus_config "$root/bus.conf"

now_ns() { date +%s%N; }

# slot_up K: a display, a session bus and an lxqt-panel showing a status
# notifier, with folders of their own under $root/slotK; slot K's variables
# are in $root/slotK/env.
slot_up() {
  local d=$root/slot$1
  mkdir -p "$d/home" "$d/config/lxqt" "$d/data" "$d/cache" "$d/run"
  chmod 700 "$d/run"
  Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$d/display" >/dev/null 2>&1 &
  helpers+=($!)
  wait_for 100 test -s "$d/display"
  dbus-daemon --config-file="$root/bus.conf" --nofork --print-address=3 3>"$d/bus" 2>/dev/null &
  helpers+=($!)
  wait_for 100 test -s "$d/bus"
  cat >"$d/env" <<ENV
export DISPLAY=:$(head -1 "$d/display") DBUS_SESSION_BUS_ADDRESS='$(head -1 "$d/bus")'
export HOME=$d/home XDG_CONFIG_HOME=$d/config XDG_DATA_HOME=$d/data XDG_CACHE_HOME=$d/cache XDG_RUNTIME_DIR=$d/run
export XDG_CONFIG_DIRS=$d/etc XDG_DATA_DIRS=/usr/share XDG_CURRENT_DESKTOP=LXQt QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1
unset GAUGELET_RESOURCES_DIR XCTestConfigurationFilePath
ENV
  printf '[General]\n__userfile__=true\ntheme=light\n' >"$d/config/lxqt/lxqt.conf"
  lxqt_panel_conf "$d/config/lxqt/panel.conf"
  (source "$d/env" && exec lxqt-panel) >>"$d/panel.log" 2>&1 &
  helpers+=($!)
  wait_for 100 in_slot "$1" watcher_present || { echo "procbench: slot $1: the panel's watcher never came"; exit 1; }
}
in_slot() {
  local k=$1
  shift
  (source "$root/slot$k/env" && "$@")
}
watcher_present() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher 2>/dev/null | grep -q true
}

# write_pins K [PINS]: the settings of a program at rest in slot K: the setup
# window dismissed, no sample alarm (on a busy machine its CPU alarm would
# fire and play a sound mid-run) and, when given, these pins (else the
# default fox).
write_pins() {
  local file=$root/slot$1/config/dev.gaugelet.app/defaults.plist pins=""
  mkdir -p "$(dirname "$file")"
  [[ -n "${2:-}" ]] && pins="<key>pinnedSlots</key><data>$(printf '%s' "$2" | base64 -w0)</data>"
  cat >"$file" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>setup.windowDismissed.v1</key><true/>
	<key>migration.seedSampleAlarm.v1</key><true/>
	$pins
</dict>
</plist>
PLIST
}

# start K PROGRAM: starts PROGRAM in slot K; its id is appended to $running.
start() {
  (source "$root/slot$1/env" && exec "$2") >>"$root/slot$1/app.log" 2>&1 &
  running+=($!)
}
stop_all() {
  local p
  for p in "${running[@]}"; do kill -TERM "$p" 2>/dev/null || true; done
  for p in "${running[@]}"; do wait "$p" 2>/dev/null || true; done
  running=()
}

# One line per thread of PID: "<tid> <cpu ns> <context switches>".
tasks() {
  local t cpu sw
  for t in /proc/"$1"/task/*; do
    read -r cpu _ <"$t/schedstat" 2>/dev/null || continue
    sw=$(awk '/ctxt_switches/ {s += $2} END {print s + 0}' "$t/status" 2>/dev/null) || continue
    echo "${t##*/} $cpu $sw"
  done
}
# "<cpu ns> <context switches> <threads>" between two task lists: each
# thread's growth from the first list (from 0 for a thread born since).
window() {
  awk 'NR == FNR { c[$1] = $2; w[$1] = $3; next }
       { cpu += $2 - c[$1]; sw += $3 - w[$1]; n++ }
       END { print cpu + 0, sw + 0, n + 0 }' "$1" "$2"
}
# "<Rss> <Private_Dirty>" in kB.
memory() { awk '/^(Rss|Private_Dirty):/ {v[$1] = $2} END {print v["Rss:"], v["Private_Dirty:"]}' "/proc/$1/smaps_rollup"; }

# Bytes of every message in a dbus-monitor --pcap capture, by sender: "<sender> <bytes>".
pcap_senders() {
  /usr/bin/python3 - "$1" <<'PY'
import collections, struct, sys
data = open(sys.argv[1], 'rb').read()
order = '<' if data[:4] == b'\xd4\xc3\xb2\xa1' else '>'
total = collections.Counter()
at = 24
while at + 16 <= len(data):
    _, _, kept, size = struct.unpack(order + 'IIII', data[at:at + 16])
    m = data[at + 16:at + 16 + kept]
    at += 16 + kept
    if len(m) < 16:
        continue
    e = '<' if m[:1] == b'l' else '>'
    end = 16 + struct.unpack(e + 'I', m[12:16])[0]
    p, sender = 16, '?'
    while p < end:
        p = (p + 7) & ~7
        if p >= end:
            break
        code, n = m[p], m[p + 1]
        sig = m[p + 2:p + 2 + n]
        p += 3 + n
        if sig in (b's', b'o'):
            p = (p + 3) & ~3
            n = struct.unpack(e + 'I', m[p:p + 4])[0]
            if code == 7:
                sender = m[p + 4:p + 4 + n].decode()
            p += 5 + n
        elif sig == b'g':
            p += 2 + m[p]
        elif sig == b'u':
            p = ((p + 3) & ~3) + 4
        else:
            break
    total[sender] += size
for sender, size in total.items():
    print(sender, size)
PY
}
# The bytes program PID sent on slot K's bus, from the capture's tally.
bytes_of() {
  local k=$1 pid=$2 sender size owner sum=0
  while read -r sender size; do
    [[ "$sender" == :* ]] || continue
    owner=$(in_slot "$k" dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.GetConnectionUnixProcessID "string:$sender" 2>/dev/null | awk '/uint32/ {print $2}')
    [[ "$owner" == "$pid" ]] && sum=$((sum + size))
  done <"$root/slot$k/senders"
  echo "$sum"
}

# measure CASE ROUND NAME:SLOT...: starts each program (names: this, base,
# minimal) in its slot, and prints one line per program: CPU and D-Bus bytes
# over the window of $seconds after the warm-up; memory at the window's end,
# and for (a) after $hold seconds.
measure() {
  local case=$1 round=$2 i k t0 t1 started pids=() slots=() names=() entry m1=()
  shift 2
  for entry in "$@"; do names+=("${entry%%:*}"); slots+=("${entry##*:}"); done
  started=$(now_ns)
  for i in "${!names[@]}"; do
    case ${names[i]} in
      this) start "${slots[i]}" "$gaugelet" ;;
      base) start "${slots[i]}" "$baseline" ;;
      minimal) start "${slots[i]}" "$minimal" ;;
    esac
    pids+=("${running[-1]}")
  done
  if [[ "$case" == c ]]; then
    sleep 3
    for i in "${!names[@]}"; do
      local service
      service=$(in_slot "${slots[i]}" "$probe" items 2>/dev/null | head -1)
      in_slot "${slots[i]}" "$probe" activate "$service" 1200 10 >/dev/null 2>&1 || echo "(c) could not activate ${names[i]}"
    done
  fi
  sleep "$warmup"
  local monitors=()
  for i in "${!names[@]}"; do
    k=${slots[i]}
    (source "$root/slot$k/env" && exec dbus-monitor --session --pcap) >"$root/slot$k/pcap" 2>/dev/null &
    monitors+=($!)
  done
  sleep 0.5
  t0=$(now_ns)
  for i in "${!names[@]}"; do tasks "${pids[i]}" >"$root/tasks$i"; done
  sleep "$seconds"
  t1=$(now_ns)
  for i in "${!names[@]}"; do tasks "${pids[i]}" >"$root/tasks$i.end"; m1[i]=$(memory "${pids[i]}"); done
  for i in "${!monitors[@]}"; do kill "${monitors[i]}" 2>/dev/null || true; wait "${monitors[i]}" 2>/dev/null || true; done
  if [[ "$case" == a ]]; then
    local left=$(( hold - ($(now_ns) - started) / 1000000000 ))
    ((left > 0)) && sleep "$left"
  fi
  for i in "${!names[@]}"; do
    k=${slots[i]}
    pcap_senders "$root/slot$k/pcap" >"$root/slot$k/senders"
    local bytes mem=${m1[i]}
    bytes=$(bytes_of "$k" "${pids[i]}")
    [[ "$case" == a ]] && mem=$(memory "${pids[i]}")
    awk -v c="$case" -v r="$round" -v n="${names[i]}" -v k="$k" -v w="$(window "$root/tasks$i" "$root/tasks$i.end")" \
      -v m="$mem" -v b="$bytes" -v t0="$t0" -v t1="$t1" -v at="$([[ "$case" == a ]] && echo "$hold" || echo $((warmup + seconds)))" 'BEGIN {
      split(w, y, " "); split(m, q, " "); s = (t1 - t0) / 1e9
      printf "(%s) round %d %-8s panel %d  CPU %6.3f %%  wake-ups %5.1f/s  threads %2d  D-Bus %7.1f kB/s  Rss %5.1f MB  Private_Dirty %5.2f MB at %d s\n",
        c, r, n, k, 100 * y[1] / (t1 - t0), y[2] / s, y[3], b / s / 1000, q[1] / 1024, q[2] / 1024, at }'
  done
  stop_all
}

programs=(this)
[[ -n "$baseline" ]] && programs+=(base)

echo "# scripts/procbench.sh $seconds${baseline:+ BASELINE} on $(date -u +%F), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
echo "# this: $gaugelet"
[[ -n "$baseline" ]] && echo "# base: $baseline"
echo "# each program on its own Xvfb, private session bus and lxqt-panel $(dpkg-query -W -f '${Version}' lxqt-panel 2>/dev/null) (status notifier, 24-px icons)"
all=("${programs[@]}" minimal)
for k in "${!all[@]}"; do slot_up "$k"; done

# A first run in every slot installs the shipped bundles, as any first launch does.
for k in "${!all[@]}"; do
  write_pins "$k"
  start "$k" "$gaugelet"
done
for k in "${!all[@]}"; do
  wait_for 100 eval "[[ \$(ls '$root/slot$k/data/Gaugelet/Bundles' 2>/dev/null | wc -l) -ge 4 ]]" || true
done
sleep 1
stop_all

echo "== launch: exec to the first picture with tiles (default fox pin, bundles installed), panel 0"
times=()
for run in 1 2 3 4 5 6; do
  (source "$root/slot0/env" && exec "$probe" record 3) >"$root/icons" 2>/dev/null &
  recorder=$!
  wait_for 50 grep -q ready "$root/icons" || true
  start 0 "$gaugelet"
  wait "$recorder" || true
  stop_all
  # The recorder's clock starts just before exec; its first line after
  # "ready" is the first picture, its time the launch time.
  first=$(grep -v ready "$root/icons" | head -1)
  [[ -n "$first" ]] || { echo "run $run: no picture"; continue; }
  read -r ms w h _ <<<"$first"
  # Run 1 warms the disk cache and is not counted.
  if ((run > 1)); then
    times+=("$ms")
    echo "run $run: ${ms} ms (${w}×${h})"
  fi
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print "median: " a[int((NR+1)/2)] " ms (target < 400 ms)"}'

four='[{"providerId":"cpu.total","visualizerId":"viz.numberLabel"},{"providerId":"gpu.total","visualizerId":"viz.numberLabel"},{"providerId":"memory.total","visualizerId":"viz.numberLabel"},{"providerId":"net.total","visualizerId":"viz.numberLabel"}]'
# round R's entries NAME:SLOT for the given programs: in round 2 each moves
# to the next one's slot.
placement() {
  local round=$1 i n
  shift
  n=$#
  local names=("$@")
  for i in "${!names[@]}"; do printf '%s:%d ' "${names[i]}" $(((i + round - 1) % n)); done
}

echo "== (a) four number-label tiles, each program on its own panel, ${seconds} s from ${warmup} s on; memory at ${hold} s"
for k in "${!all[@]}"; do write_pins "$k" "$four"; done
for round in 1 2; do
  # shellcheck disable=SC2046
  measure a "$round" $(placement "$round" "${all[@]}") | tee -a "$root/results"
done

echo "== (b) the default fox runner, ${seconds} s from ${warmup} s on"
for k in "${!all[@]}"; do write_pins "$k"; done
for round in 1 2; do
  # shellcheck disable=SC2046
  measure b "$round" $(placement "$round" "${programs[@]}") | tee -a "$root/results"
done

echo "== (c) the popover open over the fox runner, ${seconds} s from ${warmup} s on"
# shellcheck disable=SC2046
measure c 1 $(placement 1 "${programs[@]}") | tee -a "$root/results"

echo "== summary: the mean of the rounds (this: this build; base: the baseline; minimal: the minimal Qt tray)"
awk '{ c = $1; n = $4
       for (i = 1; i <= NF; i++) {
         if ($i == "CPU") cpu[c, n] += $(i + 1)
         if ($i == "D-Bus") bus[c, n] += $(i + 1)
         if ($i == "Rss") rss[c, n] += $(i + 1)
         if ($i == "Private_Dirty") dirty[c, n] += $(i + 1)
         if ($i == "wake-ups") wake[c, n] += $(i + 1)
         if ($i == "threads") thr[c, n] += $(i + 1)
       }
       rounds[c, n]++; if (!((c, n) in seen)) { seen[c, n] = 1; order[++o] = c SUBSEP n } }
     END {
       for (j = 1; j <= o; j++) {
         split(order[j], key, SUBSEP); c = key[1]; n = key[2]; r = rounds[c, n]
         label = n == "this" && c == "(a)" ? "(a) Gaugelet" : c " " n
         printf "%-14s CPU %6.3f %%  wake-ups %5.1f/s  threads %4.1f  D-Bus %7.1f kB/s  Rss %5.1f MB  Private_Dirty %5.2f MB\n",
           label, cpu[c, n] / r, wake[c, n] / r, thr[c, n] / r, bus[c, n] / r, rss[c, n] / r, dirty[c, n] / r
       }
       if (rounds["(a)", "minimal"] > 0) {
         m = cpu["(a)", "minimal"] / rounds["(a)", "minimal"]
         printf "(a) CPU / minimal tray: this %.2fx (target at most 0.80x)", cpu["(a)", "this"] / rounds["(a)", "this"] / m
         if (rounds["(a)", "base"] > 0) printf ", base %.2fx", cpu["(a)", "base"] / rounds["(a)", "base"] / m
         printf "\n"
       }
       if (rounds["(b)", "base"] > 0)
         printf "(b) fox CPU this / base: %.2fx (target at most 1.00x), D-Bus bytes %.2fx\n",
           cpu["(b)", "this"] / cpu["(b)", "base"], bus["(b)", "this"] / bus["(b)", "base"]
     }' "$root/results"
