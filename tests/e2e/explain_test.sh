#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What a new user whose library is .mkv and .avi reads on the console: the summary counts the
# files a PC folder's extensions leave out and shows where a relative folder leads, a listing and
# a name search say what they left out, a channel change is shown before the fetch that followed
# it, the mouse relay's problem is told once, and --data-dir says when it copied the settings.
# Usage: explain_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$(realpath "$1")
client_binary=$(realpath "$2")
# The mouse relay has no display to capture from here, whatever the desktop running the test.
unset DISPLAY WAYLAND_DISPLAY

install="$work/install"
mkdir -p "$install/vids/sub" "$install/more"
cp "$server_binary" "$install/"
for i in $(seq -w 1 25); do : >"$install/vids/show$i.mkv"; done
for i in 1 2 3 4 5 6; do : >"$install/vids/show$i.AVI"; done
: >"$install/vids/notes"
printf 'a video\n' >"$install/vids/sub/show.mp4"
printf 'another video\n' >"$install/more/b.mp4"
printf '%s\n' "$(server_path "$install/vids")" >"$install/SearchFolder1.vrl"
read -r control_port http_port < <(two_free_ports)
printf '[File]\npcExt=mp4\n[Config]\niPortServer=%s\niPortHttp=%s\niUseMouse=1\n[ch.1]\niType=0\npcPath=vids\n' \
  "$control_port" "$http_port" | write_utf16 "$install/TamvikVRServer.ini"
client=("$client_binary" --port "$control_port")
left_out="31 files left out whose extensions are not in [File] pcExt (mp4): mkv 25, avi 6 — add them to pcExt"

start_server "$install"
check "server waits for a headset" wait_for_text "$install/console.txt" "code=0x0001 接続待ち"
check "summary: the relative folder with where it leads, and the files its top leaves out" \
  grep -qxF "  channel 2: PC folder \"vids\" -> folder vids (relative to the folder the server was started in: $(server_path "$install")/vids); $left_out" \
  <(server_text "$install/console.txt")
if ! windows_server; then
  mouse_problem=$(server_text "$install/console.txt" | sed -n 's/^  mouse relay: not available, though \[Config\] iUseMouse is on: //p')
  check "the summary says why the mouse relay is not available" test -n "$mouse_problem"
  check "the mouse relay's problem is told once, in the summary" \
    test "$(server_text "$install/console.txt" | grep -cF -- "$mouse_problem")" = 1
fi

"${client[@]}" list 1 >"$work/list.txt" 2>&1 || true
check "listing: one line with how many files and which extensions were left out" \
  wait_for_text "$install/console.txt" " channel 2: 0 videos listed; $left_out"
check "listing: said once" test "$(server_text "$install/console.txt" | grep -c " channel 2: 0 videos listed")" = 1
check "listing: the reply is the empty channel, as before" \
  bash -c '! grep -q "show" "$1" && grep -qxF "#RET_OK()" "$1"' _ "$work/list.txt"

# A search ends when its headset leaves: the client's search polls on one connection until it ends.
"${client[@]}" search show >"$work/search.txt" 2>&1 || fail "search show (see below)"
cat "$work/search.txt"
check "search: the one video found" test "$(cut -f2 "$work/search.txt")" = "$(server_path "$install/vids/sub/show.mp4")"
check "search: the names that matched but were left out are counted" wait_for_text "$install/console.txt" \
  " search: 1 video found; 31 more names matched but were left out, their extensions not being in [File] pcExt (mp4): mkv 25, avi 6 — add them to pcExt"

# A change and the fetch right after it: the console shows them in that order.
"${client[@]}" command CM_SET_CHANNEL_TYPE 1 0 "$(server_path "$install/more")" >/dev/null 2>&1 || fail "set channel 2"
"${client[@]}" fetch "$(server_path "$install/more/b.mp4")" --output "$work/b.mp4" >/dev/null 2>&1 || fail "fetch b.mp4"
check "the fetch's end is shown" wait_for_text "$install/console.txt" ": ended after 14 bytes in "
set_line=$(server_text "$install/console.txt" | grep -n " channel 2 set by the headset: " | cut -d: -f1)
fetch_line=$(server_text "$install/console.txt" | grep -n " video slot 0: 200 from byte 0 .*b.mp4" | cut -d: -f1)
check "the channel change is shown before the fetch that followed it" test "${set_line:-0}" -gt 0 -a "${fetch_line:-0}" -gt "${set_line:-0}"
stop_server
check "exit status 0 after $(stop_how)" test "$stop_status" = 0

# --data-dir NEW takes the settings beside the program along, and says so.
program_command server "./${server_binary##*/}"
check "--help says when the settings are copied" \
  bash -c 'cd "$1" && shift && "$@" --help | tr -d "\r" | tr "\n" " " | grep -q "holds no TamvikVRServer.ini yet and one lies beside the program, that file is copied in once"' \
  _ "$install" "${server[@]}"
(cd "$install" && exec "${server[@]}" --data-dir "$work/new" >"$install/console-new.txt" 2>&1) &
server_pid=$!
check "a new data folder names the settings it copied" wait_for_text "$install/console-new.txt" \
  "  settings copied from $(server_path "$install")/TamvikVRServer.ini into the new data folder, which had none"
stop_server
(cd "$install" && exec "${server[@]}" --data-dir "$work/new" >"$install/console-again.txt" 2>&1) &
server_pid=$!
check "the next start with that folder waits for a headset" wait_for_text "$install/console-again.txt" "code=0x0001"
check "and copies nothing" bash -c '! grep -q "settings copied" "$1"' _ "$install/console-again.txt"
stop_server
finish
