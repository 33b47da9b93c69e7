#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package as a package user meets it: lintian says nothing, the unpacked programs
# run, the user service is a valid unit, the desktop entry and the AppStream metainfo are valid,
# the installed server loads its helper libraries from /usr/lib/tamvikvr (the mouse relay
# reaches a headset on a virtual display), and it keeps its files private in ~/.config/tamvikvr
# (or $XDG_CONFIG_HOME/tamvikvr) where the build tree's keeps them beside itself, writing the
# same bytes for the same settings.
# Usage: package_test.sh <package.deb> <build-tree tamvikvr-server> <build-tree tamvikvr-client>
source "$(dirname "$0")/../e2e/lib.sh"
deb=$1
tree_server=$(realpath "$2")
tree_client=$(realpath "$3")

echo "== lintian"
lintian_out="$work/lintian.txt"
lintian "$deb" 2>&1 | grep -v 'running with root privileges is not recommended' >"$lintian_out" || true
cat "$lintian_out"
check "lintian reports nothing" test ! -s "$lintian_out"

root="$work/root"
dpkg-deb -x "$deb" "$root"
server="$root/usr/bin/tamvikvr-server"
for file in usr/bin/tamvikvr-server usr/bin/tamvikvr-client usr/lib/systemd/user/tamvikvr-server.service \
  usr/share/man/man1/tamvikvr-server.1.gz usr/share/man/man1/tamvikvr-client.1.gz \
  usr/share/doc/tamvikvr-server/copyright usr/share/doc/tamvikvr-server/README.md \
  usr/share/doc/tamvikvr-server/configuration.md usr/lib/tamvikvr/libCurvane.so \
  usr/lib/tamvikvr/libZentrovaDirectShow.so usr/share/applications/org.tamvikvr.server.desktop \
  usr/share/metainfo/org.tamvikvr.server.metainfo.xml; do
  check "package holds /$file" test -s "$root/$file"
done
for size in 16 24 32 48 64 128 256; do
  check "package holds the ${size}px icon" \
    test "$(file -b "$root/usr/share/icons/hicolor/${size}x${size}/apps/tamvikvr-server.png" | cut -d, -f1-2)" = \
    "PNG image data, $size x $size"
done

echo "== desktop entry and AppStream metainfo"
desktop="$root/usr/share/applications/org.tamvikvr.server.desktop"
desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1 || echo "desktop-file-validate failed" >>"$work/desktop.txt"
cat "$work/desktop.txt"
check "desktop-file-validate reports nothing" test ! -s "$work/desktop.txt"
for key in Name 'Name\[ja\]' Comment Icon Exec Categories StartupWMClass; do
  check "desktop entry sets $key" grep -q "^$key=." "$desktop"
done
check "desktop entry starts the packaged window program" test -x "$root/usr/bin/$(sed -n 's/^Exec=//p' "$desktop")"
check "desktop entry's icon is in the package" test -s "$root/usr/share/icons/hicolor/48x48/apps/$(sed -n 's/^Icon=//p' "$desktop").png"
status=0
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/org.tamvikvr.server.metainfo.xml" >"$work/appstream.txt" 2>&1 || status=$?
cat "$work/appstream.txt"
check "appstreamcli validates the metainfo without a remark" \
  test "$status:$(grep -v '^✔ Validation was successful.$' "$work/appstream.txt" | grep -c .)" = 0:0
check "metainfo names the desktop entry and a screenshot" \
  grep -q '<launchable type="desktop-id">org.tamvikvr.server.desktop</launchable>' "$root/usr/share/metainfo/org.tamvikvr.server.metainfo.xml"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "Depends names the C and C++ libraries the programs link" \
  test -n "$(grep 'libc6 (>=' <<<"$depends" | grep 'libstdc++6 (>=')"
check "server's manual page describes --data-dir" \
  test -n "$(zcat "$root/usr/share/man/man1/tamvikvr-server.1.gz" | grep -F -- 'data\-dir')"
for page in "$root"/usr/share/man/man1/tamvikvr-*.1.gz; do
  check "${page##*/} points to the installed documentation, not to the source tree" \
    bash -c '! zcat "$1" | grep -qF "docs/configuration"' _ "$page"
  check "${page##*/} shows every character (no ? for Japanese)" \
    bash -c '! LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$1" 2>/dev/null | grep -qF "??"' _ "$page"
done
gui_page="$root/usr/share/man/man1/tamvikvr-server-gui.1.gz"
if [ -e "$gui_page" ]; then
  check "desktop program's manual page shows its Japanese button 終了" \
    test -n "$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$gui_page" 2>/dev/null | grep -F '終了')"
fi
check "installed server prints its version" \
  test -n "$("$server" --version | grep -x 'TamvikVR Server [0-9.a-z]* (protocol 130)')"
