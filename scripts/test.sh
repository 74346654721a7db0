#!/usr/bin/env bash
# Installs what is missing, builds the tests under AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# the whole suite with ctest.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh" sanitize
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
cd "$here/build/sanitize"
ctest --output-on-failure -j "$(nproc)" "$@"
