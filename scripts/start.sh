#!/usr/bin/env bash
# Starts Tarnwell Password Generator: builds the Windows program if needed and
# runs it under Wine on this display. The first start says what it is doing in
# each slow step (installing, building, preparing Wine). Every message goes to
# standard error.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  echo "No display to show the window on; use the command-line program instead: scripts/cli.sh --help" >&2
  exit 1
fi

source scripts/window-program.sh
scripts/install-deps.sh "${window_program_packages[@]}" >&2
build_window_program || exit 1
prefix=$PWD/build/start/wineprefix
prepare_program_prefix "$prefix" || exit 1
# The program has no time limit of its own; a day is the wrapper's bound.
TARNWELL_WINE_TIMEOUT=86400 exec cmake/wine-run.sh "$prefix" "$PWD/$window_program"
