#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Linux desktop program as a person meets it, on a virtual display (Xvfb): start
# tamvikvr-server-gui, find its window, force a disconnect of a connected headset with the global
# hot key, open the settings dialog from the keyboard and accept it, and stop the program with
# SIGTERM; then check the settings file and the log. A second program on the same display cannot
# have the hot keys and one without a display has none; both say so and still run, and stop
# cleanly on SIGTERM and on SIGHUP (a closed terminal). Enter in a path box applies the rows and
# the program runs on; the event window, opened by a double-click on the status bar, shows the
# refusal a real client met; a copy on busy ports says why. --help needs no display. The language
# follows the system's (LC_MESSAGES ja: Japanese; LC_ALL C over LANG ja: English) unless --language says
# otherwise, and in English no window shows a Japanese character. Screenshots of the windows in
# both languages go to the output folder.
#
#   desktop_gui_test.sh tamvikvr-server-gui tamvikvr-client OUTPUT_FOLDER
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"

program=$(realpath "$1")
client=$(realpath "$2")
shots=$(mkdir -p "$3" && realpath "$3")
title="TamvikVR Server Ver1.32a"
# The windows in Japanese as they are written: by --language, since a locale this machine lacks
# would leave the program's X titles in the C character set; the window without a display gets
# Japanese from its LC_MESSAGES instead.
unset LC_ALL LC_MESSAGES
began=$(date +%s)

check "--help answers without a display" bash -c "env -u DISPLAY -u WAYLAND_DISPLAY '$program' --help | grep -q -- --data-dir"
check "--version answers without a display" bash -c "env -u DISPLAY -u WAYLAND_DISPLAY '$program' --version | grep -q 1.32a"

Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
background_pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

