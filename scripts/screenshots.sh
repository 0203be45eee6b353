#!/usr/bin/env bash
# Takes the screenshots of the README (docs/screenshots/*.png) as a user sees
# the program: under Wine on a virtual display at 96 DPI, with a window manager
# (openbox) drawing the frames and their caption buttons, driven only by the
# keyboard. A step of its own, apart from the tests, which run without a
# window manager's frames.
#   scripts/screenshots.sh [FOLDER]     (default docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
title='^Tarnwell Password Generator$'

scripts/install-deps.sh
# Only this step types keys from outside the program.
scripts/install-deps.sh xdotool
source scripts/window-program.sh
source scripts/virtual-display.sh
build_window_program || exit 1
prefix=$PWD/build/screenshots/wineprefix
scratch=$(mktemp -d)
start_virtual_display --window-manager || exit 1
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; stop_virtual_display; rm -rf "$scratch"' EXIT
prepare_program_prefix "$prefix" || exit 1

# Waits up to a minute for a visible window with the program's title that is
# not one of those given, and prints its id.
new_window() {
  local id known
  for _ in $(seq 600); do
    for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null); do
      known=0
      for seen in "$@"; do [ "$id" = "$seen" ] && known=1; done
      [ $known -eq 0 ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  echo "screenshots.sh: no new program window appeared." >&2
  return 1
}

# Saves the window with its frame once two captures in a row agree, so that
# the program has drawn what it was just sent.
capture() {
  local id=$1 name=$2 previous=
  for _ in $(seq 50); do
    import -window "$id" -frame "ppm:$scratch/now.ppm" 2>/dev/null || true
    if [ -s "$scratch/now.ppm" ] && [ -n "$previous" ] && cmp -s "$scratch/now.ppm" "$previous"; then
      mkdir -p "$out"
      convert "$scratch/now.ppm" -strip -define png:exclude-chunks=date,time "$out/$name.png"
      echo "$out/$name.png"
      return 0
    fi
    [ -s "$scratch/now.ppm" ] && mv "$scratch/now.ppm" "$scratch/before.ppm" && previous=$scratch/before.ppm
    sleep 0.2
  done
  echo "screenshots.sh: the $name window did not settle." >&2
  return 1
}

TARNWELL_WINE_TIMEOUT=300 cmake/wine-run.sh "$prefix" "$PWD/$window_program" &
main=$(new_window)
xdotool windowactivate --sync "$main"

# GENERATE PASSWORD with no keywords: the warning. Nothing has the focus at
# the start; Tab gives it to Keyword 1, Shift+Tab wraps round to the button.
xdotool key --delay 50 Tab shift+Tab space
box=$(new_window "$main")
capture "$box" warning_box
xdotool key Return

# The warning leaves the caret in Keyword 1.
xdotool type --delay 20 'correct horse'
xdotool key Tab
xdotool type --delay 20 'battery staple'
capture "$main" main_window
xdotool key --delay 50 shift+Tab shift+Tab space
result=$(new_window "$main" "$box")
capture "$result" result_window
