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

# The home network: a web password typed at the terminal (through a pseudo-terminal here), the
# page opened by this machine's own non-loopback address, the log on to show what it keeps.
lan_address=$(ip -4 -o addr show scope global | awk '{ sub("/.*", "", $4); print $4; exit }')
if [ -z "$lan_address" ]; then
  echo "skip: this machine has no IPv4 address but loopback, so the home network's sign-in is not tried"
  finish
fi
password="web-$RANDOM-$RANDOM-pass"
TVR_PASSWORD=$password /usr/bin/python3 - "$install/${server_binary##*/}" >"$work/set-password.txt" <<'PTY'
import os, pty, sys
pid, terminal = pty.fork()
if pid == 0:
    os.chdir(os.path.dirname(sys.argv[1]))
    os.execv(sys.argv[1], [sys.argv[1], "--set-web-password"])
seen = b""
for prompt in (b"Web password: ", b"Again: "):
    while prompt not in seen:
        seen += os.read(terminal, 1024)
    seen = b""
    os.write(terminal, os.environ["TVR_PASSWORD"].encode() + b"\n")
try:
    while True:
        chunk = os.read(terminal, 1024)
        if not chunk:
            break
        seen += chunk
except OSError:  # the terminal closes with the program
    pass
sys.stdout.write(seen.decode(errors="replace"))
sys.exit(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
PTY
check "--set-web-password keeps the hash read from the terminal" grep -qF "The web password's hash is kept in" "$work/set-password.txt"
check "the terminal never shows the password" bash -c '! grep -qF -- "$1" "$2"' _ "$password" "$work/set-password.txt"
printf '[File]\npcExt=mp4\n[Config]\niPortServer=%s\niPortHttp=%s\niPortWeb=%s\niUseWeb=1\niUseWebLan=1\niServerLog=1\n' \
  "$control_port" "$http_port" "$web_port" | write_utf16 "$install/TamvikVRServer.ini"
start_server "$install"
check "the summary prints the home network's address" wait_for_text "$install/console.txt" "http://$lan_address:$web_port/"
timeout 120 /usr/bin/python3 "$(dirname "$0")/lan_login_test.py" "http://$lan_address:$web_port/" "$password" ||
  fail "the browser's checks from the home network"
stop_server
check "exit status 0 after $(stop_how)" test "$stop_status" = 0
for file in "$install"/*; do
  [ -f "$file" ] || continue
  check "the password is not in ${file##*/}" bash -c '! iconv -f utf-16 -t utf-8 "$2" 2>/dev/null | grep -qF -- "$1" && ! grep -qF -- "$1" "$2"' _ "$password" "$file"
done
check "the log was written" test -s "$install/TamvikVR Server[Log].txt"
finish
