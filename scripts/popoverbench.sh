#!/usr/bin/env bash
# The cost of an open popover: runs the built program under Xvfb on a private
# session bus with a StatusNotifierWatcher (temporary HOME and XDG folders,
# four number-label tiles), lets it settle, then measures SECONDS with the
# popover closed (the same run's baseline) and SECONDS with it open (opened by
# the status item's Activate, as a click does). For each phase it prints the
# CPU time summed over all threads (/proc/PID/task/*/schedstat) as a
# percentage of one core, the wake-ups per second (times a thread was put on
# a processor, summed over all threads) and the threads at the end with their
# names. Target with the popover open: at most 1.5 % of a core.
#   scripts/popoverbench.sh [SECONDS] [OTHER_PROGRAM...]
# (default 30 s). Every OTHER_PROGRAM (an earlier build, say) is measured in the
# same session before this build's program, so the figures compare.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${GAUGELET_BUILD_DIR:-build}"
seconds="${1:-30}"
shift || true
gaugelet="$PWD/$build_dir/bin/gaugelet"
probe="$PWD/$build_dir/tests/sniprobe"
for f in "$gaugelet" "$probe" "$@"; do
  [[ -x "$f" ]] || { echo "popoverbench: $f is missing; build first (scripts/build.sh)"; exit 2; }
done
for tool in xvfb-run dbus-run-session status-notifier-watcher xwininfo; do
  command -v "$tool" >/dev/null || { echo "popoverbench: $tool is missing (scripts/deps.sh --test)"; exit 2; }
done

if [[ "${GAUGELET_POPOVERBENCH_INNER:-}" != 1 ]]; then
  export GAUGELET_POPOVERBENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1440x900x24" dbus-run-session -- "$0" "$seconds" "$@"
fi

root=$(mktemp -d)
trap 'kill "${app:-}" "${watcher:-}" 2>/dev/null; rm -rf "$root"' EXIT
source tests/e2e/lib.sh
e2e_environment "$root"

status-notifier-watcher >/dev/null 2>&1 &
watcher=$!
sleep 0.5

now_ns() { date +%s%N; }
# Per thread: "<tid> <CPU ns> <times put on a CPU>".
task_stats() {
  for t in /proc/"$1"/task/*; do
    read -r c _ w <"$t/schedstat" 2>/dev/null && echo "${t##*/} $c $w"
  done
}
# Summed over the threads alive at the end: what each did since the start (a
# thread born meanwhile counts from 0; one that ended is left out).
task_deltas() {
  awk 'NR == FNR {c0[$1] = $2; w0[$1] = $3; next} {c += $2 - c0[$1]; w += $3 - w0[$1]} END {print c, w}' "$1" "$2"
}
threads() { ls /proc/"$1"/task | wc -l; }
thread_names() { cat /proc/"$1"/task/*/comm 2>/dev/null | sort | uniq -c | awk '{printf "%s%s×%s", s, $2, $1; s = ", "}'; }
popover_shown() { xwininfo -root -children 2>/dev/null | grep -q '"Gaugelet"'; }

# Four number-label tiles: the settings file holds only the pins (JSON, as
# the program stores them, in a property list's data field).
write_settings() {
  mkdir -p "$(dirname "$settings")"
  /usr/bin/python3 -c 'import plistlib, sys; plistlib.dump({"pinnedSlots": sys.argv[2].encode()}, open(sys.argv[1], "wb"))' \
    "$settings" '[{"providerId":"cpu.total","visualizerId":"viz.numberLabel"},{"providerId":"gpu.total","visualizerId":"viz.numberLabel"},{"providerId":"memory.total","visualizerId":"viz.numberLabel"},{"providerId":"net.total","visualizerId":"viz.numberLabel"}]'
}

phase() {
  local name=$1 pid=$2
  local t0 t1 c w
  t0=$(now_ns); task_stats "$pid" >"$root/start"
  sleep "$seconds"
  t1=$(now_ns); task_stats "$pid" >"$root/end"
  read -r c w < <(task_deltas "$root/start" "$root/end")
  awk -v n="$name" -v c="$c" -v w="$w" -v t0="$t0" -v t1="$t1" -v th="$(threads "$pid")" 'BEGIN {
    s = (t1 - t0) / 1e9
    printf "  %-16s CPU %6.3f %% of a core, %6.1f wake-ups/s, %2d threads\n", n, 100 * c / (t1 - t0), w / s, th }'
  echo "    threads: $(thread_names "$pid")"
}

measure() {
  local program=$1
  rm -rf "$XDG_CONFIG_HOME/dev.gaugelet.app"
  write_settings
  "$program" >"$root/log" 2>&1 &
  app=$!
  local service=""
  for _ in $(seq 100); do
    service=$("$probe" items 2>/dev/null | head -1)
    [[ -n "$service" ]] && break
    sleep 0.1
  done
  [[ -n "$service" ]] || { echo "popoverbench: no status item from $program"; cat "$root/log"; exit 1; }
  echo "== $program"
  sleep 5
  phase "popover closed" "$app"
  "$probe" activate "$service" 1300 10
  for _ in $(seq 30); do popover_shown && break; sleep 0.1; done
  popover_shown || { echo "popoverbench: the popover did not open"; exit 1; }
  sleep 2 # the rows get their first snapshots and lay out
  phase "popover open" "$app"
  kill -TERM "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
}

for other in "$@"; do
  measure "$other"
done
measure "$gaugelet"
