#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's first hour as a new user takes it, so the README cannot drift from the programs:
# every program it names is built by run-server.sh, its client lines (handshake, set a folder,
# list, fetch, hold with curl) run as written against a fresh copy of the server, once before the
# folder it names exists and once after, and what the console and the client print on the way
# (refusals and why, channels that point nowhere, waits, stream ends) is checked. A hand-written
# UTF-8 settings file works as it says. Also both programs' own command lines.
# Usage: readme_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$(realpath "$1")
client_binary=$(realpath "$2")
root="$(cd "$(dirname "$0")/../.." && pwd)"
readme="$root/README.md"

# Every build-run/<program> the README names is a target that run-server.sh builds there.
targets=$(sed -n 's/^cmake --build .*--target //p' "$root/scripts/run-server.sh")
check "run-server.sh runs the server from build-run/" grep -q '^exec ./build-run/tamvikvr-server' "$root/scripts/run-server.sh"
for program in $(grep -o 'build-run/tamvikvr-[a-z-]*' "$readme" | sort -u); do
  check "run-server.sh builds $program" grep -qw "${program#build-run/}" <<<"$targets"
done
check "README says how long the first build and the test run take, before the first command" \
  bash -c 'sed -n "1,/bash scripts\/run-server.sh/p" "$1" | tr "\n" " " |
    grep -Eq "first .run-server.sh. builds for about [0-9]+ minutes.*test.sh. runs for about [0-9]+ minutes"' _ "$readme"
check "README says a video URL needs a login from that host, and how to hold one" \
  bash -c 'tr "\n" " " <"$1" | grep -q "answers a URL only while a headset, or .tamvikvr-client hold., is logged in"' _ "$readme"

# The client speaks for itself: version, the commands, the sort values, the value column.
check "client --version" bash -c '"$1" --version | grep -q "^tamvikvr-client [0-9]"' _ "$client_binary"
"$client_binary" commands >"$work/commands.txt"
check "client commands lists 35 CM_ commands with their arguments" \
  test "$(grep -c '^  CM_' "$work/commands.txt")" = 35
check "client commands shows CM_SET_CHANNEL_TYPE's arguments" grep -qx '  CM_SET_CHANNEL_TYPE CH TYPE PATH' "$work/commands.txt"
"$client_binary" --help >"$work/help.txt"
check "--help lists the sort names and modes" \
  bash -c 'grep -q "0 name (default), 1 date and time" "$1" && grep -q "1 ascending (default), 0 descending" "$1"' _ "$work/help.txt"
check "--help explains the value column" grep -q "marker state: 0 no markers known" "$work/help.txt"
status=0
"$client_binary" list 1 --sort-name 9 2>"$work/sort.err" || status=$?
check "--sort-name 9 is refused with the list of values" \
  bash -c 'test "$1" = 2 && grep -q "sort-name takes 0 (name), 1 (date and time)" "$2"' _ "$status" "$work/sort.err"

# The server's command line: help and version on stdout, a mistake gives usage on stderr and 2.
program_command server "$server_binary"
check "--help prints the usage" bash -c '"$@" --help | grep -q "^Usage: tamvikvr-server"' _ "${server[@]}"
check "--version prints the version" bash -c '"$@" --version | grep -q "^TamvikVR Server [0-9]"' _ "${server[@]}"
status=0
"${server[@]}" --bogus >"$work/bogus.out" 2>"$work/bogus.err" || status=$?
check "--bogus exits with 2" test "$status" = 2
check "--bogus names the option and prints the usage on stderr" \
  bash -c 'grep -q "unknown option --bogus" "$1" && grep -q "^Usage:" "$1" && test ! -s "$2"' _ "$work/bogus.err" "$work/bogus.out"

install="$work/install"
videos="$work/home/Videos"
mkdir -p "$install"
cp "$server_binary" "$install/"
read -r control_port http_port < <(two_free_ports)
client=("$client_binary" --port "$control_port")

