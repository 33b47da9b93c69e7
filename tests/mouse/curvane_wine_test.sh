#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Curvane.dll under Wine: on a virtual X display of its own, the probe runs inside a Wine virtual
# desktop (the Windows hooks and raw input see X pointer moves only over Wine's windows) and
# relays the capture to itself, while xdotool moves the X pointer, presses button 1, turns the
# wheel and types Ctrl+Shift+Alt+D. Passes when the probe has seen them all.
# Usage: curvane_wine_test.sh build-windows/mouse_capture_probe.exe
set -euo pipefail
probe=$1

for tool in Xvfb xdotool wine; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 0
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tvr-curvane-XXXXXX")
xvfb_pid=
probe_pid=
cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; -noreset keeps the pointer where xdotool put it between its runs.
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
xdotool mousemove 640 400

# Waits up to $2 seconds for the probe to print the line $1.
wait_for() {
  for _ in $(seq $(($2 * 10))); do
    tr -d '\r' <"$work/probe.txt" | grep -qx "$1" && return 0
    kill -0 "$probe_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "FAIL: the probe did not report \"$1\""
  cat "$work/probe.txt"
  exit 1
}

# Under Wine the X pointer moves first and the capture puts it back; the next move is made once
# it is back, as Wine measures each move from there.
pointer_home() {
  for _ in $(seq 50); do
    [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:640 y:400" ] && return 0
    sleep 0.1
  done
  echo "FAIL: the pointer was not put back to 640,400: $(xdotool getmouselocation)"
  exit 1
}

touch "$work/probe.txt"
setarch "$(uname -m)" -R wine explorer /desktop=tvrmouse,1280x800 "$probe" >"$work/probe.txt" 2>"$work/wine.log" &
probe_pid=$!
wait_for capturing 60
for move in "10 0" "10 5" "-3 0"; do
  # shellcheck disable=SC2086
  xdotool mousemove_relative -- $move
  pointer_home
done
wait_for "moved 17 5" 10
xdotool mousedown 1
sleep 0.1
xdotool mouseup 1
wait_for "button 1" 10
xdotool click 4
wait_for "wheel 120" 10
wait_for "all seen" 10
xdotool key ctrl+shift+alt+d
wait_for "given back" 10
echo "PASS: moves, button 1 and the wheel reached the datagrams under Wine; Ctrl+Shift+Alt+D gave the pointer back"