# A copy of the program keeps its files beside itself, as a build tree does.
install="$work/install"
mkdir -p "$install"
cp "$program" "$install/"
read -r control_port http_port < <(two_free_ports)
write_utf16 "$install/TamvikVRServer.ini" <<INI
[Config]
iPortServer=$control_port
iPortHttp=$http_port
iServerLog=1
INI
log="$install/TamvikVR Server[Log].txt"
ini_value() { read_utf16 "$1/TamvikVRServer.ini" | awk -v section="[$2]" -v key="$3" -F= '
  /^\[/ { in_section = ($0 == section) } in_section && $1 == key { print substr($0, length(key) + 2) }'; }
wait_ini() { for _ in $(seq 1 100); do [ "$(ini_value "$1" "$2" "$3")" = "$4" ] && return 0; sleep 0.1; done; return 1; }
window_of() { xdotool search --name "^$1\$" 2>/dev/null | head -1; }
wait_window() { for _ in $(seq 1 200); do [ -n "$(window_of "$1")" ] && return 0; sleep 0.05; done; return 1; }
visible_of() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
wait_visible() { for _ in $(seq 1 200); do [ -n "$(visible_of "$1")" ] && return 0; sleep 0.05; done; return 1; }
gone_visible() { for _ in $(seq 1 200); do [ -z "$(visible_of "$1")" ] && return 0; sleep 0.05; done; return 1; }
wait_for_file() { for _ in $(seq 1 100); do [ -e "$1" ] && return 0; sleep 0.05; done; return 1; }
wait_focus() { for _ in $(seq 1 100); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0; sleep 0.05; done; return 1; }
gone_window() { for _ in $(seq 1 200); do [ -z "$(window_of "$1")" ] && return 0; sleep 0.05; done; return 1; }
# Under load Xvfb now and then resets a new client's connection, which Qt takes as the end of the
# program ("could not connect to display"). Such a start is made again, up to three times.
display_refused() { grep -q "could not connect to display" "$1"; }
# Starts a program in the background, its output to $1, the command after it, and sets started to
# its pid once it has a window or has ended.
start_on_display() {
  local out=$1 attempt
  shift
  for attempt in 1 2 3; do
    "$@" >"$out" 2>&1 &
    started=$!
    for _ in $(seq 1 200); do
      [ -n "$(xdotool search --pid "$started" 2>/dev/null | head -1)" ] && return 0
      kill -0 "$started" 2>/dev/null || break
      sleep 0.05
    done
    display_refused "$out" || return 0
    echo "note: the display refused a new connection; starting again: $*"
  done
}

start_on_display "$work/program.txt" env -C "$install" ./tamvikvr-server-gui --language ja
server_pid=$started
check "the main window comes up" wait_window "$title"
check "the control server waits for the headset" wait_for_text "$log" "接続待ち"
check "the hot keys are held (nothing said about them)" bash -c "! grep -q ホットキー \"$work/program.txt\""

"$client" --port "$control_port" hold 60 >"$work/hold.txt" 2>&1 &
hold=$!
background_pids+=($hold)
check "the headset connects" wait_for_text "$log" "接続中"
xdotool key ctrl+shift+alt+s
hold_status=0
wait "$hold" || hold_status=$?
check "Ctrl+Shift+Alt+S drops the headset (client status $hold_status)" test "$hold_status" = 3
check "the log has the forced disconnect" wait_for_text "$log" "切断(強制切断)"
check "the window shows waiting again" wait_for_lines "$log" "接続待ち" 2
sleep 0.3  # two ticks, so that the status bar shows the events before the picture
import -window "$(window_of "$title")" "$shots/main-window.png" 2>/dev/null

# Ctrl+E opens the event window beside the main window, not over it. A second start for the same
# data folder brings the running window forward (the focus back on it) and ends at once, saying so.
main_id=$(window_of "$title")
xdotool windowfocus --sync "$main_id"
xdotool key ctrl+e
events="イベント - TamvikVR Server"
check "Ctrl+E opens the event window" wait_window "$events"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$main_id" | sed 's/^/MAIN_/')"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$events")" | sed 's/^/EVENTS_/')"
check "the event window lies beside the main window, not over it" \
  test $((EVENTS_X >= MAIN_X + MAIN_WIDTH || EVENTS_X + EVENTS_WIDTH <= MAIN_X ||
          EVENTS_Y >= MAIN_Y + MAIN_HEIGHT || EVENTS_Y + EVENTS_HEIGHT <= MAIN_Y)) = 1
check "the event window has the focus" test "$(xdotool getwindowfocus)" = "$(window_of "$events")"
import -window root -crop "$((MAIN_WIDTH + EVENTS_WIDTH + 40))x$((MAIN_HEIGHT + EVENTS_HEIGHT + 40))+$((MAIN_X < EVENTS_X ? MAIN_X : EVENTS_X))+$((MAIN_Y < EVENTS_Y ? MAIN_Y : EVENTS_Y))" \
  "$shots/event-window-beside.png" 2>/dev/null
for _ in 1 2 3; do
  second=0
  (cd "$install" && exec timeout 20 ./tamvikvr-server-gui --language ja >"$work/second.txt" 2>&1) || second=$?
  display_refused "$work/second.txt" || break
done
check "a second start for the same folder ends at once (status $second)" test "$second" = 0
check "it says the running program's window was brought forward" grep -q "already runs for .*brought forward" "$work/second.txt"
check "the running window has the focus again" wait_focus "$main_id"
check "one main window, the first one" test "$(xdotool search --name "^$title\$" | wc -l)" = 1
check "the first program still serves" kill -0 "$server_pid"

# A second program on the same display finds the keys taken, one without a display has none;
# each says so once and runs on (each in a folder of its own, on ports of its own).
for other in taken none; do
  mkdir -p "$work/$other"
  read -r port_a port_b < <(two_free_ports)
  write_utf16 "$work/$other/TamvikVRServer.ini" <<INI
[Config]
iPortServer=$port_a
iPortHttp=$port_b
iServerLog=1
INI
  if [ "$other" = taken ]; then
    start_on_display "$work/$other.txt" "$program" --language ja --data-dir "$work/$other"
    pid=$started
  else
    env -u DISPLAY LC_MESSAGES=ja_JP.UTF-8 QT_QPA_PLATFORM=offscreen "$program" --data-dir "$work/$other" >"$work/$other.txt" 2>&1 &
    pid=$!
  fi
  background_pids+=($pid)
  check "the $other program's window still runs" wait_for_text "$work/$other/TamvikVR Server[Log].txt" "接続待ち"
  check "the $other program says why it has no hot keys" wait_for_text "$work/$other.txt" "ホットキー"
  # A closed terminal sends SIGHUP: the program stops as on SIGTERM, its log closed.
  if [ "$other" = taken ]; then signal=TERM; else signal=HUP; fi
  kill "-$signal" "$pid"
  status=0
  wait "$pid" || status=$?
  check "the $other program ends cleanly on SIG$signal (status $status)" test "$status" = 0
  check "the $other program's log ends with SHUTDOWN" \
    grep -qE ", SHUTDOWN$" < <(tail -n 1 "$work/$other/TamvikVR Server[Log].txt")
done
check "a second program says the hot keys are taken" grep -q "他のプログラムが使っています" "$work/taken.txt"
check "a program without a display says it has no hot keys" grep -q "X ディスプレイがありません" "$work/none.txt"

# Enter in row 2's path box (Tab twice from row 1's type: row 1 is a VR device, its box is off)
# applies the rows as 適用 does, and says that the folder is not there; the program runs on.
xdotool windowfocus --sync "$(window_of "$title")"
xdotool key Tab Tab
xdotool type --delay 20 "/no/such/folder"
xdotool key Return
check "Enter in a path box saves the rows" wait_ini "$install" ch.1 pcPath /no/such/folder
check "the program runs on after Enter" kill -0 "$server_pid"
check "the missing folder is said" wait_for_text "$work/program.txt" "チャンネル2 のフォルダがありません: /no/such/folder"

# A real client's refused request reaches the event window, opened by a double-click on the
# status bar; the console prints the same stream.
"$client" --port "$control_port" list 1 >"$work/refused.txt" 2>&1 || true
check "the client is refused channel 1" grep -q "refused #CMD_GET_CHANNEL" "$work/refused.txt"
check "the console has the refusal with its reason" wait_for_text "$work/program.txt" "refused #CMD_GET_CHANNEL: channel 2"
xdotool windowfocus --sync "$(window_of "$events")"
xdotool key Escape
check "Escape puts the event window away" gone_visible "$events"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$title")")"
xdotool mousemove $((X + 40)) $((Y + HEIGHT - 8)) click --repeat 2 --delay 60 1
check "a double-click on the status bar opens the event window" wait_visible "$events"
sleep 0.3
import -window "$(window_of "$events")" "$shots/event-window.png" 2>/dev/null
xdotool windowfocus --sync "$(visible_of "$events")"
xdotool key Escape
check "the event window closes" gone_visible "$events"

