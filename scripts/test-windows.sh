#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows run: cross-builds with MinGW-w64 (preset "windows") and runs every test under Wine
# in a Wine prefix made for this run only.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${JOBS:-$(nproc)}
cmake --preset windows
cmake --build --preset windows -j "$jobs"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tvr-wine-XXXXXX")
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

# Wine's background processes would inherit CTest's output pipes and keep it waiting, so the
# server is started (persistent) and the prefix made here, outside CTest, for the whole run.
wineserver -p
env -u DISPLAY wineboot -i >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1

start=$(date +%s)
timeout 1800 ctest --preset windows -j "$jobs"
echo "Windows tests under Wine took $(($(date +%s) - start)) s"
