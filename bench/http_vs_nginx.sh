#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The video server beside nginx on loopback, serving the same file: whole-file throughput,
# median time to first byte of random range requests (each on a new connection), the ratios,
# and the video server's resident memory while two streams run. The video server is measured
# with unbuffered reads and with buffered reads (sequential hint).
# Usage: bench/http_vs_nginx.sh [build folder] [file size in MiB, default 1024] [range requests, default 100]
set -euo pipefail
build=$(realpath "${1:-build}")
size_mib=${2:-1024}
requests=${3:-100}
bench="$build/video_server_bench"
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
[[ -x "$bench" ]] || { echo "missing $bench" >&2; exit 2; }
[[ -x "$nginx_bin" ]] || { echo "nginx is not installed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tvr-http-bench.XXXXXX")
server_pid=""
nginx_pid=""
stream_pids=()
cleanup() {
  for pid in "${stream_pids[@]}" $server_pid $nginx_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

echo "creating a ${size_mib} MiB file in $work"
dd if=/dev/urandom of="$work/video.mp4" bs=1M count="$size_mib" status=none
# nginx's worker may run as another user: let it read the folder and the file.
chmod a+rx "$work"
chmod a+r "$work/video.mp4"
size=$((size_mib * 1048576))

nginx_port=$(free_port)
mkdir -p "$work/nginx/logs" "$work/nginx/tmp"
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  default_type application/octet-stream;
  client_body_temp_path $work/nginx/tmp/body;
  proxy_temp_path $work/nginx/tmp/proxy;
  fastcgi_temp_path $work/nginx/tmp/fastcgi;
  uwsgi_temp_path $work/nginx/tmp/uwsgi;
  scgi_temp_path $work/nginx/tmp/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work;
  }
}
CONF
"$nginx_bin" -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/logs/error.log" &
nginx_pid=$!

# Random offsets, the same list for every server.
python3 -c "import random; random.seed(7); print('\n'.join(str(random.randrange($size)) for _ in range($requests)))" \
  >"$work/offsets"

wait_ready() { for _ in $(seq 100); do curl -s -o /dev/null -r 0-0 "$1" && return 0; sleep 0.05; done; return 1; }

# One whole-file transfer: bytes per second; a short transfer stops the bench.
transfer_speed() {
  local line
  line=$(curl -s -o /dev/null -w '%{size_download} %{speed_download}' "$1")
  [[ ${line% *} == "$size" ]] || { echo "short transfer from $1: $line" >&2; return 1; }
  echo "${line#* }"
}

# Time to the first byte of a range request to the end of the file; the client stops after
# the first body byte, so each request costs one new connection and a little data.
first_byte() {
  local out
  out=$( { curl -s -r "$2-" -w '%{stderr}%{time_starttransfer}' "$1" | head -c 1 >/dev/null; } 2>&1 ) || true
  echo "$out"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }

nginx_url="http://127.0.0.1:$nginx_port/video.mp4"
wait_ready "$nginx_url" || { echo "nginx did not start" >&2; cat "$work/nginx/logs/error.log" >&2; exit 3; }

# Both read modes run at once beside nginx, and every round measures all three in turn, so
# that load from elsewhere on the machine falls on all of them alike.
encoded_path=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$work/video.mp4")
declare -A url pid
names=(nginx unbuffered buffered)
url[nginx]=$nginx_url
server_pid=""
for mode in unbuffered buffered; do
  "$bench" 0 "$mode" mp4 >"$work/$mode.out" &
  pid[$mode]=$!
  server_pid="$server_pid ${pid[$mode]}"
  for _ in $(seq 100); do grep -q '^port ' "$work/$mode.out" && break; sleep 0.05; done
  url[$mode]="http://127.0.0.1:$(awk '/^port / { print $2 }' "$work/$mode.out")/$encoded_path"
  wait_ready "${url[$mode]}" || { echo "video server ($mode) did not start" >&2; exit 3; }
done
declare -A idle
for mode in unbuffered buffered; do idle[$mode]=$(rss_kib "${pid[$mode]}"); done

for round in 1 2 3; do
  for name in "${names[@]}"; do transfer_speed "${url[$name]}" >>"$work/speed.$name"; done
done
while read -r offset; do
  for name in "${names[@]}"; do first_byte "${url[$name]}" "$offset" >>"$work/ttfb.$name"; done
done <"$work/offsets"

declare -A speed ttfb
for name in "${names[@]}"; do
  speed[$name]=$(median <"$work/speed.$name")
  ttfb[$name]=$(median <"$work/ttfb.$name")
done

# Two streams at once on each video server, held open by a rate limit, while its memory is read.
declare -A streaming
for mode in unbuffered buffered; do
  curl -s -o /dev/null --limit-rate 20M "${url[$mode]}?stream=0" &
  stream_pids=($!)
  curl -s -o /dev/null --limit-rate 20M "${url[$mode]}?stream=1" &
  stream_pids+=($!)
  sleep 2
  streaming[$mode]=$(rss_kib "${pid[$mode]}")
  kill "${stream_pids[@]}" 2>/dev/null || true
  wait "${stream_pids[@]}" 2>/dev/null || true
  stream_pids=()
done
for mode in unbuffered buffered; do kill -TERM "${pid[$mode]}"; wait "${pid[$mode]}" || true; done
server_pid=""

printf 'nginx                    throughput %8.1f MiB/s   median TTFB %7.3f ms\n' \
  "$(echo "${speed[nginx]} / 1048576" | bc -l)" "$(echo "${ttfb[nginx]} * 1000" | bc -l)"
for mode in unbuffered buffered; do
  used=$(awk '/read mode/ { print $NF; exit }' "$work/$mode.out")
  printf 'video server %-11s throughput %8.1f MiB/s   median TTFB %7.3f ms   (reads: %s)\n' "$mode" \
    "$(echo "${speed[$mode]} / 1048576" | bc -l)" "$(echo "${ttfb[$mode]} * 1000" | bc -l)" "${used:-unknown}"
  printf '                         throughput ratio %.3f (target >= 0.9)   TTFB ratio %.3f (target <= 1.0)\n' \
    "$(echo "${speed[$mode]} / ${speed[nginx]}" | bc -l)" "$(echo "${ttfb[$mode]} / ${ttfb[nginx]}" | bc -l)"
  printf '                         resident memory idle %d KiB, two streams %d KiB (buffers 4096 KiB + less than 8192 KiB)\n' \
    "${idle[$mode]}" "${streaming[$mode]}"
done