# The settings dialog from the keyboard: Shift+Tab from row 2's path box reaches 設定 in five steps.
xdotool windowfocus --sync "$(window_of "$title")"
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
check "設定 opens the settings dialog" wait_window "設定"
sleep 0.3
import -window "$(window_of "設定")" "$shots/settings-dialog.png" 2>/dev/null
xdotool windowfocus --sync "$(window_of "設定")"
xdotool key Return
check "OK closes the dialog" gone_window "設定"
check "OK kept the dialog's rectangle" test -n "$(ini_value "$install" cdlgConfig mrcWnd.rcRight)"

stop_server
check "SIGTERM ends the program as closing the window does (status $stop_status)" test "$stop_status" = 0
check "the log ends with SHUTDOWN" test "$(tail -1 "$log" | awk -F', ' '{print $3}' | tr -d ' ')" = SHUTDOWN
check "the main window's rectangle is kept" grep -qE '^ *-?[0-9]+$' <<<"$(ini_value "$install" cdlgMain mrcWnd.rcRight)"

# A copy on ports another program holds comes up and says why, in full, on its console and in
# the status bar (screenshot).
mkdir -p "$work/busy"
hold_ports "$control_port" "$http_port" >"$work/held.txt" &
holder=$!
background_pids+=($holder)
check "another program holds the ports" wait_for_text "$work/held.txt" held
cp "$install/TamvikVRServer.ini" "$work/busy/"
start_on_display "$work/busy.txt" "$program" --language=ja --data-dir "$work/busy"
busy=$started
background_pids+=($busy)
check "the copy on busy ports comes up" wait_window "$title"
check "it says the control port is in use, in full" \
  wait_for_text "$work/busy.txt" "[Config] iPortServer=$control_port cannot be used (another program listens on it, or it is not allowed)"
sleep 0.3
import -window "$(window_of "$title")" "$shots/main-window-busy-ports.png" 2>/dev/null
kill -TERM "$busy"
busy_status=0
wait "$busy" || busy_status=$?
check "the copy on busy ports ends cleanly (status $busy_status)" test "$busy_status" = 0
kill "$holder" 2>/dev/null || true

# 編集 on row 3's list, which the user has not made yet (ch3.vrl): the program makes it empty and
# private and opens it with the desktop's application for text (the user's default in
# mimeapps.list, through xdg-open); without any opener (no xdg-open, no $VISUAL or $EDITOR) it
# says so with the whole path (screenshot). Row 3's 編集 is seven Tabs from the first control.
editor_log="$work/edited.txt"
mkdir -p "$work/xdg/config" "$work/xdg/data/applications"
printf '#!/bin/sh\necho "$@" >"%s"\n' "$editor_log" >"$work/editor.sh"
chmod +x "$work/editor.sh"
printf '[Desktop Entry]\nType=Application\nName=Test editor\nExec=%s %%f\nMimeType=text/plain;\n' "$work/editor.sh" \
  >"$work/xdg/data/applications/tvr-test-editor.desktop"
