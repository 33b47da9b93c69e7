#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# OK means saved: a channel change and a headset's key the server answered OK survive a kill -9
# right after the OK; the last change answered OK while the server stops (SIGTERM, SIGINT) is the
# one in the file; a closed terminal (SIGHUP, a console pipe whose reader is gone) stops the
# server cleanly, with the log closed by SHUTDOWN and the word list's unsaved entries written;
# a replaced settings file's folder is flushed after the rename; a stop that cannot save (the
# settings file replaced by a folder, the data folder renamed away, read-only or full) says what
# and why and ends with status 3, and the start says what cannot be written.
# Usage: saves_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$1
client_binary=$2
rounds=${SAVES_TEST_ROUNDS:-20}

install="$work/install"
mkdir -p "$install"
cp "$server_binary" "$install/"
control_port=$(free_port)
printf '[Config]\niPortServer=%s\niPortHttp=0\niServerLog=1\n' "$control_port" | write_utf16 "$install/TamvikVRServer.ini"

command() { "$client_binary" --host 127.0.0.1 --port "$control_port" command "$@" 2>&1; }
# The path of channel 1 in the settings file, as the server wrote it.
channel_path() { read_utf16 "$install/TamvikVRServer.ini" | sed -n '/^\[ch\.1\]/,/^\[/s/^pcPath=//p'; }

lost=0
for round in $(seq 1 "$rounds"); do
  start_server "$install"
  wait_for_text "$install/console.txt" "code=0x0001 接続待ち" || fail "round $round: the server listens"
  wanted=$(server_path "$work/kill/$round")
  if command CM_SET_CHANNEL_TYPE 1 0 "$wanted" | grep -qxF "#RET_OK()" &&
    command CM_INI_WRITE_STRING client rw.round "$round" | grep -qxF "#RET_OK()"; then
    sleep 0.005
    kill -KILL "$server_pid"
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
    [ "$(channel_path | tr '\\' '/')" = "$wanted" ] || lost=$((lost + 1))
    read_utf16 "$install/TamvikVRServer.ini" | grep -qxF "rw.round=$round" || lost=$((lost + 1))
  else
    fail "round $round: the change is answered OK"
    stop_server
  fi
done
check "$rounds channel changes and headset keys answered OK, then kill -9 5 ms later: none lost" test "$lost" -eq 0

# Changes go on while the server stops; the last one it answered OK must be the one in the file.
for how in TERM INT; do
  if windows_server && [ "$how" = TERM ]; then continue; fi  # under Wine SIGTERM ends the process at once
  start_server "$install"
  wait_for_text "$install/console.txt" "code=0x0001 接続待ち" || fail "SIG$how: the server listens"
  rm -f "$work/last_ok"
  (
    for change in $(seq 1 1000); do
      wanted=$(server_path "$work/stop/$how/$change")
      command CM_SET_CHANNEL_TYPE 1 0 "$wanted" | grep -qxF "#RET_OK()" && echo "$wanted" >"$work/last_ok"
      kill -0 "$server_pid" 2>/dev/null || break
    done
  ) &
  changes_pid=$!
  background_pids+=("$changes_pid")
  for _ in $(seq 1 200); do [ -s "$work/last_ok" ] && break; sleep 0.01; done
  kill "-$how" "$server_pid"
  wait "$server_pid" && status=0 || status=$?
  server_pid=""
  wait "$changes_pid" || true
  check "SIG$how: exit status 0" test "$status" = 0
  check "SIG$how: the last change answered OK is the one in the file" \
    test "$(channel_path | tr '\\' '/')" = "$(cat "$work/last_ok")"
done

