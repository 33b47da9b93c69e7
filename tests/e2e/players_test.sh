#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Real players against the video server while tamvikvr-client holds the login: mpv (FFmpeg's
# HTTP stack) plays a 30 s H.264 video to the end, from a start time, and with a script that
# seeks back and forth as a viewer does, under a Japanese name and a name holding "?" too, and
# again right after the headset dropped and logged in again; GStreamer (libsoup's HTTP stack)
# plays it to the end and seeks. Every player must finish without an error line, every
# seek must land where it was sent, and the console must show the requests and stream ends.
# Usage: players_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$1
client_binary=$2
players="$(cd "$(dirname "$0")" && pwd)/players"

install_video_server mp4

# 30 s of H.264 with a key frame every second and a bit rate high enough that a seek is a new
# request rather than a read through what is already buffered.
video="$videos/long.mp4"
ffmpeg -nostdin -v error -f lavfi -i testsrc2=duration=30:size=640x360:rate=25 -c:v libx264 -preset ultrafast \
  -g 25 -b:v 2M -pix_fmt yuv420p -movflags +faststart "$video"
japanese="$videos/長い 動画.mp4"
cp "$video" "$japanese"
# A name holding "?", which a Linux file may have: its URL carries it as %3F.
question="$videos/what?.mp4"
if ! windows_server; then cp "$video" "$question"; fi
echo "test video: $(stat -c %s "$video") bytes"

url() { printf 'http://127.0.0.1:%s/%s' "$http_port" "$(url_path "$(server_path "$1")")"; }

start_server "$install"
check "server waits for a connection" wait_for_text "$install/console.txt" "code=0x0001 接続待ち"
"$client_binary" --port "$control_port" hold >"$work/hold.txt" 2>&1 &
hold_pid=$!
background_pids+=("$hold_pid")
check "hold is logged in" wait_for_text "$work/hold.txt" "#RET_OK()"

# Runs a player with its output in $work/$1.txt; true when it ended with status 0 and printed no
# error line.
play() {
  local name=$1
  shift
  local status=0
  timeout 120 "$@" >"$work/$name.txt" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || grep -qiE 'error|failed' "$work/$name.txt"; then
    echo "--- $name (status $status):" >&2
    tail -n 20 "$work/$name.txt" >&2
    return 1
  fi
}

mpv_options=(--no-config --vo=null --ao=null --untimed --cache=no --msg-level=all=warn)
check "mpv plays the whole video" play mpv-whole mpv "${mpv_options[@]}" "$(url "$video")"
check "mpv starts at 15 s and decodes 50 frames" \
  play mpv-start mpv "${mpv_options[@]}" --start=15 --frames=50 "$(url "$japanese")"
check "mpv seeks back and forth in the Japanese name" \
  play mpv-seeks mpv "${mpv_options[@]}" --script="$players/seek_back_and_forth.lua" "$(url "$japanese")"
if ! windows_server; then
  check "mpv starts at 10 s and decodes 50 frames of what?.mp4" \
    play mpv-question mpv "${mpv_options[@]}" --start=10 --frames=50 "$(url "$question")"
fi
# True when all five seeks of the player's output $work/$1.txt landed within 0.2 s of their
# targets. mpv reports the position as the first frames after the seek play, which with
# --untimed can be a few frames on: a seek that went wrong lands seconds away.
seeks_landed() {
  local landed
  landed=$(sed -n 's/.*landed at \([0-9.]*\) for \([0-9]*\).*/\1 \2/p' "$work/$1.txt")
  echo "$1 landed at (position target): $(echo "$landed" | tr '\n' ' ')"
  awk 'BEGIN { n = 0 } { n++; if ($1 < $2 - 0.05 || $1 > $2 + 0.2) bad = 1 } END { exit !(n == 5 && !bad) }' <<<"$landed"
}
check "every mpv seek landed within 0.2 s of its target (20 5 27 12 2)" seeks_landed mpv-seeks

gst_pipeline="souphttpsrc location=$(url "$video") ! qtdemux ! avdec_h264 ! fakesink sync=false"
# shellcheck disable=SC2086 # gst-launch takes the pipeline as separate words
check "GStreamer plays the whole video" play gst-whole gst-launch-1.0 -q $gst_pipeline
check "GStreamer seeks to 20 s in the Japanese name and plays to the end" \
  play gst-seek /usr/bin/python3 "$players/gst_seek.py" "$(url "$japanese")" 20
gst_landed=$(sed -n 's/^landed at //p' "$work/gst-seek.txt")
echo "GStreamer landed at: $gst_landed"
check "the GStreamer seek landed at 20 s" awk -v at="${gst_landed:-0}" 'BEGIN { exit !(at >= 19.95 && at <= 20.05) }'

# The headset drops off the network and logs in again at once: a player started under the new
# login must be served, and seek, as under the old one.
kill -KILL "$hold_pid" 2>/dev/null || true
wait "$hold_pid" 2>/dev/null || true
"$client_binary" --port "$control_port" hold >"$work/hold-again.txt" 2>&1 &
hold_pid=$!
background_pids=("$hold_pid")
check "the headset logs in again after dropping" wait_for_text "$work/hold-again.txt" "#RET_OK()"
check "mpv seeks back and forth right after the new login" \
  play mpv-relogin mpv "${mpv_options[@]}" --script="$players/seek_back_and_forth.lua" "$(url "$video")"
check "every seek after the new login landed within 0.2 s of its target" seeks_landed mpv-relogin

# Each seek reconnects with a Range: the console shows the 206 answers and every body's end.
check "console shows ranged requests for the seeks" \
  wait_for_lines "$install/console.txt" ": 206 from byte" 6
check "console shows the whole-file requests" wait_for_lines "$install/console.txt" ": 200 from byte 0" 3
check "console shows stream ends" wait_for_lines "$install/console.txt" ": ended after" 6

kill -TERM "$hold_pid" 2>/dev/null || true
wait "$hold_pid" || true
background_pids=()
stop_server
check "server exit status 0 after $(stop_how)" test "$stop_status" = 0
finish
