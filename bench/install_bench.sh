#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The installed server against the build tree's: time from start to listening, and resident
# memory after a second of idling, each the median of several starts.
# Usage: bench/install_bench.sh <package.deb> [build folder] [starts]
set -euo pipefail
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

port=$((20000 + RANDOM % 12000))
export XDG_CONFIG_HOME="$work/config"
settings() {
  mkdir -p "$1"
  { printf '\xff\xfe'; printf '[Config]\r\niPortServer=%d\r\niPortHttp=%d\r\n' "$port" "$((port + 1))" |
    iconv -f UTF-8 -t UTF-16LE; } >"$1/TamvikVRServer.ini"
}

# Starts $1, prints the milliseconds until it listens; the process stays running as $pid.
start() {
  local console=$work/console.txt begin now
  rm -f "$console"
  begin=$(date +%s%N)
  "$1" >"$console" 2>&1 &
  pid=$!
  until grep -q 'code=0x0001' "$console" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null || { cat "$console" >&2; exit 1; }
  done
  now=$(date +%s%N)
  echo $(((now - begin) / 1000000))
}
stop() { kill -TERM "$pid"; wait "$pid" || true; pid=""; }

deb=$(realpath "$1")
build=$(realpath "${2:-build}")
starts=${3:-9}
dpkg-deb -x "$deb" "$work/root"
mkdir -p "$work/tree"
cp "$build/tamvikvr-server" "$work/tree/"
settings "$work/tree"
settings "$XDG_CONFIG_HOME/tamvikvr"
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
for which in installed tree; do
  if [ "$which" = installed ]; then program=$work/root/usr/bin/tamvikvr-server; else program=$work/tree/tamvikvr-server; fi
  : >"$work/ms" && : >"$work/kib"
  for _ in $(seq 1 "$starts"); do
    start "$program" >>"$work/ms"
    sleep 1
    awk '/VmRSS/ {print $2}' "/proc/$pid/status" >>"$work/kib"
    stop
  done
  echo "$which: start to listening $(median <"$work/ms") ms, idle resident memory $(median <"$work/kib") KiB (median of $starts)"
done
