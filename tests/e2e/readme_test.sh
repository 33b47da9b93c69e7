#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's first steps as a new user takes them, so the README cannot drift from the
# programs: every program it names is built by run-server.sh, its client lines (handshake, set a
# folder, list, fetch) run as written against a fresh copy of the server, and a hand-written
# UTF-8 settings file works as it says. Also the server's own command line.
# Usage: readme_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$(realpath "$1")
client_binary=$(realpath "$2")
root="$(cd "$(dirname "$0")/../.." && pwd)"
readme="$root/README.md"

# Every build/<program> the README names is a target that run-server.sh builds.
targets=$(sed -n 's/^cmake --build .*--target //p' "$root/scripts/run-server.sh")
for program in $(grep -o 'build/tamvikvr-[a-z-]*' "$readme" | sort -u); do
  check "run-server.sh builds $program" grep -qw "${program#build/}" <<<"$targets"
done

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
mkdir -p "$install" "$videos"
cp "$server_binary" "$install/"
printf 'a fake but whole video file\n%.0s' {1..200} >"$videos/a.mp4"
read -r control_port http_port < <(two_free_ports)
# The ports are the only hand-made settings; the rest is a first start's.
printf '[Config]\r\niPortServer=%s\r\niPortHttp=%s\r\n' "$control_port" "$http_port" >"$install/TamvikVRServer.ini"

start_server "$install"
check "server waits for a headset" wait_for_text "$install/console.txt" "code=0x0001 接続待ち (waiting for a headset)"
server_text "$install/console.txt" >"$work/summary.txt"
check "summary names the settings file" \
  grep -qxF "  settings file: $(server_path "$install")/TamvikVRServer.ini" "$work/summary.txt"
if windows_server; then
  check "the Windows summary writes its paths with backslashes" \
    grep -qxF "  settings file: Z:${install//\//\\}\\TamvikVRServer.ini" <(tr -d '\r' <"$install/console.txt")
fi
check "summary shows the control port" grep -qxF "  control server: listening on port $control_port" "$work/summary.txt"
check "summary says channel 2 is not set and how to set it" \
  grep -qxF "  channel 2: PC folder, not set: give [ch.1] pcPath a folder or (PCVideo)" "$work/summary.txt"

# The README's client lines, as written, with this run's port and Videos folder.
mapfile -t steps < <(grep '^    build/tamvikvr-client ' "$readme" | sed 's/^    //')
check "README shows handshake, set a folder, list and fetch" test "${#steps[@]}" -ge 4
cd "$work"
step=0
for line in "${steps[@]}"; do
  step=$((step + 1))
  command=${line//\~\/Videos/$(server_path "$videos")}
  command=${command/build\/tamvikvr-client/\"$client_binary\" --port $control_port}
  echo "README step $step: $line"
  if ! eval "$command" >"$work/step$step.txt" 2>&1; then fail "README step $step: $line"; cat "$work/step$step.txt"; fi
done
check "handshake ends with #RET_OK()" grep -qxF "#RET_OK()" "$work/step1.txt"
check "list 1 shows the video in the folder just set" \
  grep -qF "$(server_path "$videos")/a.mp4" <(server_text "$work/step3.txt")
check "fetch writes the video byte for byte" cmp -s "$work/a.mp4" "$videos/a.mp4"
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
printf '[Config]\niPortServer=%s\niPortHttp=%s\n' "$control_port" "$http_port" >"$install/TamvikVRServer.ini"
sed -n '/^    \[ch.1\]$/,/^$/p' "$readme" | sed 's/^    //' | sed "s|^pcPath=.*|pcPath=$(server_path "$japanese")|" >>"$install/TamvikVRServer.ini"
check "README shows the [ch.1] section to write by hand" grep -q '^iType=0$' "$install/TamvikVRServer.ini"
start_server "$install"
check "summary shows channel 2 resolving to the hand-written folder" \
  wait_for_text "$install/console.txt" "  channel 2: PC folder \"$(server_path "$japanese")\" -> folder $(server_path "$japanese")"
"$client_binary" --port "$control_port" list 1 >"$work/list-utf8.txt" 2>&1 || fail "list 1 after the hand edit"
check "list 1 shows the video in the Japanese folder" \
  grep -qF "$(server_path "$japanese")/b.mp4" <(server_text "$work/list-utf8.txt")
stop_server
check "the hand-written file stays UTF-8 without a byte-order mark" \
  test "$(head -c 8 "$install/TamvikVRServer.ini")" = "[Config]"
check "the hand-written file keeps the folder" \
  grep -qxF "pcPath=$(server_path "$japanese")" <(server_text "$install/TamvikVRServer.ini")
finish