check "installed client prints its version" test -n "$("$root/usr/bin/tamvikvr-client" --version | grep '^tamvikvr-client ')"

unit="$root/usr/lib/systemd/user/tamvikvr-server.service"
program=$(sed -n 's/^ExecStart=//p' "$unit")
check "the service starts the packaged server" test -x "$root/usr/bin/$program"
# verify insists that ExecStart's program and the Documentation's manual page exist on this
# machine: it checks a copy that names the unpacked program, with the unpacked manual pages.
# It reports unknown keys and bad values only as messages, so any message fails the check.
if ! command -v systemd-analyze >/dev/null; then
  echo "skip: systemd-analyze is not installed, so the unit file is not verified"
else
  mkdir -p "$work/runtime" "$work/unit" && chmod 700 "$work/runtime"
  sed "s|^ExecStart=|ExecStart=$root/usr/bin/|" "$unit" >"$work/unit/tamvikvr-server.service"
  status=0
  MANPATH="$root/usr/share/man" XDG_RUNTIME_DIR="$work/runtime" \
    systemd-analyze --user verify "$work/unit/tamvikvr-server.service" >"$work/verify.txt" 2>&1 || status=$?
  cat "$work/verify.txt"
  check "systemd-analyze verify accepts the user service" test "$status:$(wc -c <"$work/verify.txt")" = "0:0"
fi

# Starts program $2 with its console in $1 and any further arguments; the environment is the caller's.
start_program() {
  local console=$1 program=$2
  shift 2
  rm -f "$console"
  ("$program" "$@" >"$console" 2>&1) &
  server_pid=$!
}
data_line() { grep -m1 '^  data folder: ' "$1" | sed 's/^  data folder: //'; }

# First start of the installed server: the per-user folder is made and named in the summary;
# nothing is written beside the program. The default ports may be busy: it runs on regardless.
# Under the usual umask the folder and the settings (which hold the password) are the user's alone.
export HOME="$work/home"
unset XDG_CONFIG_HOME
mkdir -p "$HOME"
umask 022
start_program "$work/installed.txt" "$server"
check "installed server prints its summary" wait_for_text "$work/installed.txt" "  channel 8:"
stop_server
check "installed server exits 0 after SIGTERM" test "$stop_status" = 0
check "installed server uses ~/.config/tamvikvr" test "$(data_line "$work/installed.txt")" = "$HOME/.config/tamvikvr"
check "installed server made its settings there" test -s "$HOME/.config/tamvikvr/TamvikVRServer.ini"
check "installed server made ~/.config and its folder 0700" \
  test "$(stat -c %a "$HOME/.config" "$HOME/.config/tamvikvr" | tr '\n' ' ')" = "700 700 "
check "installed server made its settings file 0600" test "$(stat -c %a "$HOME/.config/tamvikvr/TamvikVRServer.ini")" = 600
check "installed server loads the media helper from /usr/lib/tamvikvr (says nothing of it)" \
  bash -c '! grep -qF "の読み込み" "$1"' _ "$work/installed.txt"
check "installed server wrote nothing beside itself" test ! -e "$root/usr/bin/TamvikVRServer.ini"
# The journal takes the console line by line: whole lines, no colour codes.
check "console ends with a whole line" test "$(tail -c 1 "$work/installed.txt" | od -An -tx1 | tr -d ' ')" = 0a
check "console has no escape sequences or carriage returns" test "$(grep -c $'[\x1b\r]' "$work/installed.txt")" = 0

# A per-user folder that cannot be made is a failure (so the service starts it again), named.
touch "$work/not-a-folder"
status=0
XDG_CONFIG_HOME="$work/not-a-folder" "$server" >"$work/no-folder.txt" 2>&1 || status=$?
check "installed server without a usable folder exits 1" test "$status" = 1
check "installed server names the folder it could not make" \
  grep -qxF "tamvikvr-server: the data folder $work/not-a-folder/tamvikvr cannot be created" "$work/no-folder.txt"

start_program "$work/explicit.txt" "$server" --data-dir "$work/explicit"
check "--data-dir wins for the installed server" wait_for_text "$work/explicit.txt" "  data folder: $work/explicit"
stop_server

