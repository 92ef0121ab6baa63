# Sourced by the scripts that build or read a build folder: sets build_dir,
# ./build (or $GAUGELET_BUILD_DIR), or with GAUGELET_SANITIZE=1 ./build-asan
# (or $GAUGELET_ASAN_BUILD_DIR), and build_configure, the arguments of that
# folder's first cmake configure. The sanitized build has AddressSanitizer
# and UndefinedBehaviorSanitizer (cmake -DGAUGELET_SANITIZE=ON), as CI
# builds it: -O1 -g1 (line tables) builds in about half the time of -O2 -g,
# keeps the sanitizers' reports exact to the line, and the suite runs as fast.
if [[ "${GAUGELET_SANITIZE:-0}" == 1 ]]; then
  build_dir="${GAUGELET_ASAN_BUILD_DIR:-build-asan}"
  build_configure=("-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DGAUGELET_SANITIZE=ON)
else
  build_dir="${GAUGELET_BUILD_DIR:-build}"
  build_configure=()
fi
