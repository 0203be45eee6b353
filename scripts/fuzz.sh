#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one in turn for a bounded time,
# starting from its checked-in seeds in fuzz/corpus/NAME.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 30; TARGET names (e.g. fuzz_to_utf8) default
# to all. Inputs that libFuzzer finds interesting go to build/fuzz/corpus/NAME
# (kept between runs, never into the checked-in seeds); a crashing input goes
# to build/fuzz/artifacts/NAME/. Exits non-zero if any target crashes, trips a
# sanitizer or violates a property.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
[ $# -gt 0 ] && shift
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]" >&2
  exit 2
fi
targets=("$@")

scripts/install-deps.sh || exit 1
if ! cmake --preset fuzz >/dev/null || ! cmake --build --preset fuzz --parallel 2; then
  echo "=== fuzz: build failed"
  exit 1
fi
# Every target that fuzz/CMakeLists.txt defines, as the configure listed them.
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < build/fuzz/fuzz/fuzz_targets.txt
if [ ${#targets[@]} -eq 0 ]; then
  echo "=== fuzz: no fuzz target listed in build/fuzz/fuzz/fuzz_targets.txt"
  exit 1
fi

clean=0
failing=()
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  binary=build/fuzz/fuzz/fuzz_$name
  seeds=fuzz/corpus/$name
  if [ ! -x "$binary" ] || [ ! -d "$seeds" ]; then
    echo "=== $target: no such fuzz target"
    failing+=("$target")
    continue
  fi
  scratch=build/fuzz/corpus/$name
  artifacts=build/fuzz/artifacts/$name
  log=build/fuzz/logs/$name.log
  mkdir -p "$scratch" "$artifacts" "$(dirname "$log")"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  # The reader's buffer holds 4096 bytes: longer inputs make it refill.
  case $name in
    keyword_reader) options+=(-max_len=10000) ;;
    *) options+=(-max_len=4096) ;;
  esac
  [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")

  # The scratch folder comes first: libFuzzer writes new inputs only there.
  "$binary" "${options[@]}" "$scratch" "$seeds" >"$log" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ $status -eq 0 ]; then
    echo "=== $target: ${executions:-?} executions in ${seconds} s, no failure"
    clean=$((clean + 1))
  else
    echo "=== $target: FAILED after ${executions:-?} executions (exit $status); log $log"
    grep -E 'property violated|ERROR: |SUMMARY: |runtime error|Test unit written' "$log" | head -n 20
    failing+=("$target")
  fi
done

echo "fuzz targets: $clean clean, ${#failing[@]} failing${failing[*]:+ (${failing[*]})}"
[ ${#failing[@]} -eq 0 ]
