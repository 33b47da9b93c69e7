#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A few extended commands as a headset sends them, through tamvikvr-client against the real
# server: a file check, the word list saved to its file, a client key in the hand-written UTF-8
# settings file.
# Usage: commands_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$1
client_binary=$2

install="$work/install"
mkdir -p "$install"
cp "$server_binary" "$install/"
read -r control_port http_port < <(two_free_ports)
printf '[Config]\r\niPortServer=%s\r\niPortHttp=%s\r\n' "$control_port" "$http_port" >"$install/TamvikVRServer.ini"
start_server "$install"
check "server listens" wait_for_text "$install/console.txt" "code=0x0001 接続待ち"

command() { "$client_binary" --host 127.0.0.1 --port "$control_port" command "$@" 2>&1; }
touch "$install/clip.mp4"
check "CM_IS_FIND_PATH tells a file" grep -qP "^0\t2\t" < <(command CM_IS_FIND_PATH "$(server_path "$install/clip.mp4")")
check "CM_IS_FIND_PATH tells a folder" grep -qP "^0\t1\t" < <(command CM_IS_FIND_PATH "$(server_path "$install")")
command CM_WORDLIST_ADD id word >/dev/null
command CM_WORDLIST_SAVE >"$work/save.txt"
check "CM_WORDLIST_SAVE succeeds" grep -qF "#RET_OK()" "$work/save.txt"
check "the word list file holds the word" grep -qF '#dat	"id" "word"' "$install/WordList.txt"
command CM_INI_WRITE_STRING client rw.name "日本語" >/dev/null
check "the client's key is in the settings file" grep -qxF "rw.name=日本語" < <(tr -d '\r' <"$install/TamvikVRServer.ini")
check "a key without rw. is refused" grep -q "#RET_ERR" < <(command CM_INI_WRITE_STRING Config iPortServer 1)
stop_server
check "exit status 0 after $(stop_how)" test "$stop_status" = 0
finish
