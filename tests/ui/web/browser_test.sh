#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The headless server's web page in a real browser (headless Chromium, chromedriver, Selenium):
# the server prints the sign-in address, the browser drives the page, a real client checks what
# the page changed. Screenshots go to the folder given.
# Usage: browser_test.sh <tamvikvr-server> <tamvikvr-client> <screenshot folder>
source "$(dirname "$0")/../../e2e/lib.sh"
server_binary=$1
client_binary=$2
screenshots=$3
mkdir -p "$screenshots"

install_video_server mp4
web_port=$(free_port)
while [ "$web_port" = "$control_port" ] || [ "$web_port" = "$http_port" ]; do web_port=$(free_port); done
printf '[File]\npcExt=mp4\n[Config]\niPortServer=%s\niPortHttp=%s\niPortWeb=%s\niUseWeb=1\n' \
  "$control_port" "$http_port" "$web_port" | write_utf16 "$install/TamvikVRServer.ini"
mkdir -p "$work/videos"
printf 'x' >"$work/videos/clip.mp4"
printf 'x' >"$work/not-a-folder.txt"

start_server "$install"
check "the summary prints the page's sign-in address" wait_for_text "$install/console.txt" "/?token="
address=$(grep -o "http://127.0.0.1:$web_port/?token=[0-9a-f]*" "$install/console.txt")
check "the token file is the owner's alone" test "$(stat -c %a "$install/TamvikVRServer[WebToken].txt")" = 600

timeout 120 /usr/bin/python3 "$(dirname "$0")/browser_test.py" "$address" "$work" \
  "$client_binary" --host 127.0.0.1 --port "$control_port" -- "$install/TamvikVRServer.ini" "$screenshots" "$http_port" ||
  fail "the browser's checks"

stop_server
check "exit status 0 after $(stop_how)" test "$stop_status" = 0
finish