if windows_server; then finish; exit; fi
# A terminal that closes: the console pipe's reader is gone, console lines still come (a headset
# connects and leaves; the stop's own last line comes in any case), then SIGHUP. The word added
# without a save is written at the stop.
mkfifo "$work/console"
(cd "$install" && exec "./${server_binary##*/}" >"$work/console" 2>&1) &
server_pid=$!
head -n 1 "$work/console" >/dev/null
check "the server answers with its console pipe's reader gone" grep -qxF "#RET_OK()" < <(command CM_WORDLIST_ADD id unsaved-word)
kill -HUP "$server_pid" 2>/dev/null || true
wait "$server_pid" && status=0 || status=$?
server_pid=""
check "SIGHUP: exit status 0 (its last console line is dropped too)" test "$status" = 0
check "SIGHUP: the log ends with SHUTDOWN" grep -qE ", SHUTDOWN$" < <(tail -n 1 "$install/TamvikVR Server[Log].txt")
check "SIGHUP: the unsaved word is written" grep -qF '"id" "unsaved-word"' "$install/WordList.txt"

# A replaced file's new name lives in its folder: the folder is flushed after the rename, before
# the OK leaves, or a power cut could bring the old settings file back.
(cd "$install" && exec strace -f -y -qq -e trace=rename,fsync -o "$work/trace" "./${server_binary##*/}" \
  >console.txt 2>&1) &
