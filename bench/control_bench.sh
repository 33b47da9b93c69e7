#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The headless server's handshake round trip and idle resident memory.
# Usage: bench/control_bench.sh [build folder]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

cp "$build/tamvikvr-server" "$work/"
port=$((20000 + RANDOM % 12000))
{ printf '\xff\xfe'; printf '[Config]\r\niPortServer=%d\r\niPortHttp=%d\r\n' "$port" "$((port + 1))" | iconv -f UTF-8 -t UTF-16LE; } \
  >"$work/TamvikVRServer.ini"
(cd "$work" && exec ./tamvikvr-server >/dev/null) &
pid=$!
sleep 1
idle_kib=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
echo "idle resident memory: ${idle_kib} KiB (target below 8192 KiB)"
"$build/handshake_bench" "$port" 2000
echo "target: median within 2000 us"
