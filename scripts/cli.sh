#!/usr/bin/env bash
# Runs the command-line program on Linux, building it first if needed:
#   scripts/cli.sh [--length N] [--no-numbers] ... < keywords
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$root/build/linux/src/cli/tarnwell-cli" ]; then
  "$root/scripts/install-deps.sh" >&2
  (cd "$root" && cmake --preset linux >/dev/null && cmake --build --preset linux --target tarnwell-cli) >&2
fi
exec "$root/build/linux/src/cli/tarnwell-cli" "$@"
