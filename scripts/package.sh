#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the release configuration and makes the Debian package from it; prints the package's
# path last. A preset name as argument packages that preset's build instead (scripts/test.sh
# packages its ci build).
#   bash scripts/package.sh && sudo apt install ./build/package/tamvikvr-server_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
bash scripts/install-deps.sh
configure_log=$(cmake --preset "$preset")
echo "$configure_log"
build=$(sed -n 's/^-- Build files have been written to: //p' <<<"$configure_log")
# Only what the package holds: the programs, their libraries and manual pages, no tests.
cmake --build --preset "$preset" -j "$(nproc)" --target package_contents
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$build/cpack.log" 2>&1 || {
  cat "$build/cpack.log"
  exit 1
}
ls "$build"/package/*.deb
