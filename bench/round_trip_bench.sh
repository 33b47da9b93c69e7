#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Round trips of a listing of 1 and of 100 videos and of a packet of 13 commands, beside the
# floor with TCP_QUICKACK forced on the client, against the headless server on loopback.
# Usage: bench/round_trip_bench.sh [build folder] [server executable (default: the build's)]
set -euo pipefail
build=$(realpath "${1:-build}")
server=$(realpath "${2:-$build/tamvikvr-server}")
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid"; rm -rf "$work"' EXIT

mkdir -p "$work/one" "$work/hundred"
: >"$work/one/a.mp4"
for i in $(seq 1 100); do : >"$work/hundred/Episode $i.mp4"; done
cp "$server" "$work/tamvikvr-server"
port=$((20000 + RANDOM % 12000))
{
  printf '\xff\xfe'
  printf '[Config]\r\niPortServer=%d\r\niPortHttp=%d\r\n[ch.0]\r\niType=0\r\npcPath=%s\r\n[ch.1]\r\niType=0\r\npcPath=%s\r\n' \
    "$port" "$((port + 1))" "$work/one" "$work/hundred" | iconv -f UTF-8 -t UTF-16LE
} >"$work/TamvikVRServer.ini"
(cd "$work" && exec ./tamvikvr-server >/dev/null) &
pid=$!
for _ in $(seq 1 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
"$build/round_trip_bench" "$port" 200
