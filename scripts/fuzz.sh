#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (the code they read
# through with the fuzzing flags, GAUGELET_BUILD_FUZZ; tools/fuzz/) and runs
# each for a while (FUZZ_SECONDS per target, default 60; FUZZ_JOBS targets
# at a time, default 2). Each target's inputs folder under
# tests/ holds its seeds (seed-*) and the crash inputs found so far; a new
# crash input is written there too, and the tests replay every file of it.
#   scripts/fuzz.sh                 every target
#   scripts/fuzz.sh Alarm Pin       only these
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --fuzz
seconds="${FUZZ_SECONDS:-60}"
build_dir="${GAUGELET_FUZZ_BUILD_DIR:-build-fuzz}"

# target, its inputs folder, and the libFuzzer dictionary it uses (if any).
table=(
  "ZipReader       tests/store/data/fuzz            -"
  "BundleManifest  tests/store/data/fuzz            tools/fuzz/records.dict"
  "PropertyList    tests/platform/data/fuzz         -"
  "ConfigBackup    tests/settings/data/fuzz         -"
  "Alarm           tests/alarms/data/fuzz           tools/fuzz/records.dict"
  "Pin             tests/menubar/data/fuzz          tools/fuzz/records.dict"
  "KillSwitch      tests/update/data/fuzz           tools/fuzz/records.dict"
  "RemoteCatalogue tests/store/data/fuzz-catalogue  tools/fuzz/records.dict"
  "DesktopEntryExec tests/platform/data/fuzz-exec   -"
)
wanted=("$@")

if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DGAUGELET_BUILD_FUZZ=ON -DGAUGELET_BUILD_TESTS=OFF -DGAUGELET_BUILD_BENCH=OFF
fi
targets=()
for row in "${table[@]}"; do
  read -r target _ _ <<<"$row"
  if ((${#wanted[@]} == 0)) || [[ " ${wanted[*]} " == *" $target "* ]]; then
    targets+=("fuzz_$target")
  fi
done
cmake --build "$build_dir" -j4 --target "${targets[@]}"

# Seeds made here: real archives made by zip, and a manifest.
seeds="$build_dir/fuzz/seeds"
rm -rf "$seeds" && mkdir -p "$seeds/ZipReader" "$seeds/BundleManifest" "$seeds/ConfigBackup" "$seeds/work/assets"
printf '{"schema":1,"id":"fox","version":1,"type":"runner_sprite","displayName":"Fox","author":"A","releaseDate":"2026-03-01T12:00:00.250+01:00","priceCents":0,"currency":"USD","sprite":{"frameCount":2,"defaultSize":18,"framePrefix":"fox"},"sound":{"entries":[{"id":"d","displayName":"D","assetFile":"assets/d.wav"}]},"assets":[{"path":"assets/a.png","sha256":"00"}]}' \
  > "$seeds/BundleManifest/manifest.json"
cp "$seeds/BundleManifest/manifest.json" "$seeds/work/manifest.json"
printf 'frame' > "$seeds/work/assets/a.png"
(cd "$seeds/work" && zip -q -X -D -0 ../ZipReader/stored.zip manifest.json assets/a.png \
  && zip -q -X -D -9 ../ZipReader/deflated.zip manifest.json assets/a.png)
# The backups the settings tests import, binary and XML.
cp tests/settings/data/*.gaugeletbackup "$seeds/ConfigBackup/"

# The targets run FUZZ_JOBS at a time (default 2; each is one process on
# one core), each for the same seconds as alone; their statistics are
# printed in the table's order once all have stopped.
jobs="${FUZZ_JOBS:-2}"
run_target() {
  local target=$1 inputs=$2 dict=$3
  local corpus="$build_dir/fuzz/corpus-$target"
  mkdir -p "$corpus" "$seeds/$target" "$inputs"
  local options=(-max_total_time="$seconds" -max_len=70000 -print_final_stats=1 -artifact_prefix="$inputs/$target-")
  [[ "$dict" == "-" ]] || options+=(-dict="$dict")
  "$build_dir/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$seeds/$target" "$inputs" 2>"$build_dir/fuzz/$target.log"
}
running=0
for row in "${table[@]}"; do
  read -r target inputs dict <<<"$row"
  [[ " ${targets[*]} " == *" fuzz_$target "* ]] || continue
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  rm -f "$build_dir/fuzz/$target.status"
  (
    status=0
    run_target "$target" "$inputs" "$dict" || status=$?
    echo "$status" >"$build_dir/fuzz/$target.status"
  ) &
  running=$((running + 1))
done
wait

status=0
for row in "${table[@]}"; do
  read -r target inputs _ <<<"$row"
  [[ " ${targets[*]} " == *" fuzz_$target "* ]] || continue
  if [[ "$(cat "$build_dir/fuzz/$target.status" 2>/dev/null)" != 0 ]]; then
    tail -n 40 "$build_dir/fuzz/$target.log" >&2
    echo "fuzz_$target found a crash; the input is in $inputs/" >&2
    status=1
  fi
  # libFuzzer's closing statistics: how many inputs ran, and how fast.
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|Done [0-9]+ runs)' \
    "$build_dir/fuzz/$target.log" | sed "s/^/fuzz_$target: /" || true
done
exit $status
