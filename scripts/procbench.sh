#!/usr/bin/env bash
# Whole-process benchmark: runs the built program under Xvfb on a private
# session bus with a StatusNotifierWatcher (temporary HOME and XDG folders)
# and prints
#   - the launch time: from exec to the first IconPixmap that shows tiles
#     (bundles installed, warm disk cache), five launches;
#   - for (a) four static number-label tiles and (b) the default fox runner:
#     the CPU time (from /proc/<pid>/schedstat) as a percentage of one core,
#     over the whole run and from 5 s on, and the resident memory at 5 s and
#     at the end.
# Targets: launch under 400 ms; (a) at most 0.1 % of a core, (b) at most 1 %;
# resident memory at most 45 MB and not growing.
#   scripts/procbench.sh [SECONDS]     (default 60; needs scripts/build.sh and deps.sh --test)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${GAUGELET_BUILD_DIR:-build}"
seconds="${1:-60}"
gaugelet="$PWD/$build_dir/bin/gaugelet"
probe="$PWD/$build_dir/tests/sniprobe"
for f in "$gaugelet" "$probe"; do
  [[ -x "$f" ]] || { echo "procbench: $f is missing; build first (scripts/build.sh)"; exit 2; }
done

if [[ "${GAUGELET_PROCBENCH_INNER:-}" != 1 ]]; then
  export GAUGELET_PROCBENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1440x900x24" dbus-run-session -- "$0" "$@"
fi

source tests/e2e/lib.sh
root=$(mktemp -d)
trap 'kill "${app:-}" "${watcher:-}" 2>/dev/null; rm -rf "$root"' EXIT
e2e_environment "$root"

status-notifier-watcher >/dev/null 2>&1 &
watcher=$!
sleep 0.5

now_ns() { date +%s%N; }
cpu_ns() { awk '{print $1}' "/proc/$1/schedstat"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }


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

measure() {
  local name=$1
  "$gaugelet" >/dev/null 2>&1 &
  app=$!
  local t0 c0
  t0=$(now_ns); c0=$(cpu_ns "$app")
  sleep 5
  local t5 c5 r5
  t5=$(now_ns); c5=$(cpu_ns "$app"); r5=$(rss_kb "$app")
  sleep $((seconds - 5))
  local t1 c1 r1
  t1=$(now_ns); c1=$(cpu_ns "$app"); r1=$(rss_kb "$app")
  stop_app
  awk -v n="$name" -v c0="$c0" -v c5="$c5" -v c1="$c1" -v t0="$t0" -v t5="$t5" -v t1="$t1" -v r5="$r5" -v r1="$r1" 'BEGIN {
    printf "%s: CPU %.3f %% of a core over %.0f s, %.3f %% from 5 s on; RSS %.1f MB at 5 s, %.1f MB at %.0f s\n",
      n, 100 * (c1 - c0) / (t1 - t0), (t1 - t0) / 1e9, 100 * (c1 - c5) / (t1 - t5), r5 / 1024, r1 / 1024, (t1 - t0) / 1e9 }'
}

echo "== (a) four number-label tiles, ${seconds} s"
write_settings '[{"providerId":"cpu.total","visualizerId":"viz.numberLabel"},{"providerId":"gpu.total","visualizerId":"viz.numberLabel"},{"providerId":"memory.total","visualizerId":"viz.numberLabel"},{"providerId":"net.total","visualizerId":"viz.numberLabel"}]'
measure "(a) number labels"
echo "== (b) the default fox runner, ${seconds} s"
rm -f "$settings"
measure "(b) fox runner"
