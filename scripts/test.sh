#!/usr/bin/env bash
# Builds the presets and runs every test: native, under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build under Wine on a virtual
# display, each fuzz target, and the command-line program cross-built for
# aarch64 and s390x under qemu-user. Exits non-zero if anything fails.
#
#   scripts/test.sh [--long-fuzz]
#
# Each fuzz target replays its seeds and then fuzzes for a few seconds;
# --long-fuzz fuzzes each for five minutes instead.
#
# The Windows tests mostly wait (for Wine to start, and for the clipboard's
# real 30-second timers), so they run in the background as soon as the
# Windows build is done, while the native presets and the fuzz targets are
# built and run. Their output is shown whole when they end.
set -uo pipefail
cd "$(dirname "$0")/.."

usage="usage: scripts/test.sh [--long-fuzz]"
fuzz_seconds=5
case $# in
  0) ;;
  1) [ "$1" = --long-fuzz ] || { echo "$usage" >&2; exit 2; }
     fuzz_seconds=300 ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

scripts/install-deps.sh || exit 1
source scripts/virtual-display.sh
start_virtual_display || exit 1
logs=$(mktemp -d)
background=()
stop_everything() {
  local pid
  for pid in "${background[@]}"; do kill "$pid" 2>/dev/null; done
  # Wine's server would outlive the run and keep its output open.
  WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -k 2>/dev/null
  stop_virtual_display
  rm -rf "$logs"
}
trap stop_everything EXIT

passed=0
failed=0
broken=()

# Warnings are errors here, so that every preset stays warning-free.
build() {
  cmake --preset "$1" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null &&
    cmake --build --preset "$1"
}

build_failed() {
  echo "=== $1: build failed"
  broken+=("$1 (build)")
  failed=$((failed + 1))
}

# tally NAME LOG: adds the CTest summary in LOG to the totals; a run that
# ended without one counts as a failure.
tally() {
  local summary total bad
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$2" | tail -n 1)
  if [ -z "$summary" ]; then
    broken+=("$1 (no test summary)")
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<< "$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<< "$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || broken+=("$1")
}

# The contract on other processors: the command-line program cross-built for
# aarch64 and for s390x (big-endian) against sysroots of their own Debian
# packages (scripts/cross-sysroot.sh, kept in build/sysroots), and run under
# qemu-user against the vectors and the input table. Each generation takes
# about 3 s of one core there and waits on nothing, so this runs in the
# background from the start, at the lowest priority, in the time that the
# rest leaves idle (mostly while it waits for Wine), and disturbs the timed
# Windows tests as little as it can.
# The two processors run side by side, so that neither waits for the other
# once the rest is done.
cross_presets=(linux-aarch64:arm64 linux-s390x:s390x)
cross_parts=()
for cross in "${cross_presets[@]}"; do
  preset=${cross%%:*}
  (
    renice -n 19 -p "$BASHPID" >/dev/null
    echo "(started at ${SECONDS}s)"
    scripts/cross-sysroot.sh "${cross#*:}" && build "$preset" &&
      ctest --preset "$preset"
    echo "(ended at ${SECONDS}s)"
  ) >"$logs/$preset" 2>&1 &
  background+=($!)
  cross_parts+=("$preset")
done

# The end-to-end tests come first: they mostly wait, and so leave the
# machine to the native builds. The other Windows tests follow them rather
# than run beside them, as the end-to-end suites' RUN_SERIAL asks: a Wine
# program started while they run was seen to stall until they ended.
echo "=== windows (build, at ${SECONDS}s)"
windows_parts=()
if build windows; then
  {
    # One entry per end-to-end suite (ui_e2e.SUITE), each run once.
    ctest --preset windows -R '^ui_e2e\.' >"$logs/windows-e2e" 2>&1
    echo "(ended at ${SECONDS}s)" >>"$logs/windows-e2e"
    ctest --preset windows -E '^ui_e2e\.' -j2 >"$logs/windows" 2>&1
    echo "(ended at ${SECONDS}s)" >>"$logs/windows"
  } &
  background+=($!)
  windows_parts=(windows-e2e windows)
else
  build_failed windows
fi

for preset in linux linux-asan; do
  echo "=== $preset (at ${SECONDS}s)"
  if ! build "$preset"; then
    build_failed "$preset"
    continue
  fi
  ctest --preset "$preset" -j2 2>&1 | tee "$logs/$preset"
  tally "$preset" "$logs/$preset"
done

echo "=== fuzz (at ${SECONDS}s)"
scripts/fuzz.sh "$fuzz_seconds" 2>&1 | tee "$logs/fuzz"
fuzz_status=${PIPESTATUS[0]}
summary=$(grep -E '^fuzz targets: [0-9]+ clean, [0-9]+ failing' "$logs/fuzz" | tail -n 1)
if [ -n "$summary" ]; then
  clean=$(sed -E 's/^fuzz targets: ([0-9]+) clean.*/\1/' <<< "$summary")
  failing=$(sed -E 's/.* ([0-9]+) failing.*/\1/' <<< "$summary")
  passed=$((passed + clean))
  failed=$((failed + failing))
fi
if [ "$fuzz_status" -ne 0 ]; then
  broken+=("fuzz")
  [ -n "$summary" ] && [ "$failing" -gt 0 ] || failed=$((failed + 1))
fi

wait "${background[@]}" 2>/dev/null
background=()
for part in "${windows_parts[@]}" "${cross_parts[@]}"; do
  echo "=== $part (shown at ${SECONDS}s)"
  cat "$logs/$part"
  tally "$part" "$logs/$part"
done

[ ${#broken[@]} -eq 0 ] || echo "Failed: ${broken[*]}"
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