printf '[Default Applications]\ntext/plain=tvr-test-editor.desktop\n' >"$work/xdg/config/mimeapps.list"
for opener in desktop none; do
  mkdir -p "$work/edit-$opener"
  read -r port_a port_b < <(two_free_ports)
  write_utf16 "$work/edit-$opener/TamvikVRServer.ini" <<INI
[Config]
iPortServer=$port_a
iPortHttp=$port_b
INI
  if [ "$opener" = desktop ]; then
    start_on_display "$work/edit-$opener.txt" env -u XDG_CURRENT_DESKTOP XDG_CONFIG_HOME="$work/xdg/config" \
      XDG_DATA_HOME="$work/xdg/data" "$program" --language ja --data-dir "$work/edit-$opener"
  else
    start_on_display "$work/edit-$opener.txt" env -u VISUAL -u EDITOR PATH=/nonexistent "$program" --language ja \
      --data-dir "$work/edit-$opener"
  fi
  pid=$started
  background_pids+=($pid)
  check "the program for 編集 ($opener) comes up" wait_window "$title"
  xdotool windowfocus --sync "$(window_of "$title")"
  xdotool key Tab Tab Tab Tab Tab Tab Tab space
  list="$work/edit-$opener/ch3.vrl"
  check "編集 makes the missing list file ($opener)" wait_for_file "$list"
  check "the list file is empty and private ($opener)" test "$(stat -c '%s %a' "$list")" = "0 600"
  if [ "$opener" = desktop ]; then
    check "the desktop's text application opens it" wait_for_text "$editor_log" "$list"
    check "the event list says the file was made" wait_for_text "$work/edit-$opener.txt" "空のリストファイルを作りました: $list"
  else
    check "without an opener the whole path is said" \
      wait_for_text "$work/edit-$opener.txt" "テキストエディタが見つかりません: $list"
    sleep 0.3
    import -window "$(window_of "$title")" "$shots/main-window-no-editor.png" 2>/dev/null
  fi
  kill -TERM "$pid"
  wait "$pid" || true
  check "the program for 編集 ($opener) is gone" gone_window "$title"
done

# English: LC_ALL (C over LANG ja) chooses it; the settings dialog and the event window come up
# under their English titles and nothing on screen is Japanese (screenshots *-en.png).
mkdir -p "$work/en"
read -r port_a port_b < <(two_free_ports)
write_utf16 "$work/en/TamvikVRServer.ini" <<INI
[Config]
iPortServer=$port_a
iPortHttp=$port_b
INI
start_on_display "$work/en.txt" env LC_ALL=C.UTF-8 LANG=ja_JP.UTF-8 "$program" --data-dir "$work/en"
english=$started
background_pids+=($english)
check "the English window comes up" wait_window "$title"
check "its console speaks English" wait_for_text "$work/en.txt" "waiting for a headset"
sleep 0.3
import -window "$(window_of "$title")" "$shots/main-window-en.png" 2>/dev/null
xdotool windowfocus --sync "$(window_of "$title")"
xdotool key Tab Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
check "Settings opens the settings dialog" wait_window "Settings"
sleep 0.3
import -window "$(window_of "Settings")" "$shots/settings-dialog-en.png" 2>/dev/null
xdotool windowfocus --sync "$(window_of "Settings")"
xdotool key Escape
check "Escape closes the dialog" gone_window "Settings"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$title")")"
xdotool mousemove $((X + 40)) $((Y + HEIGHT - 8)) click --repeat 2 --delay 60 1
check "the event window has its English title" wait_window "Events - TamvikVR Server"
sleep 0.3
import -window "$(window_of "Events - TamvikVR Server")" "$shots/event-window-en.png" 2>/dev/null
kill -TERM "$english"
english_status=0
wait "$english" || english_status=$?
check "the English program ends cleanly (status $english_status)" test "$english_status" = 0

# --language ja wins over an English system.
start_on_display "$work/ja.txt" env LC_ALL=C.UTF-8 "$program" --data-dir "$work/en" --language ja
japanese=$started
background_pids+=($japanese)
check "the window asked for in Japanese comes up" wait_window "$title"
xdotool windowfocus --sync "$(window_of "$title")"
xdotool key Tab Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
check "--language ja gives the settings dialog its Japanese title" wait_window "設定"
xdotool key Escape
kill -TERM "$japanese"
wait "$japanese" || true
check "an unknown language is refused" bash -c "! '$program' --language fr --version 2>/dev/null"
echo "window test took $(($(date +%s) - began)) s"
finish
