#!/usr/bin/env bash
# Whole-process benchmark: runs the built program under Xvfb on a private
# session bus with a StatusNotifierWatcher (temporary HOME and XDG folders)
# and prints
#   - the launch time: from exec to the first IconPixmap that shows tiles
#     (bundles installed, warm disk cache), five launches;
#   - for (a) four static number-label tiles, side by side with bench/minimaltray
#     (the least a Qt tray program can do: the same files read once a second,
#     a 96x22 row painted at 2x and published as a StatusNotifierItem pixmap),
#     (b) the default fox runner and (c) the popover open over the fox runner:
#     CPU summed over every thread (/proc/PID/task/*/schedstat) as a percentage
#     of one core, wake-ups a second (voluntary and involuntary context
#     switches of every thread), threads, and Rss, Pss, Private_Clean and
#     Private_Dirty (/proc/PID/smaps_rollup) after the warm-up and at the end;
#     the figures are taken from the end of the warm-up (10 s) on;
#   - which of the big optional libraries are mapped at rest.
# Targets: launch under 400 ms; (a) at most the minimal tray program's CPU,
# at most 4 wake-ups a second and 5 threads; (b) at most 0.5 %; resident
# memory at most 45 MB, private dirty at most 5 MB, not growing.
#   scripts/procbench.sh [SECONDS]     (default 90 a case; needs scripts/build.sh and deps.sh --test)
# The committed output is bench/results/procbench.txt; the About tab quotes it.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${GAUGELET_BUILD_DIR:-build}"
seconds="${1:-90}"
warmup=10
gaugelet="$PWD/$build_dir/bin/gaugelet"
probe="$PWD/$build_dir/tests/sniprobe"
minimal="$PWD/$build_dir/bench/minimaltray"
for f in "$gaugelet" "$probe" "$minimal"; do
  [[ -x "$f" ]] || { echo "procbench: $f is missing; build first (scripts/build.sh)"; exit 2; }
done

if [[ "${GAUGELET_PROCBENCH_INNER:-}" != 1 ]]; then
  export GAUGELET_PROCBENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1440x900x24" dbus-run-session -- "$0" "$@"
fi

root=$(mktemp -d)
trap 'kill "${app:-}" "${other:-}" "${watcher:-}" 2>/dev/null; rm -rf "$root"' EXIT
source tests/e2e/lib.sh
e2e_environment "$root"

status-notifier-watcher >/dev/null 2>&1 &
watcher=$!
sleep 0.5

now_ns() { date +%s%N; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# One line per thread of PID: "<tid> <cpu ns> <context switches> <name>".
tasks() {
  local t cpu sw name
  for t in /proc/"$1"/task/*; do
    read -r cpu _ <"$t/schedstat" 2>/dev/null || continue
    sw=$(awk '/ctxt_switches/ {s += $2} END {print s + 0}' "$t/status" 2>/dev/null) || continue
    name=$(tr ' ' _ <"$t/comm" 2>/dev/null) || continue
    echo "${t##*/} $cpu $sw $name"
  done
}
# "name wake-ups/s, ..." per thread over the window, busiest first.
per_thread() {
  awk -v s="$3" 'NR == FNR { w[$1] = $3; next } { printf "%s %.1f\n", $4, ($3 - w[$1]) / s }' "$1" "$2" |
    sort -k2 -rn | awk '{ printf "%s%s %s/s", (NR > 1 ? ", " : ""), $1, $2 } END { print "" }'
}
# "<cpu ns> <context switches> <threads>" over the window between two task
# lists: each thread's growth from the first list (from 0 for a thread born
# since); a thread that ended within the window is not counted.
window() {
  awk 'NR == FNR { c[$1] = $2; w[$1] = $3; next }
       { cpu += $2 - c[$1]; sw += $3 - w[$1]; n++ }
       END { print cpu + 0, sw + 0, n + 0 }' "$1" "$2"
}
# "<Rss> <Pss> <Private_Clean> <Private_Dirty>" in kB.
memory() { awk '/^(Rss|Pss|Private_Clean|Private_Dirty):/ {v[$1] = $2} END {print v["Rss:"], v["Pss:"], v["Private_Clean:"], v["Private_Dirty:"]}' "/proc/$1/smaps_rollup"; }
# Which optional libraries are mapped.
libraries() {
  local found
  found=$(awk '{print $6}' "/proc/$1/maps" | grep -oE 'lib(ssl|crypto|Qt6Multimedia|icuuc|icui18n|Qt6Network|Qt6Concurrent|sodium|sndfile|qopensslbackend)[^/]*\.so' | sed 's/\.so.*//' | sort -u | tr '\n' ' ')
  echo "${found:-none}"
}

