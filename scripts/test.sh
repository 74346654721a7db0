#!/usr/bin/env bash
# Installs what is missing, builds the tests under AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# the whole suite with ctest; then builds the engine and its concurrency tests under ThreadSanitizer (build/tsan)
# and runs them, so that a data race between sessions fails the run.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh" sanitize
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
(cd "$here/build/sanitize" && ctest --output-on-failure -j "$(nproc)" "$@")

bash "$here/scripts/build.sh" tsan test_engine_concurrency
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tests/engine_concurrency/tsan.supp}"
QT_QPA_PLATFORM=offscreen "$here/build/tsan/tests/test_engine_concurrency"
