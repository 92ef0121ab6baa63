#!/usr/bin/env bash
# Installs what is missing, builds Gaugelet and runs every test: offscreen Qt,
# on a private session bus of its own. Extra arguments go to ctest.
# With GAUGELET_SANITIZE=1 (as CI runs it) the build is the one with
# AddressSanitizer and UndefinedBehaviorSanitizer (./build-asan, see
# scripts/build.sh) and every test runs under them: a finding in our code
# fails the test; the few inside Qt or system libraries are suppressed by
# name, each with its reason, in tests/sanitizers/. Each test case is a
# process of its own, with the 120-second limit every test has (the
# end-to-end tests 240); under the sanitizers a case takes about twice as
# long as in the normal build, far inside those limits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
scripts/build.sh
source scripts/build-dir.sh
if [[ "${GAUGELET_SANITIZE:-0}" == 1 ]]; then
  supp="$PWD/tests/sanitizers"
  # Each allocation's stack is taken by frame pointers (ASan's default): the
  # slow unwinder made allocation-heavy tests five to ten times slower, some
  # near their time limit. (It was taken while LeakSanitizer now and then
  # reported OpenSSL's per-thread state as leaked: a Qt network thread still
  # ending as the program exited. The exit now waits for those threads.)
  export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:check_initialization_order=1"
  export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
fi
export QT_QPA_PLATFORM=offscreen
exec dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" "$@"
