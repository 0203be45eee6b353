#!/usr/bin/env bash
# Starts Tarnwell Password Generator: builds the Windows program if needed and
# runs it under Wine on this display.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  echo "No display to show the window on; use the command-line program instead: scripts/cli.sh --help"
  exit 1
fi

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target TarnwellPasswordGenerator
# The program has no time limit of its own; a day is the wrapper's bound.
TARNWELL_WINE_TIMEOUT=86400 exec cmake/wine-run.sh "$PWD/build/windows/wineprefix" \
  "$PWD/build/windows/src/ui/TarnwellPasswordGenerator.exe"
