#!/usr/bin/env bash
# Configures and builds one configuration: release (default), debug, sanitize, tsan or bench. Extra arguments are
# passed to the build tool (for example a target name). tsan builds, unless told otherwise, only the engine and its
# concurrency tests under ThreadSanitizer (build/tsan/tests/test_engine_concurrency).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
config="${1:-release}"
shift || true

case "$config" in
  release)  args=(-DCMAKE_BUILD_TYPE=Release) ;;
  debug)    args=(-DCMAKE_BUILD_TYPE=Debug) ;;
  sanitize) args=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DDREMMOX_SANITIZE=ON) ;;
  tsan)     args=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DDREMMOX_TSAN=ON)
            [ $# -gt 0 ] || set -- test_engine_concurrency ;;
  bench)    args=(-DCMAKE_BUILD_TYPE=Release -DDREMMOX_BENCH=ON -DDREMMOX_TESTS=OFF) ;;
  *) echo "usage: $0 [release|debug|sanitize|tsan|bench] [target...]" >&2; exit 2 ;;
esac

# Compiler-cache entries are keyed by paths relative to the checkout, so several checkouts of the project (and a
# fresh clone in CI) share them.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$here}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"

dir="$here/build/$config"
cmake -S "$here" -B "$dir" -G Ninja "${args[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$dir" --target "$@"
else
  cmake --build "$dir"
fi
