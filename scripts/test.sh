#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite: once with warnings as errors,
# once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
# Paths relative to the checkout, so a fresh clone elsewhere reuses what this machine compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=true
# The whole suite is the continuous-integration run: a test whose X server, sound server or
# compositor is missing fails instead of skipping (tests/support/RequireEnvironment.h).
export CI="${CI:-true}"

cmake --preset ci
cmake --build --preset ci -j "$jobs"
bash scripts/with-test-env.sh bash scripts/with-sway.sh ctest --preset ci -j "$jobs"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  bash scripts/with-test-env.sh bash scripts/with-sway.sh ctest --preset asan -j "$jobs"

# The Debian package: built, unpacked and checked.
bash scripts/test-package.sh
