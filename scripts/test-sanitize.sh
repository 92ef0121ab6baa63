#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# ./build-asan (or $GAUGELET_ASAN_BUILD_DIR) and runs the whole suite there:
# offscreen Qt, on a private session bus of its own. Only the test programs
# and what they run are built (no benchmarks, no release tools); ccache is
# shared with the normal build. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
build_dir="${GAUGELET_ASAN_BUILD_DIR:-build-asan}"
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGAUGELET_SANITIZE=ON -DGAUGELET_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" -j"$(nproc)" --target test_programs

# Findings in Qt and system libraries are suppressed by name, each with its
# reason, in tests/sanitizers/; a finding in our code fails the test.
supp="$PWD/tests/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0:strict_string_checks=1:check_initialization_order=1:detect_odr_violation=0"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# Everything runs some times slower under the sanitizers: the per-test limit
# is raised with --timeout-multiplier... which ctest lacks before 3.27, so
# the scale factor goes to the tests' own waits instead (GAUGELET_TEST_SLOWDOWN).
exec dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" "$@"
