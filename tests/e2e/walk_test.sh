#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A folder holding a link to "/" (as every Wine prefix holds dosdevices/z:), named fifty times by
# the playlist of channel 2 and by the search-folder list: a walk of the whole disk per line. A
# headset that leaves mid-listing or mid-search must not keep the server from the next one, and
# the server must stop at once while such a listing runs.
# Usage: walk_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$1
client_binary=$2

install="$work/install"
tree="$work/tree"
mkdir -p "$install" "$tree"
cp "$server_binary" "$install/"
ln -s / "$tree/root"
touch "$tree/walk-e2e-clip.mp4"
for _ in $(seq 1 50); do server_path "$tree"; echo; done >"$install/ch3.vrl"
cp "$install/ch3.vrl" "$install/SearchFolder1.vrl"
read -r control_port http_port < <(two_free_ports)
printf '[Config]\r\niPortServer=%s\r\niPortHttp=%s\r\n' "$control_port" "$http_port" >"$install/TamvikVRServer.ini"
start_server "$install"
check "server listens" wait_for_text "$install/console.txt" "code=0x0001 接続待ち"

client() { "$client_binary" --host 127.0.0.1 --port "$control_port" "$@"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The listing runs on after half a second; then its headset leaves.
"$client_binary" --host 127.0.0.1 --port "$control_port" --timeout 60000 list 2 >/dev/null 2>&1 &
leaving=$!
background_pids+=("$leaving")
sleep 0.5
check "the listing of the disk is still running after 0.5 s" kill -0 "$leaving"
kill -KILL "$leaving" 2>/dev/null || true
wait "$leaving" 2>/dev/null || true
answered_within_a_second() { client --timeout 1000 handshake >/dev/null; }
check "a new headset gets its handshake reply within a second" answered_within_a_second

# The search starts, its headset leaves, and the next one finds it ended.
start_search() { client command CM_SEARCH_FILE walk-e2e-clip >/dev/null; }
check "the search starts" start_search
finished=""
began=$(now_ms)
while [ $(($(now_ms) - began)) -lt 1000 ]; do
  if client --timeout 1000 command CM_SEARCH_ISFINISHED | grep -qP "^0\t1\t"; then finished=yes; break; fi
done
check "the search ended within a second of its headset leaving" test -n "$finished"
rows=$(client command CM_SEARCH_GETNUM | cut -f2 | head -1)
# A cancel may come before the first folder under Wine's slower start: no row is no failure.
check "the search stopped short of its 50 lines ($rows rows)" test -n "$rows" -a "${rows:-50}" -lt 50

# A stop while a listing of the disk runs.
client --timeout 60000 list 2 >/dev/null 2>&1 &
lister=$!
background_pids+=("$lister")
sleep 0.5
check "the second listing is still running" kill -0 "$lister"
began=$(now_ms)
stop_server
took=$(($(now_ms) - began))
check "the server stopped within a second of $(stop_how) (${took} ms)" test "$took" -lt 1000
check "exit status 0 after $(stop_how)" test "$stop_status" = 0
finish
