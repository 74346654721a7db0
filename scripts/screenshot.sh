#!/usr/bin/env bash
# Starts the program on a virtual display, waits, and saves a screenshot of the whole screen as PNG:
#   scripts/screenshot.sh OUT.png [seconds] [program arguments...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:?usage: $0 OUT.png [seconds] [args...]}")"
wait_s="${2:-4}"
shift; shift || true
bin="$here/build/release/src/dremmox"
[ -x "$bin" ] || bash "$here/scripts/build.sh" release dremmox
export DREMMOX_SHOT_OUT="$out" DREMMOX_SHOT_WAIT="$wait_s" DREMMOX_BIN="$bin"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$DREMMOX_BIN" "$@" & pid=$!
  sleep "$DREMMOX_SHOT_WAIT"
  xwd -root -silent | convert xwd:- "$DREMMOX_SHOT_OUT"
  kill $pid 2>/dev/null || true' bash "$@"
echo "$out"
