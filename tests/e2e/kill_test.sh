#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kills a process with SIGKILL at random moments while it writes the settings, a list file, a
# marker file, the word list and a VR format file through the real store code, 50 times each.
# Every value is afterwards the old or the new one, never torn, and the clean-up of the next start
# leaves no temporary file behind.
# Usage: kill_test.sh <tamvikvr-server> <tamvikvr-client> <store_writer>
source "$(dirname "$0")/lib.sh"
server_binary=$1
program_command writer "$3"
kills=${KILL_TEST_KILLS:-50}

# The folder's files by inode: a new temporary file or a replace through a rename changes the list.
inodes() { find "$1" -type f -printf '%i\n' 2>/dev/null | sort; }

for kind in settings list marker wordlist vrformat; do
  folder="$work/$kind"
  mkdir -p "$folder"
  torn=0
  leftovers=0
  cut_short=0
  at=$(server_path "$folder")
  "${writer[@]}" init "$at" "$kind" || fail "$kind: first write"
  for _ in $(seq 1 "$kills"); do
    before=$(inodes "$folder")
    "${writer[@]}" write "$at" "$kind" &
    pid=$!
    background_pids+=("$pid")
    # A kill during the program's start would test nothing (under Wine that start takes tens of
    # milliseconds), so the random moment counts from its first write.
    for _ in $(seq 1 500); do
      if [ "$(inodes "$folder")" != "$before" ]; then break; fi
      sleep 0.01
    done
    sleep "0.0$((RANDOM % 40))"
    kill -KILL "$pid" 2>/dev/null || fail "$kind: the writer stopped on its own"
    wait "$pid" 2>/dev/null || true
    removed=$("${writer[@]}" check "$at" "$kind" | tr -d '\r') || torn=$((torn + 1))
    cut_short=$((cut_short + ${removed:-0}))
    if [ -n "$(find "$folder" -name '.*.tmp-*' -print -quit)" ]; then leftovers=$((leftovers + 1)); fi
  done
  echo "$kind: $cut_short kills left a temporary file"
  check "$kind: $kills kills, every value old or new" test "$torn" -eq 0
  check "$kind: no temporary file left after the start-up clean-up" test "$leftovers" -eq 0
done
exit $((failures > 0))
