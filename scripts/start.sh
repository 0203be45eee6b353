#!/usr/bin/env bash
# Starts Tarnwell Password Generator: builds the Windows program if needed and
# runs it under Wine on this display. The first start says what it is doing in
# each slow step (installing, building, preparing Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  echo "No display to show the window on; use the command-line program instead: scripts/cli.sh --help"
  exit 1
fi

scripts/install-deps.sh
program=build/windows/src/ui/TarnwellPasswordGenerator.exe
[ -f "$program" ] || echo "Building Tarnwell Password Generator (first start only, about a minute)..."
cmake --preset windows >/dev/null
if ! output=$(cmake --build --preset windows --target TarnwellPasswordGenerator 2>&1); then
  printf '%s\n' "$output"
  echo "start.sh: the build failed."
  exit 1
fi

# A prefix of its own, apart from the tests' (which hold test-only stand-ins
# and window settings). The program is DPI-unaware by design and Wine does not
# scale such programs, so the prefix is held at 96 DPI, where the window's
# layout fits, whatever the display's own DPI.
prefix=$PWD/build/start/wineprefix
if [ ! -f "$prefix/.tarnwell-96dpi" ]; then
  echo "Preparing Wine for the program (first start only, about 15 seconds)..."
  mkdir -p "$prefix"
  for key in 'HKCU\Control Panel\Desktop' \
             'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    if ! cmake/wine-run.sh "$prefix" reg add "$key" /v LogPixels /t REG_DWORD /d 96 /f \
         >/dev/null 2>&1; then
      echo "start.sh: Wine could not prepare its prefix in $prefix."
      exit 1
    fi
  done
  touch "$prefix/.tarnwell-96dpi"
fi
# The program has no time limit of its own; a day is the wrapper's bound.
TARNWELL_WINE_TIMEOUT=86400 exec cmake/wine-run.sh "$prefix" "$PWD/$program"
