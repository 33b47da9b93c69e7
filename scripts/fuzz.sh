#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with Clang (preset fuzz, build-fuzz) and runs each on its seed
# corpus, FUZZ_JOBS (default 2) at a time. Usage:
#   scripts/fuzz.sh [seconds per target, default 30] [target...]
#   scripts/fuzz.sh --smoke [target...]  10 s per target on a fresh copy of the seeds (scripts/test.sh)
#   scripts/fuzz.sh --long [target...]   600 s per target, keeping what the fuzzer finds in build-fuzz
# Without target names every fuzz/*_fuzz.cpp target runs.
# Exits non-zero when any target crashes, leaks, trips a sanitizer or breaks one of its checks;
# the failing input is left in build-fuzz/fuzz/artifacts/. Prints the executions of each target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

mode=timed
seconds=30
case "${1:-}" in
--smoke) mode=smoke; seconds=10; shift ;;
--long) mode=long; seconds=600; shift ;;
"" | *_fuzz) ;;
*) seconds=$1; shift ;;
esac
build=build-fuzz
parallel=${FUZZ_JOBS:-2}

cmake --preset fuzz >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi
cmake --build --preset fuzz -j "$parallel" --target "${targets[@]}"

artifacts="$build/fuzz/artifacts"
mkdir -p "$artifacts"

# Runs one target; its log is build-fuzz/fuzz/<target>.log.
run_target() {
  local target=$1 work="$build/fuzz/corpus/$1"
  # Seeds stay untouched in the tree; new inputs go to a working folder, emptied for a smoke run
  # so that it always tests the same seeds.
  if [ "$mode" = smoke ]; then rm -rf "$work"; fi
  mkdir -p "$work"
  local seeds=()
  if [ -d "fuzz/corpus/$target" ]; then seeds=("fuzz/corpus/$target"); fi
  "$build/fuzz/$target" "$work" "${seeds[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" >"$build/fuzz/$target.log" 2>&1
}

echo "Fuzzing ${#targets[@]} targets for ${seconds}s each, $parallel at a time"
failed=()
for ((i = 0; i < ${#targets[@]}; i += parallel)); do
  batch=("${targets[@]:i:parallel}")
  pids=()
  for target in "${batch[@]}"; do
    run_target "$target" &
    pids+=($!)
  done
  for j in "${!batch[@]}"; do
    target=${batch[$j]}
    if ! wait "${pids[$j]}"; then
      failed+=("$target")
      tail -n 60 "$build/fuzz/$target.log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz/$target.log")
    time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$build/fuzz/$target.log")
    echo "$target: ${runs:-?} runs in ${time:-?} s"
  done
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${seconds}s without a finding."
