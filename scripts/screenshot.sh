#!/usr/bin/env bash
# Starts the program on a virtual display, waits, and saves a screenshot of the whole screen as PNG:
#   scripts/screenshot.sh OUT.png [seconds] [program arguments...]
# DREMMOX_BIN names another build of the program (default: the release build, built when missing).
# The screen is read with ImageMagick's import: xwd read the logon dialog, a modal window of its own, as black on a
# display without a window manager, although the dialog was painted (import and a grab of the window itself show it).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:?usage: $0 OUT.png [seconds] [args...]}")"
wait_s="${2:-4}"
shift; shift || true
bin="${DREMMOX_BIN:-$here/build/release/src/dremmox}"
if [ -z "${DREMMOX_BIN:-}" ] && [ ! -x "$bin" ]; then
  bash "$here/scripts/build.sh" release dremmox
fi
export DREMMOX_SHOT_OUT="$out" DREMMOX_SHOT_WAIT="$wait_s" DREMMOX_BIN="$bin"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$DREMMOX_BIN" "$@" & pid=$!
  sleep "$DREMMOX_SHOT_WAIT"
  import -window root "png:$DREMMOX_SHOT_OUT"
  kill $pid 2>/dev/null || true' bash "$@"
echo "$out"
