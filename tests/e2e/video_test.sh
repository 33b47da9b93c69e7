#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The video server with real clients: while tamvikvr-client holds an authenticated control
# connection, curl, ffprobe, ffmpeg and tamvikvr-client fetch real video files from it, whole,
# from a Range start and by a percent-encoded Japanese name; once the hold ends nothing is served.
# Usage: video_test.sh <tamvikvr-server> <tamvikvr-client>
source "$(dirname "$0")/lib.sh"
server_binary=$1
client_binary=$2

install_video_server "mp4 mkv"

# A real four-second H.264 clip (MPEG-4 part 2 where this ffmpeg has no libx264), a copy under a
# Japanese name with a space, the same stream in Matroska, and a text file the server must refuse.
codec=mpeg4
encoders=$(ffmpeg -hide_banner -encoders 2>/dev/null)
if grep -q ' libx264 ' <<<"$encoders"; then codec=libx264; fi
clip="$videos/clip.mp4"
ffmpeg -nostdin -v error -f lavfi -i testsrc=duration=4:size=320x240:rate=25 -c:v "$codec" -pix_fmt yuv420p \
  -movflags +faststart "$clip"
japanese="$videos/動画 1.mp4"
cp "$clip" "$japanese"
ffmpeg -nostdin -v error -i "$clip" -c copy "$videos/clip.mkv"
echo "not a video" >"$videos/notes.txt"
size=$(stat -c %s "$clip")
echo "test clip: $codec, $size bytes"

base="http://127.0.0.1:$http_port/"
# The URL of a video file: the path as the server names it, after the server's address.
url() { printf '%s%s' "$base" "$(url_path "$(server_path "$1")")"; }
clip_url=$(url "$clip")
japanese_url=$(url "$japanese")

start_server "$install"
check "server waits for a connection" wait_for_text "$install/console.txt" "code=0x0001 接続待ち"

# tamvikvr-client authenticates on its own connection for the fetch, so it runs before the hold.
"$client_binary" --port "$control_port" fetch "$(server_path "$japanese")" --output "$work/fetched.mp4" >"$work/fetch.txt" 2>&1 ||
  { fail "tamvikvr-client fetch (see below)"; cat "$work/fetch.txt"; }
check "tamvikvr-client fetch of the Japanese name is byte-exact" cmp -s "$work/fetched.mp4" "$japanese"
check "tamvikvr-client reports 200 and the byte count" \
  grep -qxF "$size bytes written to $work/fetched.mp4" "$work/fetch.txt"
check "console shows the fetch client's disconnect" \
  wait_for_lines "$install/console.txt" "code=0x0003 切断(正常終了) 127.0.0.1" 1

"$client_binary" --port "$control_port" hold >"$work/hold.txt" 2>&1 &
hold_pid=$!
background_pids+=("$hold_pid")
check "hold prints the handshake and stays connected" wait_for_text "$work/hold.txt" "#RET_OK()"
check "hold announces the video port" grep -qF "#RET_USE_HTTP(<port>$http_port)" "$work/hold.txt"

# Prints the named header's value from a header dump (case-insensitive name, CR dropped).
header() { tr -d '\r' <"$1" | sed -n "s/^$2: //Ip" | head -n 1; }

status=$(curl -sS -o "$work/whole.mp4" -D "$work/whole.head" -w '%{http_code}' "$clip_url") || true
check "whole file answers 200" test "$status" = 200
check "whole file is byte-exact" cmp -s "$work/whole.mp4" "$clip"
check "whole file has Accept-Ranges: bytes" test "$(header "$work/whole.head" Accept-Ranges)" = bytes
check "whole file has Content-Type video/mp4" test "$(header "$work/whole.head" Content-Type)" = video/mp4
check "whole file has Content-Length $size" test "$(header "$work/whole.head" Content-Length)" = "$size"

status=$(curl -sS -r 1000- -o "$work/part.bin" -D "$work/part.head" -w '%{http_code}' "$clip_url") || true
check "range 1000- answers 206" test "$status" = 206
check "range 1000- has Content-Range bytes 1000-$((size - 1))/$size" \
  test "$(header "$work/part.head" Content-Range)" = "bytes 1000-$((size - 1))/$size"
check "range 1000- carries exactly the bytes from 1000 on" cmp -s "$work/part.bin" <(tail -c +1001 "$clip")

# HEAD, then a GET on the same connection: a body after the HEAD answer would spoil the GET's answer.
curl -sS -I -o "$work/head.head" "$clip_url" --next -sS -o "$work/after-head.bin" \
  -w '%{http_code} %{num_connects}' "$clip_url" >"$work/after-head.txt" || true
check "HEAD answers 200 with Content-Length $size" \
  test "$(head -n 1 "$work/head.head" | tr -d '\r')" = "HTTP/1.1 200 OK" -a \
  "$(header "$work/head.head" Content-Length)" = "$size"
