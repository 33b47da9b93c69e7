# SPDX-License-Identifier: MIT
# Shared helpers of the end-to-end tests: a temporary install folder, free ports, UTF-16LE
# settings files and a server process that is always stopped.
set -euo pipefail

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

work=$(mktemp -d)
server_pid=""
# Other processes a test starts in the background; cleanup kills those still listed and running.
background_pids=()
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then kill -KILL "$server_pid" 2>/dev/null || true; fi
  local pid
  for pid in "${background_pids[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

# A TCP port nothing listens on right now.
free_port() {
  local port
  while :; do
    # Below the kernel's ephemeral range (32768 and up), where clients of other tests take ports.
    port=$((20000 + RANDOM % 12000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; return; fi
  done
}

# Writes UTF-8 lines (LF) as a UTF-16LE file with byte-order mark and CR LF line ends.
write_utf16() {
  local file=$1
  { printf '\xff\xfe'; sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}

# Prints a UTF-16LE file (byte-order mark dropped) as UTF-8 with LF line ends.
read_utf16() { tail -c +3 "$1" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r'; }

# The same scripts test the Windows build: a program whose file name ends in .exe runs under
# Wine, which shares the loopback with the Linux clients and shows the Linux folders as drive Z:.
# The caller sets server_binary; these helpers ask it which kind of server is under test.
windows_server() { [[ ${server_binary:-} == *.exe ]]; }

# Sets the array named $1 to the command that runs the program $2 (Wine for a .exe). Under the
# kernel's random address layout Wine now and then fails to start a program ("failed to map the
# shared user data"), so it runs with that randomisation off.
program_command() {
  local -n command_out=$1
  if [[ $2 == *.exe ]]; then command_out=(setarch "$(uname -m)" -R wine "$2"); else command_out=("$2"); fi
}

# A Linux path as the server under test names it: the same path, or under drive Z: for Windows.
server_path() { if windows_server; then printf 'Z:%s' "$1"; else printf '%s' "$1"; fi; }

# Prints a file the server wrote (console, settings, a client's copy of its replies) in the form
# server_path compares with: as it is, or for Windows with CR dropped and "\" read as "/".
server_text() { if windows_server; then tr -d '\r' <"$1" | tr '\\' '/'; else cat "$1"; fi; }

# How stop_server stops the server: SIGTERM on Linux; under Wine SIGTERM would end the process
# at once, while SIGINT reaches the program as the console's Ctrl+C.
stop_how() { if windows_server; then echo "Ctrl+C"; else echo "SIGTERM"; fi; }

# Starts the server copied into folder $1; its console goes to $1/console.txt.
start_server() {
  local folder=$1 server
  program_command server "./${server_binary##*/}"
  rm -f "$folder/console.txt"
  (cd "$folder" && exec "${server[@]}" >console.txt 2>&1) &
  server_pid=$!
}

# Waits until the file (read by server_text) contains the text (at most 10 s).
wait_for_text() {
  local file=$1 text=$2
  for _ in $(seq 1 200); do
    if [ -f "$file" ] && grep -qF -- "$text" <(server_text "$file"); then return 0; fi
    sleep 0.05
  done
  return 1
}

# Waits until the text occurs on at least $3 lines of the file (at most 10 s).
wait_for_lines() {
  local file=$1 text=$2 count=$3
  for _ in $(seq 1 200); do
    if [ -f "$file" ] && [ "$(server_text "$file" | grep -cF -- "$text")" -ge "$count" ]; then return 0; fi
    sleep 0.05
  done
  return 1
}

# Two different free ports, printed on one line.
# Listens on the ports as another program would, until killed (at most 300 s); prints "held"
# once it listens on all of them.
hold_ports() {
  python3 -c '
import socket, sys, time
held = []
for port in sys.argv[1:]:
    s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("0.0.0.0", int(port))); s.listen(1); held.append(s)
print("held", flush=True)
time.sleep(300)' "$@"
}

two_free_ports() {
  local first second
  first=$(free_port)
  second=$(free_port)
  while [ "$second" = "$first" ]; do second=$(free_port); done
  echo "$first $second"
}

# Copies the server to $install ($work/install), makes an empty $videos ($work/videos) and a
# settings file that serves the extensions given ($1) on two free ports, $control_port and
# $http_port.
install_video_server() {
  install="$work/install"
  videos="$work/videos"
  mkdir -p "$install" "$videos"
  cp "$server_binary" "$install/"
  read -r control_port http_port < <(two_free_ports)
  printf '[File]\npcExt=%s\n[Config]\niPortServer=%s\niPortHttp=%s\n' "$1" "$control_port" "$http_port" |
    write_utf16 "$install/TamvikVRServer.ini"
}

# Percent-encodes a UTF-8 path for a URL: every byte but letters, digits, "-._~" and "/".
url_path() {
  local byte out=""
  for byte in $(printf '%s' "$1" | od -An -v -tx1); do
    case $byte in
      2[d-f] | 3[0-9] | 4[1-9a-f] | 5[0-9af] | 6[1-9a-f] | 7[0-9ae]) out+=$(printf "\\x$byte") ;;
      *) out+="%${byte^^}" ;;
    esac
  done
  printf '%s' "$out"
}

# Waits until the file holds a whole line (at most 10 s).
wait_for_line() {
  local file=$1
  for _ in $(seq 1 200); do
    if [ -f "$file" ] && [ "$(wc -l <"$file")" -gt 0 ]; then return 0; fi
    sleep 0.05
  done
  return 1
}

# Stops the server as stop_how says and waits for it to end (at most 10 s); its exit status goes
# to stop_status.
stop_status=""
stop_server() {
  if windows_server; then kill -INT "$server_pid"; else kill -TERM "$server_pid"; fi
  for _ in $(seq 1 200); do
    if ! kill -0 "$server_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  stop_status=0
  wait "$server_pid" || stop_status=$?
  server_pid=""
}

finish() {
  if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed" >&2; exit 1; fi
  echo "all checks passed"
}
