#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds with warnings as errors, and runs every test: once in the
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer, with a short run of
# every fuzz target in between, then the Windows cross build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# Layers only point down.
bash scripts/check-layers.sh

# Formatting is part of the build's rules.
git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'apps/*.cpp' 'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' |
  xargs clang-format --dry-run -Werror

jobs=$(nproc)
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

# Every parser's fuzz target for 10 s on its seeds, so that a parser regression fails here.
bash scripts/fuzz.sh --smoke

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"

# The Windows cross build: its tests and the end-to-end scripts under Wine, with build/'s client.
bash scripts/test-windows.sh