check "HEAD has Content-Type video/mp4" test "$(header "$work/head.head" Content-Type)" = video/mp4
check "HEAD sends no body (the next request on its connection reads cleanly)" \
  test "$(cat "$work/after-head.txt")" = "200 0" -a "$(cmp -s "$work/after-head.bin" "$clip" && echo same)" = same

status=$(curl -sS -o /dev/null -w '%{http_code}' "$(url "$videos/notes.txt")") || true
check "a .txt file answers 404" test "$status" = 404
check "the console says why: the extension is not in pcExt" wait_for_text "$install/console.txt" \
  ": 404 (its extension is not in [Config] pcExt) $(server_path "$videos/notes.txt")"
status=$(curl -sS -o /dev/null -w '%{http_code}' "$(url "$videos/gone.mp4")") || true
check "a missing .mp4 answers 404 and the console says there is no such file" test "$status" = 404 -a \
  "$(wait_for_text "$install/console.txt" ": 404 (no such file) $(server_path "$videos/gone.mp4")" && echo said)" = said

status=$(curl -sS -o "$work/stream1.mp4" -w '%{http_code}' "$clip_url?stream=1") || true
check "?stream=1 answers 200 with the whole file" test "$status" = 200 -a "$(cmp -s "$work/stream1.mp4" "$clip" && echo same)" = same

status=$(curl -sS -o /dev/null -D "$work/beyond.head" -w '%{http_code}' -r "$((size + 10))-" "$clip_url") || true
check "a range beyond the end answers 416 with Content-Range bytes */$size" \
  test "$status" = 416 -a "$(header "$work/beyond.head" Content-Range)" = "bytes */$size"

status=$(curl -sS -o "$work/japanese.mp4" -w '%{http_code}' "$japanese_url") || true
check "the percent-encoded Japanese name answers 200 byte-exact" \
  test "$status" = 200 -a "$(cmp -s "$work/japanese.mp4" "$japanese" && echo same)" = same

# Only a literal "?" begins the query: an encoded one (%3F) is part of the name. On Linux a file
# may be called "what?.mp4"; on Windows the "\\?\" of a long path carries one.
if windows_server; then
  long_path="\\\\?\\$(server_path "$clip" | tr '/' '\\')"
  status=$(curl -sS -o "$work/long-path.mp4" -w '%{http_code}' "$base$(url_path "$long_path")?stream=1") || true
  check "the long-path form $long_path answers 200 byte-exact" \
    test "$status" = 200 -a "$(cmp -s "$work/long-path.mp4" "$clip" && echo same)" = same
else
  cp "$clip" "$videos/what?.mp4"
  status=$(curl -sS -o "$work/question.mp4" -w '%{http_code}' "$(url "$videos/what?.mp4")?stream=1") || true
  check "a name holding \"?\" (what%3F.mp4) answers 200 byte-exact" \
    test "$status" = 200 -a "$(cmp -s "$work/question.mp4" "$clip" && echo same)" = same
fi

status=$(curl -sS -o /dev/null -D "$work/mkv.head" -w '%{http_code}' "$(url "$videos/clip.mkv")") || true
check "a .mkv file answers 200 with Content-Type video/x-matroska" \
  test "$status" = 200 -a "$(header "$work/mkv.head" Content-Type)" = video/x-matroska

probe() { ffprobe -v error -show_entries format=duration:stream=codec_name,width,height -of default=nw=1 "$1"; }
local_probe=$(probe "$japanese")
remote_probe=$(probe "$japanese_url" 2>&1) || true
echo "ffprobe: $(echo "$local_probe" | tr '\n' ' ')"
check "ffprobe over HTTP matches the local file (codec, size, duration)" test "$remote_probe" = "$local_probe"
check "ffmpeg decodes one second after seeking to 2 s over HTTP" \
  ffmpeg -nostdin -v error -ss 2 -i "$japanese_url" -t 1 -f null -

kill -TERM "$hold_pid" 2>/dev/null || true
hold_status=0
wait "$hold_pid" || hold_status=$?
background_pids=()
check "hold ends with status 0 on SIGTERM" test "$hold_status" = 0
check "console shows the hold's disconnect" \
  wait_for_lines "$install/console.txt" "code=0x0003 切断(正常終了) 127.0.0.1" 2
# Without an authenticated client the video server accepts nothing: the connection waits in the
# backlog for a login (30 s, then 404) and curl gets no answer at all within its time limit.
curl_status=0
status=$(curl -sS --max-time 2 -o /dev/null -w '%{http_code}' "$clip_url" 2>/dev/null) || curl_status=$?
check "no answer once the hold has ended (curl gave up with status $curl_status)" \
  test "$curl_status" != 0 -a "$status" = 000
check "console says the request waits for a headset to log in" \
  wait_for_text "$install/console.txt" "video: a request waits for a headset to log in"

stop_server
check "server exit status 0 after $(stop_how)" test "$stop_status" = 0
finish