# The same settings in both places: the installed server (in $XDG_CONFIG_HOME/tamvikvr) and the
# build tree's (beside itself) take the README's client lines for package users, and leave the
# same bytes.
readme="$(dirname "$0")/../../README.md"
mapfile -t steps < <(grep '^    tamvikvr-client ' "$readme" | sed 's/^    //')
check "README shows package users how to set and list a channel" test "${#steps[@]}" -ge 2
read -r control_port http_port < <(two_free_ports)
printf '[Config]\niPortServer=%s\niPortHttp=%s\niServerLog=1\n' "$control_port" "$http_port" | write_utf16 "$work/seed.ini"
chmod 600 "$work/seed.ini"
mkdir -p "$work/videos" "$work/xdg/tamvikvr" "$work/build"
printf 'a fake but whole video file\n' >"$work/videos/a.mp4"
cp "$tree_server" "$work/build/"
cp -p "$work/seed.ini" "$work/xdg/tamvikvr/TamvikVRServer.ini"
cp -p "$work/seed.ini" "$work/build/TamvikVRServer.ini"
export XDG_CONFIG_HOME="$work/xdg"
for which in installed tree; do
  if [ "$which" = installed ]; then
    program=$server client=$root/usr/bin/tamvikvr-client
  else
    program="$work/build/${tree_server##*/}" client=$tree_client
  fi
  start_program "$work/$which-run.txt" "$program"
  check "$which server listens" wait_for_text "$work/$which-run.txt" "code=0x0001"
  for line in "${steps[@]}"; do
    command=${line//\~\/Videos/$work/videos}
    command=${command/tamvikvr-client/\"$client\" --port $control_port}
    if ! eval "$command" >"$work/step.txt" 2>&1; then fail "$which: README line: $line"; cat "$work/step.txt"; fi
  done
  check "$which server lists the video the README's channel points at" grep -qF "/a.mp4" "$work/step.txt"
  stop_server
  check "$which server exits 0" test "$stop_status" = 0
done
check "installed server uses \$XDG_CONFIG_HOME/tamvikvr" test "$(data_line "$work/installed-run.txt")" = "$work/xdg/tamvikvr"
check "build-tree server uses its own folder" test "$(data_line "$work/tree-run.txt")" = "$work/build"
channel_saved() { read_utf16 "$1" | grep -qxF "pcPath=$2"; }
check "the channel reached the per-user settings" channel_saved "$work/xdg/tamvikvr/TamvikVRServer.ini" "$work/videos"
check "both settings files hold the same bytes" cmp "$work/xdg/tamvikvr/TamvikVRServer.ini" "$work/build/TamvikVRServer.ini"
check "installed server wrote its log there" test -s "$work/xdg/tamvikvr/TamvikVR Server[Log].txt"
find "$work/xdg/tamvikvr" -type f ! -perm 600 >"$work/open-files.txt"
cat "$work/open-files.txt"
check "every file in the data folder is 0600" test ! -s "$work/open-files.txt"

# The mouse relay of the installed server, on a virtual display: libCurvane.so comes from
# /usr/lib/tamvikvr, and once a headset stand-in has logged in, its datagrams reach it.
echo "== mouse relay on Xvfb"
if ! command -v Xvfb >/dev/null; then
  fail "Xvfb is not installed (scripts/install-deps.sh installs it)"
else
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display.txt" 2>"$work/xvfb.txt" &
  xvfb_pid=$!
  background_pids+=("$xvfb_pid")
  check "Xvfb tells its display" wait_for_line "$work/display.txt"
  export DISPLAY=":$(head -n 1 "$work/display.txt")"
  mouse_port=$(free_port)
  rm -f "$work/xdg/tamvikvr/TamvikVRServer.ini"
  printf '[Config]\niPortServer=%s\niPortHttp=%s\niPortMouse=%s\niUseMouse=1\n' "$control_port" "$http_port" \
    "$mouse_port" | write_utf16 "$work/xdg/tamvikvr/TamvikVRServer.ini"
  # Waits up to 20 s for one datagram on the mouse port and prints it (UTF-16LE or UTF-8 text).
  python3 -c '
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", int(sys.argv[1])))
s.settimeout(20)
data = s.recv(2048)
print(data.decode("utf-16-le") if data[1:2] == b"\0" else data.decode())' "$mouse_port" >"$work/datagram.txt" 2>&1 &
  receiver_pid=$!
  background_pids+=("$receiver_pid")
  start_program "$work/mouse-run.txt" "$server"
  check "installed server listens with the relay on" wait_for_text "$work/mouse-run.txt" "code=0x0001"
  check "the relay can capture (libCurvane.so loaded)" grep -qx "  mouse relay: on" "$work/mouse-run.txt"
  "$root/usr/bin/tamvikvr-client" --port "$control_port" hold 20 >"$work/hold.txt" 2>&1 &
  hold_pid=$!
  background_pids+=("$hold_pid")
  xdotool mousemove 300 200 2>/dev/null || true
  wait "$receiver_pid" || true
  cat "$work/datagram.txt"
  check "a mouse datagram reached the logged-in headset stand-in" grep -q '^#MOUSE(ct=' "$work/datagram.txt"
  kill -TERM "$hold_pid" 2>/dev/null || true
  stop_server
  check "installed server with the relay exits 0" test "$stop_status" = 0
  kill -TERM "$xvfb_pid" && wait "$xvfb_pid" || true
fi
finish
