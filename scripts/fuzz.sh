#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (every library with
# the fuzzing flags, GAUGELET_BUILD_FUZZ) and runs each for a while
# (FUZZ_SECONDS per target, default 60). Each target's inputs folder under
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

status=0
for row in "${table[@]}"; do
  read -r target inputs dict <<<"$row"
  [[ " ${targets[*]} " == *" fuzz_$target "* ]] || continue
  corpus="$build_dir/fuzz/corpus-$target"
  mkdir -p "$corpus" "$seeds/$target" "$inputs"
  options=(-max_total_time="$seconds" -max_len=70000 -print_final_stats=1 -artifact_prefix="$inputs/$target-")
  [[ "$dict" == "-" ]] || options+=(-dict="$dict")
  if ! "$build_dir/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$seeds/$target" "$inputs" 2>"$build_dir/fuzz/$target.log"; then
    tail -n 40 "$build_dir/fuzz/$target.log" >&2
    echo "fuzz_$target found a crash; the input is in $inputs/" >&2
    status=1
  fi
  # libFuzzer's closing statistics: how many inputs ran, and how fast.
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|Done [0-9]+ runs)' \
    "$build_dir/fuzz/$target.log" | sed "s/^/fuzz_$target: /" || true
done
exit $status
