#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with Clang in build-fuzz and runs each for a while on its seed
# corpus. Usage: scripts/fuzz.sh [seconds per target, default 30]. Exits non-zero when any
# target crashes, leaks, trips a sanitizer or breaks one of its checks; the failing input is
# left in build-fuzz/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

seconds="${1:-30}"
build=build-fuzz
jobs=$(nproc)

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DTVR_BUILD_FUZZ=ON -DTVR_BUILD_TESTS=OFF -DTVR_BUILD_BENCH=OFF -DTVR_WERROR=ON

targets=()
for source in fuzz/*_fuzz.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

artifacts="$build/fuzz/artifacts"
mkdir -p "$artifacts"
failed=()
for target in "${targets[@]}"; do
  # Seeds stay untouched in the tree; new inputs the fuzzer finds go to a working copy.
  work="$build/fuzz/corpus/$target"
  mkdir -p "$work"
  seeds=()
  if [ -d "fuzz/corpus/$target" ]; then
    seeds=("fuzz/corpus/$target")
  fi
  echo "== $target: ${seconds}s"
  if ! "$build/fuzz/$target" "$work" "${seeds[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" 2>"$build/fuzz/$target.log"; then
    failed+=("$target")
    tail -n 60 "$build/fuzz/$target.log"
  fi
  grep -E '^stat::number_of_executed_units|Done [0-9]+ runs' "$build/fuzz/$target.log" || true
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${seconds}s without a finding."
