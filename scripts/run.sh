#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments are passed to the program.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh" release dremmox
exec "$here/build/release/src/dremmox" "$@"
