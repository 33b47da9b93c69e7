#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds with warnings as errors, and runs every test: once in the
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer, with a short run of
# every fuzz target in between, the threaded services' tests under ThreadSanitizer, then the
# Windows cross build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each part says how long it took, so that the run's time can be read part by part; the last
# line sums every part up with its result, also when a part fails and ends the run.
part_start=$(date +%s)
run_start=$part_start
parts=()
part_done() {
  local now
  now=$(date +%s)
  echo "== $1: $((now - part_start)) s"
  parts+=("$1 $((now - part_start)) s ok")
  part_start=$now
}
summary() {
  local status=$? now last="the start"
  now=$(date +%s)
  [ "${#parts[@]}" -gt 0 ] && last=${parts[-1]% * s ok}
  [ "$status" -ne 0 ] && parts+=("the part after ${last} FAILED after $((now - part_start)) s")
  local line="" part
  for part in "${parts[@]}"; do line+="$part; "; done
  echo "== summary: ${line}total $((now - run_start)) s, $([ "$status" -eq 0 ] && echo "all passed" || echo "FAILED")"
}
trap summary EXIT

bash scripts/install-deps.sh
part_done "installing what is missing"

# Layers only point down.
bash scripts/check-layers.sh

# Formatting is part of the build's rules.
git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'apps/*.cpp' 'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' |
  xargs clang-format --dry-run -Werror

jobs=$(nproc)
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"
part_done "checks, build and tests"

# The Debian package made from the ci build, checked as a package user meets it.
deb=$(bash scripts/package.sh ci | tail -n 1)
bash tests/package/package_test.sh "$deb" build/tamvikvr-server build/tamvikvr-client
part_done "Debian package"

# The Linux desktop program on a virtual display: hot keys, settings dialog, screenshots.
timeout 120 bash tests/qt_gui/desktop_gui_test.sh build/tamvikvr-server-gui build/tamvikvr-client build/screenshots
part_done "desktop window test on Xvfb"

# The headless server's web page in headless Chromium: sign-in, channels, live events, settings.
timeout 120 bash tests/ui/web/browser_test.sh build/tamvikvr-server build/tamvikvr-client build/screenshots
part_done "web page test in a browser"

# Every parser's fuzz target for 10 s on its seeds, so that a parser regression fails here.
bash scripts/fuzz.sh --smoke
part_done "fuzz smoke run"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"
part_done "sanitizer build and tests"

# The tests of the threaded services (controller and settings writer, control server, video
# server, search, mouse relay) under ThreadSanitizer; only those test executables are built. They
# run clean without suppressions: a race found fails its test.
cmake --preset tsan
cmake --build --preset tsan -j "$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --preset tsan -j "$jobs"
part_done "ThreadSanitizer build and tests"

# The Windows cross build: its tests and the end-to-end scripts under Wine, with build/'s client.
bash scripts/test-windows.sh
part_done "Windows cross build and tests under Wine"
