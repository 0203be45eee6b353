#!/usr/bin/env bash
# Builds the three presets and runs every test: native, under AddressSanitizer
# and UndefinedBehaviorSanitizer, and the Windows build under Wine on a
# virtual display. Exits non-zero if anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1
source scripts/virtual-display.sh
start_virtual_display || exit 1
# Wine's server would outlive the run and keep its output open.
trap 'WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -k 2>/dev/null; stop_virtual_display' EXIT

passed=0
failed=0
broken=()
for preset in linux linux-asan windows; do
  echo "=== $preset"
  # Warnings are errors here, so that every preset stays warning-free.
  if ! cmake --preset "$preset" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null ||
     ! cmake --build --preset "$preset"; then
    echo "=== $preset: build failed"
    broken+=("$preset (build)")
    failed=$((failed + 1))
    continue
  fi
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log"
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$summary" ]; then
    broken+=("$preset (no test summary)")
    failed=$((failed + 1))
    continue
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<< "$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<< "$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || broken+=("$preset")
done

# Each fuzz target runs for a short bounded time from its checked-in seeds;
# a crash or a broken property fails the run.
echo "=== fuzz"
log=$(mktemp)
scripts/fuzz.sh 30 2>&1 | tee "$log"
fuzz_status=${PIPESTATUS[0]}
summary=$(grep -E '^fuzz targets: [0-9]+ clean, [0-9]+ failing' "$log" | tail -n 1)
rm -f "$log"
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

[ ${#broken[@]} -eq 0 ] || echo "Failed: ${broken[*]}"
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
