#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the given sources, or over
# every source of src/ when none is given, with the compile commands of the
# normal build (./build or $GAUGELET_BUILD_DIR; configured and moc'ed here if
# need be). GCC-only flags are dropped from a copy of the commands, since
# clang does not know them.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${GAUGELET_BUILD_DIR:-build}"
tidy="${CLANG_TIDY:-clang-tidy-14}"
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# The sources include what moc generates.
ninja -C "$build_dir" $(ninja -C "$build_dir" -t targets all | sed -n 's/^\([A-Za-z0-9_-]*_autogen\): .*/\1/p' | sort -u) >/dev/null
db="$build_dir/tidy"
mkdir -p "$db"
sed -e 's/ -fcoroutines / /g; s/ -Werror / /g' "$build_dir/compile_commands.json" > "$db/compile_commands.json"
if (($# == 0)); then
  set -- $(find src -name '*.cpp' | sort)
fi
status=0
printf '%s\n' "$@" | xargs -P"${TIDY_JOBS:-$(nproc)}" -n1 "$tidy" -p "$db" --quiet || status=$?
exit $status
