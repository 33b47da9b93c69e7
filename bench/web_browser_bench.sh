#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The headless server's web page in headless Chromium: how soon the page shows the server's
# state after the browser is sent to it, and how soon a client's refused request shows in its
# event list. Usage: bench/web_browser_bench.sh [build folder] [rounds]
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-20}
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

cp "$build/tamvikvr-server" "$work/"
port=$((20000 + RANDOM % 12000))
{ printf '\xff\xfe'; printf '[Config]\r\niPortServer=%d\r\niPortHttp=%d\r\niPortWeb=%d\r\niUseWeb=1\r\n' \
  "$port" "$((port + 1))" "$((port + 2))" | iconv -f UTF-8 -t UTF-16LE; } >"$work/TamvikVRServer.ini"
(cd "$work" && exec ./tamvikvr-server >console.txt 2>&1) &
pid=$!
for _ in $(seq 1 100); do grep -q '/?token=' "$work/console.txt" 2>/dev/null && break; sleep 0.1; done
address=$(grep -o "http://127.0.0.1:[0-9]*/?token=[0-9a-f]*" "$work/console.txt")
/usr/bin/python3 "$(dirname "$0")/web_browser_bench.py" "$address" "$rounds" "$build/tamvikvr-client" --port "$port"