strace_pid=$!
background_pids+=("$strace_pid")
wait_for_text "$install/console.txt" "code=0x0001 接続待ち" || fail "under strace: the server listens"
server_pid=$(pgrep -P "$strace_pid")
check "under strace: a headset's key is answered OK" grep -qxF "#RET_OK()" < <(command CM_INI_WRITE_STRING client rw.flushed yes)
kill -TERM "$server_pid"
wait "$strace_pid" || true
server_pid=""
# The rename's thread flushes the folder (strace -y names it) before it renames anything else.
folder_flushed() {
  awk -v folder="<$(realpath "$install")>" '
    /rename\(.*\/TamvikVRServer\.ini"\) = 0/ { thread = $1; renamed = 1; next }
    renamed && $1 == thread && /rename\(/ { renamed = 0 }
    renamed && $1 == thread && index($0, "fsync(") && index($0, folder ") = 0") { found = 1 }
    END { exit !found }' "$work/trace"
}
check "the settings file's folder is flushed after its rename" folder_flushed

# A stop that could not save says what and why, with exit status 3, and the start says what
# cannot be written. In each case the headset changes a channel (refused: it cannot be saved)
# and adds a word (answered OK; the stop saves it), then the server is stopped.
# Runs the server command in the background, its console in $1, until it listens.
run_server() {
  local console=$1
  shift
  ("$@" >"$console" 2>&1) &
  server_pid=$!
  wait_for_text "$console" "code=0x0001 接続待ち"
}
# A settings file in folder $1 that listens on a new $control_port, with the log on.
unsaved_settings() {
  control_port=$(free_port)
  printf '[Config]\niPortServer=%s\niPortHttp=0\niServerLog=1\n' "$control_port" | write_utf16 "$1/TamvikVRServer.ini"
}
headset_changes() {
  check "$1: the channel change that cannot be saved is refused" grep -qF "#RET_ERR" < <(command CM_SET_CHANNEL_TYPE 1 0 "$work")
  check "$1: a word is added" grep -qxF "#RET_OK()" < <(command CM_WORDLIST_ADD id "$1")
}
# Stops the server; its console is $2 and the last line must name each of the further texts.
stop_unsaved() {
  local name=$1 console=$2 status=0 text
  shift 2
  kill -TERM "$server_pid"
  wait "$server_pid" || status=$?
  server_pid=""
  check "$name: exit status 3" test "$status" = 3
  for text in "TamvikVR Server stopped, but changes are NOT saved: " "$@"; do
    check "$name: the last line says: $text" grep -qF -- "$text" < <(tail -n 1 "$console")
  done
}

# The settings file replaced by a folder while the server runs: the failed save is an event at once.
replaced="$work/replaced"
mkdir -p "$replaced"
cp "$server_binary" "$replaced/"
unsaved_settings "$replaced"
run_server "$replaced/console.txt" "$replaced/${server_binary##*/}" || fail "replaced: the server listens"
rm "$replaced/TamvikVRServer.ini"
mkdir "$replaced/TamvikVRServer.ini"
headset_changes replaced
check "replaced: the failed save is an event with its reason" wait_for_text "$replaced/console.txt" \
  "the settings file $replaced/TamvikVRServer.ini cannot be written: a folder has its name"
stop_unsaved replaced "$replaced/console.txt" "the settings file $replaced/TamvikVRServer.ini cannot be written: a folder has its name"
check "replaced: the word list was saved" grep -qF '"id" "replaced"' "$replaced/WordList.txt"

# The data folder renamed away while the server runs: neither the settings nor the word list can go.
mkdir -p "$work/moving"
cp "$server_binary" "$work/moving/"
unsaved_settings "$work/moving"
run_server "$work/moving/console.txt" "$work/moving/${server_binary##*/}" || fail "renamed: the server listens"
mv "$work/moving" "$work/moved"
headset_changes renamed
stop_unsaved renamed "$work/moved/console.txt" \
  "the settings file $work/moving/TamvikVRServer.ini cannot be written: its folder is not there" \
  "the word list $work/moving/WordList.txt cannot be written: its folder is not there"

# A read-only data folder (0555, settings file 0444) as a normal user: root ignores the modes.
if [ "$(id -u)" = 0 ] && type -P setpriv >/dev/null; then
  readonly_folder="$work/readonly"
  mkdir -p "$readonly_folder"
  cp "$server_binary" "$readonly_folder/"
  unsaved_settings "$readonly_folder"
  chmod 0444 "$readonly_folder/TamvikVRServer.ini"
  chmod 0555 "$readonly_folder"
  chmod o+x "$work"
  run_server "$readonly_folder/console.txt" setpriv --reuid=65534 --regid=65534 --clear-groups \
    "$readonly_folder/${server_binary##*/}" || fail "read-only: the server listens"
  check "read-only: the start says the data folder cannot be written" grep -qF \
    "warning: the data folder $readonly_folder cannot be written: permission denied" "$readonly_folder/console.txt"
  check "read-only: the start says the log cannot be written" grep -qF \
    "warning: the log $readonly_folder/TamvikVR Server[Log].txt cannot be written: permission denied" "$readonly_folder/console.txt"
  headset_changes read-only
  stop_unsaved read-only "$readonly_folder/console.txt" \
    "the settings file $readonly_folder/TamvikVRServer.ini cannot be written: permission denied" \
    "the word list $readonly_folder/WordList.txt cannot be written: permission denied"
  chmod 0755 "$readonly_folder"
else
  echo "skip: the read-only data folder needs root and setpriv to run the server as nobody"
fi

# A full data file system: a 512 kB tmpfs filled up before the start.
full="$work/full"
mkdir -p "$full"
if mount -t tmpfs -o size=512k tmpfs "$full" 2>/dev/null; then
  unsaved_settings "$full"
  dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null || true
  run_server "$work/full-console.txt" "$install/${server_binary##*/}" --data-dir "$full" || fail "full: the server listens"
  check "full: the start says the data folder cannot be written" grep -qF \
    "warning: the data folder $full cannot be written: no space left on the device" "$work/full-console.txt"
  check "full: the start says the log cannot be written" grep -qF \
    "warning: the log $full/TamvikVR Server[Log].txt cannot be written: no space left on the device" "$work/full-console.txt"
  headset_changes full
  stop_unsaved full "$work/full-console.txt" \
    "the settings file $full/TamvikVRServer.ini cannot be written: no space left on the device" \
    "the word list $full/WordList.txt cannot be written: no space left on the device"
  umount "$full"
else
  echo "skip: no tmpfs can be mounted here for the full data file system"
fi
finish
