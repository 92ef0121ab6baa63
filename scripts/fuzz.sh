#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a
# while (FUZZ_SECONDS, default 60). A crash input is copied into
# tests/store/data/fuzz/ (archive and manifest) or tests/platform/data/fuzz/
# (property list), where the tests replay it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --fuzz
seconds="${FUZZ_SECONDS:-60}"
build_dir="${GAUGELET_FUZZ_BUILD_DIR:-build-fuzz}"
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DGAUGELET_BUILD_FUZZ=ON -DGAUGELET_BUILD_TESTS=OFF -DGAUGELET_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" -j4 --target fuzz_ZipReader fuzz_BundleManifest fuzz_PropertyList

# Seeds: real archives made by zip, and a manifest.
seeds="$build_dir/fuzz/seeds"
rm -rf "$seeds" && mkdir -p "$seeds/zip" "$seeds/manifest" "$seeds/work/assets"
printf '{"schema":1,"id":"fox","version":1,"type":"runner_sprite","displayName":"Fox","author":"A","releaseDate":"2026-03-01T12:00:00.250+01:00","priceCents":0,"currency":"USD","sprite":{"frameCount":2,"defaultSize":18,"framePrefix":"fox"},"sound":{"entries":[{"id":"d","displayName":"D","assetFile":"assets/d.wav"}]},"assets":[{"path":"assets/a.png","sha256":"00"}]}' \
  > "$seeds/manifest/manifest.json"
cp "$seeds/manifest/manifest.json" "$seeds/work/manifest.json"
printf 'frame' > "$seeds/work/assets/a.png"
(cd "$seeds/work" && zip -q -X -D -0 ../zip/stored.zip manifest.json assets/a.png \
  && zip -q -X -D -9 ../zip/deflated.zip manifest.json assets/a.png)
cp tests/store/data/fuzz/* "$seeds/zip/" 2>/dev/null || true

# Property lists: the regression inputs (a settings file, binary lists,
# NUL characters, deep nesting, cycles) are the seeds.
mkdir -p "$seeds/plist"
cp tests/platform/data/fuzz/* "$seeds/plist/"

status=0
for target in ZipReader BundleManifest PropertyList; do
  corpus="$build_dir/fuzz/corpus-$target"
  mkdir -p "$corpus"
  crashes=tests/store/data/fuzz
  case $target in
    ZipReader) seed_dir="$seeds/zip" ;;
    BundleManifest) seed_dir="$seeds/manifest" ;;
    PropertyList) seed_dir="$seeds/plist"; crashes=tests/platform/data/fuzz ;;
  esac
  mkdir -p "$crashes"
  if ! "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=70000 \
      -artifact_prefix="$crashes/$target-" "$corpus" "$seed_dir"; then
    echo "fuzz_$target found a crash; the input is in $crashes/" >&2
    status=1
  fi
done
exit $status
