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

# Median of bytes per second over three whole-file transfers; a short transfer is an error.
throughput() {
  local _ line
  for _ in 1 2 3; do
    line=$(curl -s -o /dev/null -w '%{size_download} %{speed_download}' "$1")
    [[ ${line% *} == "$size" ]] || { echo "short transfer from $1: $line" >&2; exit 4; }
    echo "${line#* }"
  done | sort -g | sed -n 2p
}

# Median time to the first byte of a range request to the end of the file; the client stops
# after the first body byte, so each request costs one connection and a little data.
ttfb() {
  local url=$1 offset
  while read -r offset; do
    curl -s -r "$offset-" -w '%{stderr}%{time_starttransfer}\n' "$url" 2>>"$work/ttfb.tmp" | head -c 1 >/dev/null || true
  done <"$work/offsets"
  sort -g "$work/ttfb.tmp" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
  rm -f "$work/ttfb.tmp"
}

rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }

nginx_url="http://127.0.0.1:$nginx_port/video.mp4"
wait_ready "$nginx_url" || { echo "nginx did not start" >&2; cat "$work/nginx/logs/error.log" >&2; exit 3; }
nginx_tp=$(throughput "$nginx_url")
nginx_ttfb=$(ttfb "$nginx_url")
printf 'nginx           throughput %8.1f MiB/s   median TTFB %8.3f ms\n' \
  "$(echo "$nginx_tp / 1048576" | bc -l)" "$(echo "$nginx_ttfb * 1000" | bc -l)"

encoded_path=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$work/video.mp4")
for mode in unbuffered buffered; do
  "$bench" 0 "$mode" mp4 >"$work/server.out" &
  server_pid=$!
  for _ in $(seq 100); do grep -q '^port ' "$work/server.out" && break; sleep 0.05; done
  port=$(awk '/^port / { print $2 }' "$work/server.out")
  url="http://127.0.0.1:$port/$encoded_path"
  wait_ready "$url" || { echo "video server did not start" >&2; exit 3; }
  idle=$(rss_kib "$server_pid")
  tp=$(throughput "$url")
  first=$(ttfb "$url")

  # Two streams at once, held open by a rate limit, while the resident memory is read.
  curl -s -o /dev/null --limit-rate 20M "$url?stream=0" &
  stream_pids=($!)
  curl -s -o /dev/null --limit-rate 20M "$url?stream=1" &
  stream_pids+=($!)
  sleep 2
  streaming=$(rss_kib "$server_pid")
  kill "${stream_pids[@]}" 2>/dev/null || true
  wait "${stream_pids[@]}" 2>/dev/null || true
  stream_pids=()

  kill -TERM "$server_pid"
  wait "$server_pid" || true
  server_pid=""
  used_mode=$(awk '/read mode/ { print $NF; exit }' "$work/server.out")
  printf 'video server %-10s (reads: %s)\n' "$mode" "${used_mode:-unknown}"
  printf '                throughput %8.1f MiB/s   median TTFB %8.3f ms\n' \
    "$(echo "$tp / 1048576" | bc -l)" "$(echo "$first * 1000" | bc -l)"
  printf '                throughput ratio %.3f (target >= 0.9)   TTFB ratio %.3f (target <= 1.0)\n' \
    "$(echo "$tp / $nginx_tp" | bc -l)" "$(echo "$first / $nginx_ttfb" | bc -l)"
  printf '                resident memory idle %d KiB, two streams %d KiB (buffers 4096 KiB + less than 8192 KiB)\n' \
    "$idle" "$streaming"
done
