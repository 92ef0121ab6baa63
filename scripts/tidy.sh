#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the given sources, or over
# every source of src/ when none is given, with the compile commands of the
# normal build (./build or $GAUGELET_BUILD_DIR; configured and moc'ed here if
# need be), or with GAUGELET_SANITIZE=1 of the sanitized one (./build-asan or
# $GAUGELET_ASAN_BUILD_DIR, as CI runs it after building it; see
# scripts/build-dir.sh). GCC-only flags are dropped from a copy of the commands, since
# clang does not know them, and so is the precompiled header GCC built
# (GAUGELET_PCH): clang cannot read it, and each source is checked with the
# includes it writes itself. Every warning fails the run.
#   scripts/tidy.sh --changed   only the sources a change wrote (and the source
#                               beside each header it wrote), as CI runs it;
#                               the base is scripts/changed.sh's
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-dir.sh
tidy="${CLANG_TIDY:-clang-tidy-14}"
command -v "$tidy" >/dev/null || scripts/deps.sh --check
if [[ "${1:-}" == "--changed" ]]; then
  shift
  changed=()
  for f in $(scripts/changed.sh); do
    [[ "$f" == *.h ]] && f="${f%.h}.cpp"
    if [[ "$f" == *.cpp && -f "$f" ]]; then changed+=("$f"); fi
  done
  if ((${#changed[@]} == 0)); then
    echo "tidy.sh: no changed sources"
    exit 0
  fi
  set -- $(printf '%s\n' "${changed[@]}" | sort -u)
fi
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${build_configure[@]}"
fi
# The sources include what moc generates.
ninja -C "$build_dir" $(ninja -C "$build_dir" -t targets all | sed -n 's/^\([A-Za-z0-9_-]*_autogen\): .*/\1/p' | sort -u) >/dev/null
db="$build_dir/tidy"
mkdir -p "$db"
sed -e 's/ -fcoroutines / /g; s/ -Werror / /g; s/ -Wno-maybe-uninitialized / /g' \
  -e 's/ -Winvalid-pch -include [^ ]*\/cmake_pch\.hxx / /g' \
  "$build_dir/compile_commands.json" > "$db/compile_commands.json"
if (($# == 0)); then
  set -- $(find src -name '*.cpp' | sort)
fi
# Only sources this build compiles have commands (the fuzz targets are built
# in build-fuzz/ alone).
known=()
for f in "$@"; do
  if grep -qF "\"file\": \"$PWD/$f\"" "$db/compile_commands.json"; then
    known+=("$f")
  else
    echo "tidy.sh: $f is not compiled in $build_dir; not checked" >&2
  fi
done
((${#known[@]})) || exit 0
status=0
printf '%s\n' "${known[@]}" \
  | xargs -P"${TIDY_JOBS:-$(nproc)}" -n1 "$tidy" -p "$db" --quiet --warnings-as-errors='*' \
    2> >(grep -v '^[0-9]* warnings\? generated\.$' >&2) || status=$?
if ((status)); then
  echo "tidy.sh: clang-tidy warned (above)" >&2
else
  echo "tidy.sh: ${#known[@]} source(s) clean"
fi
exit $status
