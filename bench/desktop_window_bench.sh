#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop program under Wine on a virtual display: how long its window thread takes for the
# timer tick, "適用" (apply), "情報更新" (refresh) and "強制 切断" (force disconnect), idle and
# behind a headset that has stopped reading; and how much CPU the idle program uses.
#
#   bench/desktop_window_bench.sh [BUILD_WINDOWS_FOLDER] [LINUX_BUILD_FOLDER]
#
# What it measures: each message is sent from gui_driver.exe (a second program under the same
# Wine server) with SendMessageW, which returns when the window procedure has handled it, so a
# time is the handling plus Wine's cross-process delivery (about a millisecond). The disk is
# whatever holds the temporary folder; a slow disk is not simulated. CPU is user plus system time
# of the program's process (and of this prefix's wineserver) over 20 s with the window shown and
# nothing connected. Targets: every message under 50 ms; idle CPU under 1 % of one core.
set -euo pipefail
cd "$(dirname "$0")/.."
windows=${1:-build-windows}
linux=${2:-build}
for needed in "$windows/TamvikVRServer.exe" "$windows/gui_driver.exe" "$linux/stalled_headset_bench"; do
  [ -f "$needed" ] || { echo "missing $needed: build the windows and default presets first" >&2; exit 1; }
done
source tests/e2e/lib.sh
driver=$(realpath "$windows/gui_driver.exe")
stalled=$(realpath "$linux/stalled_headset_bench")
title="TamvikVR Server Ver1.32a"
wine_cmd=(setarch "$(uname -m)" -R wine)

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
background_pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
mkdir -p "$WINEPREFIX"
wineserver -f -p &
wineserver_pid=$!
background_pids+=($wineserver_pid)
"${wine_cmd[@]}" wineboot -i >/dev/null 2>&1

# A channel whose listing fills the socket buffers of a headset that does not read.
install="$work/install"
long=$(printf 'n%.0s' $(seq 1 200))
mkdir -p "$install/big"
for i in $(seq 1 150); do : >"$install/big/$long$i.mp4"; done
cp "$windows/TamvikVRServer.exe" "$install/"
# The media helper ships beside the program; without it the start would show a message box.
cp "$windows/ZentrovaDirectShow.dll" "$install/"
read -r control_port http_port < <(two_free_ports)
write_utf16 "$install/TamvikVRServer.ini" <<INI
[ch.1]
iType=0
pcPath=Z:$install/big
[Config]
iPortServer=$control_port
iPortHttp=$http_port
iPortMouse=$(free_port)
INI
(cd "$install" && exec "${wine_cmd[@]}" ./TamvikVRServer.exe >/dev/null 2>&1) &
server_pid=$!
drive() { "${wine_cmd[@]}" "$driver" "$@" | tr -d '\r'; }
drive wait "$title" 60000
sleep 3

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
program_before=$(ticks "$server_pid")
server_before=$(ticks "$wineserver_pid")
sleep 20
program_cpu=$(((($(ticks "$server_pid") - program_before) * 10000 / hz) / 20))
server_cpu=$(((($(ticks "$wineserver_pid") - server_before) * 10000 / hz) / 20))
printf 'idle CPU over 20 s: program %d.%02d %% of one core, wineserver %d.%02d %%\n' \
  $((program_cpu / 100)) $((program_cpu % 100)) $((server_cpu / 100)) $((server_cpu % 100))

# WM_TIMER 200 (the 100 ms tick) and WM_COMMAND 1004, 1005, 1035: the longest of each batch in ms.
echo "idle, longest of each: tick $(drive time "$title" 275 200 50) ms, apply $(drive time "$title" 273 1004 10) ms," \
  "refresh $(drive time "$title" 273 1005 10) ms, force disconnect $(drive time "$title" 273 1035 10) ms"
"$stalled" "$control_port" 1 60 >"$work/stalled.txt" 2>&1 &
background_pids+=($!)
wait_for_text "$work/stalled.txt" stalled || { cat "$work/stalled.txt"; exit 1; }
sleep 0.5
echo "behind a stalled headset, longest of each: tick $(drive time "$title" 275 200 20) ms," \
  "apply $(drive time "$title" 273 1004 5) ms, force disconnect $(drive time "$title" 273 1035 1) ms"
drive post "$title" 273 40002 0
wait "$server_pid" || true
server_pid=""
wineserver -k || true