# The README's client lines, as written, with this run's port and Videos folder; the hold line is
# walked with the README's curl line below, since it runs until stopped.
mapfile -t steps < <(grep '^    build-run/tamvikvr-client ' "$readme" | grep -v ' hold$' | sed 's/^    //')
check "README shows handshake, set a folder, list and fetch" test "${#steps[@]}" -ge 4
run_steps() {
  local round=$1 line command step=0
  for line in "${steps[@]}"; do
    step=$((step + 1))
    command=${line//\~\/Videos/$(server_path "$videos")}
    command=${command/build-run\/tamvikvr-client/\"$client_binary\" --port $control_port}
    echo "README step $step ($round): $line"
    (cd "$work" && eval "$command") >"$work/$round-step$step.txt" 2>&1 || true
  done
}
console() { server_text "$install/console.txt"; }
channel_fix="give [ch.1] pcPath an existing folder or (PCVideo)"

# First round: a fresh data folder, and the README's Videos folder does not exist yet.
printf '[Config]\r\niPortServer=%s\r\niPortHttp=%s\r\n' "$control_port" "$http_port" >"$install/TamvikVRServer.ini"
start_server "$install"
check "server waits for a headset" wait_for_text "$install/console.txt" "code=0x0001 接続待ち (waiting for a headset)"
console >"$work/summary.txt"
check "summary names the settings file" \
  grep -qxF "  settings file: $(server_path "$install")/TamvikVRServer.ini" "$work/summary.txt"
if windows_server; then
  check "the Windows summary writes its paths with backslashes" \
    grep -qxF "  settings file: Z:${install//\//\\}\\TamvikVRServer.ini" <(tr -d '\r' <"$install/console.txt")
fi
check "summary shows the control port" grep -qxF "  control server: listening on port $control_port" "$work/summary.txt"
check "summary says channel 2 is not set and how to set it" \
  grep -qxF "  channel 2: PC folder, not set: give [ch.1] pcPath a folder or (PCVideo)" "$work/summary.txt"
check "summary says what the VR-device channel is" \
  grep -qxF "  channel 1: VR device -> the headset's own storage; on the PC this channel shows the data folder $(server_path "$install")" \
  "$work/summary.txt"

# Refusals: the client explains the reply, the console says which request and why.
"${client[@]}" list 1 >/dev/null 2>"$work/list1.err" || true
# The reply carries the connection's status, or none when the console took it first.
check "client: list 1 is refused, and the reply's code is the last status, not the reason" \
  bash -c 'grep -q "^tamvikvr-client: the server refused #CMD_GET_CHANNEL: #RET_ERR(<code>" "$1" &&
    grep -Eq "last status, 0x0002 127.0.0.1 \(a headset connected\), not necessarily the reason|carries no status" "$1"' \
  _ "$work/list1.err"
check "console: list 1 refused because channel 2 is not set" wait_for_text "$install/console.txt" \
  " refused #CMD_GET_CHANNEL: channel 2 ([ch.1], PC folder): not set: give [ch.1] pcPath a folder or (PCVideo)"
"${client[@]}" list 8 >/dev/null 2>&1 || true
check "console: list 8 refused, no such channel" wait_for_text "$install/console.txt" \
  " refused #CMD_GET_CHANNEL: there is no channel <ch>8: the headset numbers channels 0 to 7 (the console 1 to 8)"
"${client[@]}" command CM_NO_SUCH >/dev/null 2>&1 || true
check "console: an unknown command name" wait_for_text "$install/console.txt" \
  " refused CM_NO_SUCH: not a command this server knows (tamvikvr-client commands lists them)"
"${client[@]}" command CM_SET_CHANNEL_TYPE 1 0 "$(server_path "$videos")"$'\n'"x" >/dev/null 2>&1 || true
check "console: a path with a line break cannot be stored" wait_for_text "$install/console.txt" \
  " refused CM_SET_CHANNEL_TYPE: the path cannot be stored in the settings file: it holds a line break"

run_steps without
check "without the folder: handshake ends with #RET_OK()" grep -qxF "#RET_OK()" "$work/without-step1.txt"
check "console: the folder set by the README's command does not exist" wait_for_text "$install/console.txt" \
  " channel 2 set by the headset: PC folder \"$(server_path "$videos")\", the folder does not exist: $channel_fix"
check "console: list 1 refused because the folder does not exist" wait_for_text "$install/console.txt" \
  " refused #CMD_GET_CHANNEL: channel 2 ([ch.1], PC folder): the folder does not exist: $channel_fix"
"${client[@]}" command CM_SET_CHANNEL_TYPE 1 0 Videos >/dev/null 2>&1 || true
check "console: a relative folder says what it resolved to" wait_for_text "$install/console.txt" \
  " channel 2 set by the headset: PC folder \"Videos\", the folder does not exist (a relative path: it resolved to $(server_path "$install")/Videos): $channel_fix"

# Second round: the README's folder made first, with a video in it and files pcExt leaves out.
mkdir -p "$videos"
printf 'a fake but whole video file\n%.0s' {1..200} >"$videos/a.mp4"
: >"$videos/b.mkv"
: >"$videos/c.mkv"
: >"$videos/d.avi"
run_steps with
skipped_example="channel 2: 0 videos listed; 31 files left out whose extensions are not in [File] pcExt (mp4): mkv 25, avi 6 — add them to pcExt"
check "README shows the line of files a listing left out" grep -qxF "    $skipped_example" "$readme"
check "console: the listing names the files it left out, as the README shows" wait_for_text "$install/console.txt" \
  " channel 2: 1 video listed; 3 files left out whose extensions are not in [File] pcExt (mp4): mkv 2, avi 1 — add them to pcExt"
check "handshake ends with #RET_OK()" grep -qxF "#RET_OK()" "$work/with-step1.txt"
check "list 1 shows the video in the folder just set" \
  grep -qF "$(server_path "$videos")/a.mp4" <(server_text "$work/with-step3.txt")
check "fetch writes the video byte for byte" cmp -s "$work/a.mp4" "$videos/a.mp4"
check "the stream's end gives its size in a unit that suits it" wait_for_text "$install/console.txt" \
  ": ended after 5.4 KiB in "

# The README's curl line works while the README's hold line keeps a login open.
curl_line=$(grep '^    curl ' "$readme" | sed 's/^    //')
check "README shows hold, then curl" grep -q '^    build-run/tamvikvr-client hold$' "$readme"
"${client[@]}" hold >"$work/hold.txt" 2>&1 &
hold_pid=$!
background_pids+=("$hold_pid")
check "hold logs in" wait_for_text "$work/hold.txt" "#RET_OK()"
url_video=$(url_path "$(server_path "$videos")/a.mp4")
command=${curl_line//11921/$http_port}
command=${command/\/\/home\/me\/Videos\/a.mp4/\/$url_video}
(cd "$work" && rm -f a.mp4 && eval "$command" -s) || fail "README's curl line: $command"
check "curl fetches the video while hold is logged in" cmp -s "$work/a.mp4" "$videos/a.mp4"
kill -INT "$hold_pid"
wait "$hold_pid" || true

check "one waiting line per wait, never two in a row" \
  bash -c '! grep -o "code=0x000[0-9A-F]" <<<"$1" | uniq -d | grep -q "code=0x0001"' _ "$(console)"
stop_server
check "a stop prints one line" \
  test "$(server_text "$install/console.txt" | tail -n 1)" = "TamvikVR Server stopped; settings saved."
check "the folder set by command is saved under [ch.1]" \
  test "$(server_text "$install/TamvikVRServer.ini" | tr -d '\r' | sed -n '/^\[ch.1\]$/,/^\[/p' | grep '^pcPath=')" = \
  "pcPath=$(server_path "$videos")"

# The README's hand-edit: a UTF-8 settings file with a Japanese folder name is read and stays UTF-8.
japanese="$work/home/動画"
mkdir -p "$japanese"
cp "$videos/a.mp4" "$japanese/b.mp4"
printf '[Config]\niPortServer=%s\niPortHttp=%s\niUseMouse=1\n' "$control_port" "$http_port" >"$install/TamvikVRServer.ini"
sed -n '/^    \[ch.1\]$/,/^$/p' "$readme" | sed 's/^    //' | sed "s|^pcPath=.*|pcPath=$(server_path "$japanese")|" >>"$install/TamvikVRServer.ini"
check "README shows the [ch.1] section to write by hand" grep -q '^iType=0$' "$install/TamvikVRServer.ini"
start_server "$install"
check "summary shows channel 2 resolving to the hand-written folder" \
  wait_for_text "$install/console.txt" "  channel 2: PC folder \"$(server_path "$japanese")\" -> folder $(server_path "$japanese")"
"$client_binary" --port "$control_port" list 1 >"$work/list-utf8.txt" 2>&1 || fail "list 1 after the hand edit"
check "list 1 shows the video in the Japanese folder" \
  grep -qF "$(server_path "$japanese")/b.mp4" <(server_text "$work/list-utf8.txt")
check "with iUseMouse on, the summary says the relay is not available and why" \
  wait_for_text "$install/console.txt" "  mouse relay: not available, though [Config] iUseMouse is on: "

# A second server on the same control port, with the log on: its summary claims no log.
second="$work/second"
mkdir -p "$second"
cp "$server_binary" "$second/"
printf '[Config]\niPortServer=%s\niPortHttp=%s\niServerLog=1\n' "$control_port" "$(free_port)" >"$second/TamvikVRServer.ini"
first_pid=$server_pid
start_server "$second"
check "a port in use names its settings key" wait_for_text "$second/console.txt" \
  "  control server: not listening: [Config] iPortServer=$control_port cannot be used"
check "the log is not claimed when the control server cannot write it" wait_for_text "$second/console.txt" \
  "  log: off: [Config] iServerLog=1, but the control server, which writes the log, is not listening"
stop_server
server_pid=$first_pid
stop_server
check "the hand-written file stays UTF-8 without a byte-order mark" \
  test "$(head -c 8 "$install/TamvikVRServer.ini")" = "[Config]"
check "the hand-written file keeps the folder" \
  grep -qxF "pcPath=$(server_path "$japanese")" <(server_text "$install/TamvikVRServer.ini")
finish
