#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The video server beside nginx on loopback, serving the same file: whole-file throughput, the
# median time to the first response byte and to the first body byte of random range requests
# (each on a new connection), with the file's pages cached (warm) and dropped before every
# request (cold), the ratios, and the video server's resident memory while two streams run. The
# video server is measured with unbuffered reads and with buffered reads (sequential hint).
# Usage: bench/http_vs_nginx.sh [build folder] [file size in MiB, default 1024] [range requests, default 100]
set -euo pipefail
build=$(realpath "${1:-build}")
size_mib=${2:-1024}
requests=${3:-100}
bench="$build/video_server_bench"
probe="$build/first_byte_bench"
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
[[ -x "$bench" && -x "$probe" ]] || { echo "missing $bench or $probe" >&2; exit 2; }
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

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }

nginx_url="http://127.0.0.1:$nginx_port/video.mp4"
wait_ready "$nginx_url" || { echo "nginx did not start" >&2; cat "$work/nginx/logs/error.log" >&2; exit 3; }

# Both read modes run at once beside nginx, and every round measures all three in turn, so
# that load from elsewhere on the machine falls on all of them alike.
encoded_path=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$work/video.mp4")
declare -A url pid target
names=(nginx unbuffered buffered)
url[nginx]=$nginx_url
target[nginx]="$nginx_port/video.mp4"
server_pid=""
for mode in unbuffered buffered; do
  "$bench" 0 "$mode" mp4 >"$work/$mode.out" &
  pid[$mode]=$!
  server_pid="$server_pid ${pid[$mode]}"
  for _ in $(seq 100); do grep -q '^port ' "$work/$mode.out" && break; sleep 0.05; done
  target[$mode]="$(awk '/^port / { print $2 }' "$work/$mode.out")/$encoded_path"
  url[$mode]="http://127.0.0.1:${target[$mode]}"
  wait_ready "${url[$mode]}" || { echo "video server ($mode) did not start" >&2; exit 3; }
done
declare -A idle
for mode in unbuffered buffered; do idle[$mode]=$(rss_kib "${pid[$mode]}"); done

for round in 1 2 3; do
  for name in "${names[@]}"; do transfer_speed "${url[$name]}" >>"$work/speed.$name"; done
done
# Seeks: every server in turn for each offset, warm first (the transfers above cached the file).
probes=()
for name in "${names[@]}"; do probes+=("$name=${target[$name]}"); done
declare -A head_ms body_ms
for cache in warm cold; do
  "$probe" "$work/video.mp4" "$cache" "$work/offsets" "${probes[@]}" >"$work/seek.$cache"
  while read -r name head body; do
    head_ms[$cache.$name]=$head
    body_ms[$cache.$name]=$body
  done <"$work/seek.$cache"
done

declare -A speed
for name in "${names[@]}"; do speed[$name]=$(median <"$work/speed.$name"); done

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

ratio() { echo "$1 / $2" | bc -l; }
printf 'nginx                    throughput %8.1f MiB/s\n' "$(ratio "${speed[nginx]}" 1048576)"
for cache in warm cold; do
  printf '                         %s seek: first response byte %7.3f ms, first body byte %7.3f ms\n' "$cache" \
    "${head_ms[$cache.nginx]}" "${body_ms[$cache.nginx]}"
done
for mode in unbuffered buffered; do
  used=$(awk '/read mode/ { print $NF; exit }' "$work/$mode.out")
  printf 'video server %-11s throughput %8.1f MiB/s   ratio %.3f (target >= 0.95)   (reads: %s)\n' "$mode" \
    "$(ratio "${speed[$mode]}" 1048576)" "$(ratio "${speed[$mode]}" "${speed[nginx]}")" "${used:-unknown}"
  for cache in warm cold; do
    printf '                         %s seek: first response byte %7.3f ms, first body byte %7.3f ms   body ratio %.3f (target <= 1.0)\n' \
      "$cache" "${head_ms[$cache.$mode]}" "${body_ms[$cache.$mode]}" \
      "$(ratio "${body_ms[$cache.$mode]}" "${body_ms[$cache.nginx]}")"
  done
  printf '                         resident memory idle %d KiB, two streams %d KiB (buffers 4096 KiB + less than 8192 KiB)\n' \
    "${idle[$mode]}" "${streaming[$mode]}"
done
