#!/usr/bin/env bash
# Runs the command-line program on Linux, building it first:
#   scripts/cli.sh [--length N] [--no-numbers] ... < keywords
# Needs only cmake, ninja-build, g++, libssl-dev and libxcb1-dev (installed if
# missing).
# The build is brought up to date on every run, so a changed source is never
# run stale; when nothing changed that costs a fraction of a second.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/cli
{
  "$root/scripts/install-deps.sh" cmake ninja-build g++ libssl-dev libxcb1-dev
  if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "Building the command-line program (first run only)..."
    (cd "$root" && cmake --preset cli >/dev/null)
  fi
  # A failed build must stop here, never fall back on the old binary.
  if ! output=$(cmake --build "$build" --target tarnwell-cli 2>&1); then
    printf '%s\n' "$output"
    echo "cli.sh: the build failed."
    exit 1
  fi
  grep -v '^ninja: no work to do' <<< "$output" || true
} >&2
exec "$build/src/cli/tarnwell-cli" "$@"
