#!/usr/bin/env bash
# Rebuilds every pack that ships in resources/StoreAssets: draws the runner
# frames with gaugelet-spritegen, synthesises the sound-effects pack with
# gaugelet-soundgen, and packs and signs each bundle with gaugebundle. Release tooling: it needs the store's private signing seed,
# which never enters this repository.
#
#   tools/packs/build-builtin-packs.sh [STORE_SEED_FILE]
#
# The seed defaults to ../shared/signing/store-signing.seed beside the checkout.
set -euo pipefail
cd "$(dirname "$0")/../.."
seed="${1:-../shared/signing/store-signing.seed}"
if [[ ! -r "$seed" ]]; then
  echo "no readable store signing seed at $seed" >&2
  exit 2
fi
scripts/deps.sh
scripts/build.sh >/dev/null
build_dir="${GAUGELET_BUILD_DIR:-build}"
cmake --build "$build_dir" --target gaugelet-spritegen gaugelet-soundgen gaugebundle >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$build_dir/tools/gaugelet-spritegen" "$work"
for id in fox hare piglet; do
  "$build_dir/bin/gaugebundle" pack --template "tools/packs/templates/$id.json" \
    --assets "$work/$id" --seed "$seed" --out "resources/StoreAssets/$id.gaugebundle"
  echo "packed resources/StoreAssets/$id.gaugebundle"
done
mkdir -p "$work/effects/assets"
"$build_dir/tools/gaugelet-soundgen" --effects "$work/effects/assets" >/dev/null
"$build_dir/bin/gaugebundle" pack --template tools/packs/templates/effects.json \
  --assets "$work/effects" --seed "$seed" --out resources/StoreAssets/effects.gaugebundle
echo "packed resources/StoreAssets/effects.gaugebundle"
