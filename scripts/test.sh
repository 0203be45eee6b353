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

[ ${#broken[@]} -eq 0 ] || echo "Failed: ${broken[*]}"
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