# The settings of a program at rest: the setup window dismissed (a first
# launch shows it), no sample alarm (on a busy machine its CPU alarm would
# fire and play a sound mid-run) and, when given, these pins (else the
# default fox).
write_pins() {
  mkdir -p "$(dirname "$settings")"
  local pins=""
  [[ -n "${1:-}" ]] && pins="<key>pinnedSlots</key><data>$(printf '%s' "$1" | base64 -w0)</data>"
  cat >"$settings" <<PLIST
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

stop_app() {
  kill -TERM "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
}

# A first run installs the shipped bundles, as any first launch does.
"$gaugelet" >/dev/null 2>&1 &
app=$!
for _ in $(seq 100); do
  [[ $(ls "$XDG_DATA_HOME/Gaugelet/Bundles" 2>/dev/null | wc -l) -ge 4 ]] && break
  sleep 0.1
done
sleep 1
stop_app

echo "== launch: exec to the first picture with tiles (default fox pin, bundles installed)"
idle=""
times=()
for run in 1 2 3 4 5 6; do
  "$probe" record 3 >"$root/icons" 2>/dev/null &
  recorder=$!
  for _ in $(seq 50); do grep -q ready "$root/icons" && break; sleep 0.05; done
  start=$(now_ns)
  "$gaugelet" >/dev/null 2>&1 &
  app=$!
  wait "$recorder"
  stop_app
  # The recorder's clock started just before exec; its first line after
  # "ready" is the first picture, its time the launch time.
  first=$(grep -v ready "$root/icons" | head -1)
  [[ -n "$first" ]] || { echo "run $run: no picture"; continue; }
  read -r ms w h hash <<<"$first"
  offset=$(( ( $(now_ns) - start ) / 1000000 ))
  # Run 1 warms the disk cache and is not counted.
  if ((run > 1)); then
    times+=("$ms")
    echo "run $run: ${ms} ms (${w}×${h})"
  fi
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print "median: " a[int((NR+1)/2)] " ms (target < 400 ms)"}'

# measure NAME PID...: watches each PID from now for $seconds s (figures from
# the end of the warm-up on) and prints one line per process.
measure() {
  local name=$1
  shift
  local pids=("$@") i
  sleep "$warmup"
  local t0 m0=()
  t0=$(now_ns)
  for i in "${!pids[@]}"; do tasks "${pids[i]}" >"$root/tasks$i"; m0[i]=$(memory "${pids[i]}"); done
  sleep $((seconds - warmup))
  local t1 c1 m1 libs
  t1=$(now_ns)
  for i in "${!pids[@]}"; do
    tasks "${pids[i]}" >"$root/tasks$i.end"
    c1=$(window "$root/tasks$i" "$root/tasks$i.end"); m1=$(memory "${pids[i]}"); libs=$(libraries "${pids[i]}")
    local label=$name
    ((i > 0)) && label="minimal Qt tray"
    awk -v n="$label" -v b="$c1" -v m0="${m0[i]}" -v m1="$m1" -v t0="$t0" -v t1="$t1" 'BEGIN {
      split(b, y, " "); split(m0, p, " "); split(m1, q, " ");
      s = (t1 - t0) / 1e9
      printf "%-22s CPU %6.3f %%  wake-ups %5.1f/s  threads %2d  Rss %5.1f MB  Pss %5.1f MB  Private_Clean %5.1f MB  Private_Dirty %4.1f MB (%4.1f MB at %d s)\n",
        n, 100 * y[1] / (t1 - t0), y[2] / s, y[3], q[1] / 1024, q[2] / 1024, q[3] / 1024, q[4] / 1024, p[4] / 1024, '"$warmup"' }'
    echo "${label}: mapped: $libs" >>"$root/libs"
    echo "${label}: wake-ups by thread: $(per_thread "$root/tasks$i" "$root/tasks$i.end" "$(( (t1 - t0) / 1000000000 ))")" >>"$root/libs"
  done
  cat "$root/libs"; rm -f "$root/libs"
}

echo "== (a) four number-label tiles beside the minimal Qt tray program, ${seconds} s (figures from ${warmup} s on)"
write_pins '[{"providerId":"cpu.total","visualizerId":"viz.numberLabel"},{"providerId":"gpu.total","visualizerId":"viz.numberLabel"},{"providerId":"memory.total","visualizerId":"viz.numberLabel"},{"providerId":"net.total","visualizerId":"viz.numberLabel"}]'
"$gaugelet" >/dev/null 2>&1 &
app=$!
"$minimal" >/dev/null 2>&1 &
other=$!
measure "(a) Gaugelet" "$app" "$other" | tee "$root/a"
kill "$other"; wait "$other" 2>/dev/null || true; other=""
stop_app
awk '/CPU/ { for (i = 1; i <= NF; i++) if ($i == "CPU") c[NR] = $(i + 1); else if ($i == "wake-ups") w[NR] = $(i + 1) + 0; else if ($i == "Rss") r[NR] = $(i + 1) }
  END { if (c[2] > 0 && w[2] > 0) printf "(a) ratio Gaugelet / minimal: CPU %.2fx, wake-ups %.2fx, Rss %.2fx\n", c[1] / c[2], w[1] / w[2], r[1] / r[2] }' "$root/a"

echo "== (b) the default fox runner, ${seconds} s"
write_pins ""
"$gaugelet" >/dev/null 2>&1 &
app=$!
measure "(b) fox runner" "$app"
stop_app

echo "== (c) the popover open over the fox runner, ${seconds} s"
"$gaugelet" >/dev/null 2>&1 &
app=$!
service=""
for _ in $(seq 50); do
  service=$("$probe" items 2>/dev/null | head -1)
  [[ -n "$service" ]] && break
  sleep 0.1
done
sleep 1
"$probe" activate "$service" 1300 10 >/dev/null 2>&1 || echo "(c) could not activate $service"
measure "(c) popover open" "$app"
stop_app
