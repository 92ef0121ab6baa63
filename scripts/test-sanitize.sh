#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# ./build-asan (or $GAUGELET_ASAN_BUILD_DIR) and runs the whole suite there:
# offscreen Qt, on a private session bus of its own. Only the test programs
# and what they run are built (no benchmarks, no release tools); ccache is
# shared with the normal build. Extra arguments go to ctest; without any,
# of the real-panel tests only GNOME Shell's runs here (the host whose
# drops, re-registrations and restarts take the status items' longest
# paths): the others take the same paths the normal run checks, and each
# adds close to a minute that CI cannot spare on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
build_dir="${GAUGELET_ASAN_BUILD_DIR:-build-asan}"
if [[ ! -f "$build_dir/build.ninja" ]]; then
  # -O1 -g1 (line tables) builds in about half the time of -O2 -g, keeps
  # the sanitizers' reports exact to the line, and the suite runs as fast.
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
    -DGAUGELET_SANITIZE=ON -DGAUGELET_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" -j"$(nproc)" --target test_programs

# Findings in Qt and system libraries are suppressed by name, each with its
# reason, in tests/sanitizers/; a finding in our code fails the test.
supp="$PWD/tests/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:check_initialization_order=1:fast_unwind_on_malloc=0"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# Each test case is a process of its own, with the 120-second limit every
# test has (the end-to-end test 240); under the sanitizers a case takes about
# twice as long as in the normal build, far inside those limits.
if (($# == 0)); then
  set -- -E '^e2e\.Host\.(LXQt|Xfce|Plasma|Waybar)$'
fi
exec dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" "$@"
