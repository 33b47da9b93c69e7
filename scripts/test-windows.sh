#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows run: cross-builds with MinGW-w64 (preset "windows"), runs every test under Wine in a
# Wine prefix made for this run only, then the end-to-end scripts against tamvikvr-server.exe
# under Wine with the Linux client, curl and ffprobe on loopback.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${JOBS:-$(nproc)}
start=$(date +%s)
cmake --preset windows
cmake --build --preset windows -j "$jobs"
echo "Windows cross build took $(($(date +%s) - start)) s"

# The end-to-end scripts drive the Windows server with the Linux client; scripts/test.sh has built
# it already, and a run on its own builds it here.
client=build/tamvikvr-client
if [ ! -x "$client" ]; then
  cmake --preset ci
  cmake --build --preset ci -j "$jobs" --target tamvikvr-client
fi

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
# Wine programs start with the kernel's address randomisation off, as the tests do (see
# cmake/mingw-w64.cmake).
fixed_layout=(setarch "$(uname -m)" -R)
wineserver -p
env -u DISPLAY "${fixed_layout[@]}" wineboot -i >/dev/null 2>&1
"${fixed_layout[@]}" wine cmd /c exit >/dev/null 2>&1

failed=0
start=$(date +%s)
timeout 1800 ctest --preset windows -j "$jobs" || failed=1
echo "Windows tests under Wine took $(($(date +%s) - start)) s"

# One script at a time: each starts its own server and clients on free loopback ports.
start=$(date +%s)
log="$prefix/e2e-output.txt"
for script in tests/e2e/*_test.sh; do
  name=$(basename "$script" .sh)
  began=$(date +%s)
  if timeout 300 bash "$script" build-windows/tamvikvr-server.exe "$client" build-windows/store_writer.exe >"$log" 2>&1; then
    echo "e2e.$name under Wine: passed in $(($(date +%s) - began)) s"
  else
    echo "e2e.$name under Wine: FAILED"
    cat "$log"
    failed=1
  fi
done
echo "End-to-end tests under Wine took $(($(date +%s) - start)) s"

# Curvane.dll capturing X pointer moves inside a Wine virtual desktop on a display of its own.
began=$(date +%s)
if timeout 180 bash tests/mouse/curvane_wine_test.sh build-windows/mouse_capture_probe.exe >"$log" 2>&1; then
  echo "mouse capture under Wine: $(tail -n 1 "$log") ($(($(date +%s) - began)) s)"
else
  echo "mouse capture under Wine: FAILED"
  cat "$log"
  failed=1
fi

# The desktop program on a virtual display, driven from a second Windows program.
start=$(date +%s)
if timeout 300 bash tests/win32_gui/desktop_window_test.sh build-windows/TamvikVRServer.exe build-windows/gui_driver.exe \
  "$client" build-windows/screenshots >"$log" 2>&1; then
  echo "desktop window test under Wine: passed in $(($(date +%s) - start)) s"
else
  echo "desktop window test under Wine: FAILED"
  cat "$log"
  failed=1
fi

# The installer and the zip (cpack), the installer run silently in this prefix and uninstalled.
start=$(date +%s)
if timeout 300 bash tests/win32_gui/windows_package_test.sh build-windows "$client" >"$log" 2>&1; then
  echo "Windows packages under Wine: passed in $(($(date +%s) - start)) s"
else
  echo "Windows packages under Wine: FAILED"
  cat "$log"
  failed=1
fi
exit "$failed"
