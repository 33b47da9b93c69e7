#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A long session against the headless server on loopback: 10,000 connect / handshake / list /
# disconnect cycles, 1,000 random range reads on both slots checked by hash, 1,000 malformed
# packets. Prints the server's open descriptors and resident memory before, after each phase and
# after the whole session run a second time, so that memory taken once (the slots' read buffers on
# the first video request) is told apart from memory that grows with use.
# Usage: bench/soak.sh [build folder] [cycles] [reads] [malformed]
set -euo pipefail
build=$(realpath "${1:-build}")
cycles=${2:-10000}
reads=${3:-1000}
malformed=${4:-1000}
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

mkdir -p "$work/videos"
cp "$build/tamvikvr-server" "$work/"
head -c $((4 * 1024 * 1024 + 12345)) /dev/urandom >"$work/videos/clip.mp4"
for i in $(seq 1 50); do : >"$work/videos/other $i.mp4"; done
port=$((20000 + RANDOM % 12000))
{
  printf '\xff\xfe'
  printf '[ch.1]\r\niType=0\r\npcPath=%s\r\n[File]\r\npcExt=mp4\r\n[Config]\r\niPortServer=%d\r\niPortHttp=%d\r\n' \
    "$work/videos" "$port" "$((port + 1))" | iconv -f UTF-8 -t UTF-16LE
} >"$work/TamvikVRServer.ini"
(cd "$work" && exec ./tamvikvr-server >console.txt 2>&1) &
pid=$!
for _ in $(seq 1 100); do
  if grep -qF "code=0x0001" "$work/console.txt" 2>/dev/null; then break; fi
  sleep 0.05
done

measure() {
  local fds rss
  fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l)
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  echo "$1: open descriptors $fds, resident memory $rss KiB"
}
measure before
start=$(date +%s)
status=0
phase() {
  "$build/soak_bench" "$port" "$((port + 1))" "$work/videos/clip.mp4" 1 "$@" || status=$?
  # The server closes the last connection on its own poll; give it a moment before measuring.
  sleep 1
}
for round in 1 2; do
  phase "$cycles" 0 0
  measure "round $round, after $cycles cycles"
  phase 0 "$reads" 0
  measure "round $round, after $reads range reads"
  phase 0 0 "$malformed"
  measure "round $round, after $malformed malformed packets"
done
echo "duration: $(($(date +%s) - start)) s"
kill -0 "$pid" || { echo "the server is gone"; exit 1; }
exit "$status"
