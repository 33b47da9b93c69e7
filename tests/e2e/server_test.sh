#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The headless server as a user runs it: first start creates the settings file, a headset
# connects and finishes its handshake, SIGTERM (Ctrl+C for the Windows build) stops it cleanly
# with the log closed last; without the media helper library beside it the server says so and
# runs on.
# Usage: server_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$1
client_binary=$2

install="$work/install"
mkdir -p "$install"
cp "$server_binary" "$install/"

# First start without a settings file: it is created with every key and its default.
# The default ports may be taken on a busy machine: then the server says so and runs on.
start_server "$install"
check "server reports waiting for a connection or a busy port" wait_for_line "$install/console.txt"
stop_server
check "exit status 0 after $(stop_how)" test "$stop_status" = 0
check "settings file starts with the UTF-16LE byte-order mark" \
  test "$(head -c 2 "$install/TamvikVRServer.ini" | od -An -tx1 | tr -d ' ')" = "fffe"
expected_settings=$(cat <<'INI'
[ch.0]
iType=1
pcPath=
[ch.1]
iType=0
pcPath=
[ch.2]
iType=4
pcPath=ch3.vrl
[ch.3]
iType=4
pcPath=ch4.vrl
[ch.4]
iType=4
pcPath=ch5.vrl
[ch.5]
iType=4
pcPath=ch6.vrl
[ch.6]
iType=2
pcPath=search.vrl
[ch.7]
iType=3
pcPath=favorite.vrl
[File]
pcExt=mp4
pcSearchFolder1=SearchFolder1.vrl
pcTrimPath=trim
pcVRFormatPath=VRFormat
pcWordListPath=WordList.txt
pcPCFolderListPath=PCFolderList.vrl
[Setup]
iSeek1FF=10
iSeek1RW=-3
[PlaybackRate]
rw.rate.0=50
rw.rate.1=75
rw.rate.2=100
rw.rate.3=125
rw.rate.4=150
rw.rate.5=200
[ScreenSize]
rw.size.0=80
rw.size.1=100
rw.size.2=120
[Config]
iUsePassword=0
pcPassword=
iUseMouse=0
iUseMouseScale=100
iLiveTimeOutSec=120
iServerLog=0
iPortServer=11922
iPortHttp=11921
iPortMouse=11923
iUseWeb=-1
iPortWeb=11924
iUseWebLan=0
INI
)
check "settings file holds every key in order with its default" \
  test "$(read_utf16 "$install/TamvikVRServer.ini" | grep -v '^$')" = "$expected_settings"
check "settings file uses CR LF line ends" grep -q $'\r\x00\n\x00' "$install/TamvikVRServer.ini"
check "no log file while logging is off" test ! -e "$install/TamvikVR Server[Log].txt"
check "without the media helper library the console says so on one line" \
  test "$(server_text "$install/console.txt" | grep -c "の読み込みに失敗しました。")" = 1
if windows_server; then helper=ZentrovaDirectShow.dll; else helper=libZentrovaDirectShow.so; fi
cp "$(dirname "$server_binary")/$helper" "$install/"

# Second start with logging on and free ports: a headset session is logged, SHUTDOWN last.
control_port=$(free_port)
http_port=$(free_port)
read_utf16 "$install/TamvikVRServer.ini" |
  sed -e "s/^iServerLog=0/iServerLog=1/" -e "s/^iPortServer=.*/iPortServer=$control_port/" \
      -e "s/^iPortHttp=.*/iPortHttp=$http_port/" | write_utf16 "$work/edited.ini"
mv "$work/edited.ini" "$install/TamvikVRServer.ini"
cp "$install/TamvikVRServer.ini" "$work/settings-before.ini"
start_server "$install"
check "server listens on the configured port" wait_for_text "$install/console.txt" "code=0x0001 接続待ち"
"$client_binary" --host 127.0.0.1 --port "$control_port" handshake >"$work/handshake.txt" 2>&1 ||
  fail "handshake with tamvikvr-client (see below)"
cat "$work/handshake.txt"
check "handshake tells the video port" grep -qF "#RET_USE_HTTP(<port>$http_port)" "$work/handshake.txt"
check "handshake ends with #RET_OK()" grep -qxF "#RET_OK()" "$work/handshake.txt"
check "console shows the session's disconnect" wait_for_text "$install/console.txt" "code=0x0003 切断(正常終了) 127.0.0.1"
stop_server
check "exit status 0 after $(stop_how)" test "$stop_status" = 0
check "unchanged settings are not rewritten" cmp -s "$install/TamvikVRServer.ini" "$work/settings-before.ini"
check "with the media helper library beside the server nothing is said about it" \
  bash -c '! grep -qF "の読み込み" "$1"' _ "$install/console.txt"

log="$install/TamvikVR Server[Log].txt"
check "log starts with the UTF-8 byte-order mark" test "$(head -c 3 "$log" | od -An -tx1 | tr -d ' ')" = "efbbbf"
events=$(sed '1s/^\xef\xbb\xbf//' "$log" | sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2}, [0-9]{2}:[0-9]{2}:[0-9]{2}, //')
expected_events=$(cat <<'LOG'
START           , TamvikVR Server Ver1.32a : Protocol Ver130
EVENT           , code=0x0000, msg1="", msg2=""
EVENT           , code=0x0001, msg1="接続待ち", msg2=""
EVENT           , code=0x0002, msg1="接続中", msg2="127.0.0.1"
EVENT           , code=0x0003, msg1="切断(正常終了)", msg2="127.0.0.1"
EVENT           , code=0x0001, msg1="接続待ち", msg2=""
SHUTDOWN
LOG
)
check "log holds the session's events in order with SHUTDOWN last" test "$events" = "$expected_events"
check "every log line has the timestamp format" \
  test "$(sed '1s/^\xef\xbb\xbf//' "$log" | grep -cvE '^[0-9]{4}-[0-9]{2}-[0-9]{2}, [0-9]{2}:[0-9]{2}:[0-9]{2}, ')" = 0
finish
