#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs the search benchmark; the generated trees are kept in the work folder for reuse.
# Usage: bench/search_bench.sh [build folder] [work folder]
set -euo pipefail
build=$(realpath "${1:-build}")
work=${2:-${TMPDIR:-/tmp}/tvr-search-bench}
cmake --build "$build" --target search_bench -j2
mkdir -p "$work"
"$build/search_bench" "$work"
