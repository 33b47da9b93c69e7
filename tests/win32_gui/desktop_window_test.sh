#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop program as a person meets it, under Wine on a virtual display (Xvfb): start
# TamvikVRServer.exe, find its window from another program (gui_driver.exe), read the title and
# the address, apply a channel row, run the settings dialog (a bad port refused, then OK), force a
# disconnect of a connected headset by button and by hot key, hide to the tray and come back, quit
# from the tray menu; then check the settings file and the log. Enter in a path box applies the
# rows and the program runs on; a PC folder that is not there is said in the status bar; the event
# window lists a real client's refused request and opens from the system menu (Alt+Space, E), by
# Ctrl+E and by a double-click on the status bar, whose tooltip says so; a second start for the
# same folder brings the running window back and ends; a second copy on busy ports says why; without the
# media helper the window comes up, then says so in a message box. Screenshots
# of the main window, the settings dialog and the event window go to the output folder.
#
#   desktop_window_test.sh TamvikVRServer.exe gui_driver.exe tamvikvr-client OUTPUT_FOLDER
#
# Runs in the Wine prefix of $WINEPREFIX (scripts/test-windows.sh makes one for the run).
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"

program=$(realpath "$1")
driver=$(realpath "$2")
client=$(realpath "$3")
shots=$(mkdir -p "$4" && realpath "$4")
server_binary=$program  # the e2e helpers treat it as a Windows server
title="TamvikVR Server Ver1.32a"

# A prefix's desktop process keeps the display it was started with (scripts/test-windows.sh boots
# its prefix without one): end the prefix's Wine processes now, so that they start again on our
# display, and when the test ends, so that the next user of the prefix does not meet a display
# that has gone.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; cleanup' EXIT

# A display of our own; -displayfd names a free one.
Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
background_pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

# Japanese text needs a font that has it: the dialogs' "MS Shell Dlg" becomes IPA Gothic.
wine_cmd=(setarch "$(uname -m)" -R wine)
for face in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Tahoma"; do
  "${wine_cmd[@]}" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1
done

read -r control_port http_port < <(two_free_ports)
install="$work/install"
mkdir -p "$install/videos"
cp "$program" "$install/"
# The media helper ships beside the program; without it a message box would wait for a click.
cp "$(dirname "$program")/ZentrovaDirectShow.dll" "$install/"
write_utf16 "$install/TamvikVRServer.ini" <<INI
[Config]
iPortServer=$control_port
iPortHttp=$http_port
iPortMouse=$(free_port)
iServerLog=1
INI
log="$install/TamvikVR Server[Log].txt"
ini_value() { read_utf16 "$install/TamvikVRServer.ini" | awk -v section="[$1]" -v key="$2" -F= '
  /^\[/ { in_section = ($0 == section) } in_section && $1 == key { print substr($0, length(key) + 2) }'; }
drive() { "${wine_cmd[@]}" "$driver" "$@" | tr -d '\r'; }
has_value() { [ -n "$(ini_value "$@")" ] && echo yes; }
# Waits until a command's output equals the text (at most 10 s).
wait_for() {
  local want=$1; shift
  for _ in $(seq 1 100); do [ "$("$@")" = "$want" ] && return 0; sleep 0.1; done
  return 1
}
shot() {
  local id
  id=$(xdotool search --name "^$1\$" | head -1)
  import -window "$id" "$shots/$2" 2>/dev/null
}

began=$(date +%s)
# A settings file that can neither be read nor created (a folder has its name) ends the program
# at once with status 0 and no window.
mkdir -p "$work/unusable/TamvikVRServer.ini"
cp "$program" "$work/unusable/"
unusable_status=0
(cd "$work/unusable" && exec timeout 60 "${wine_cmd[@]}" ./TamvikVRServer.exe >/dev/null 2>&1) || unusable_status=$?
check "an unusable settings file ends the program with status 0 (got $unusable_status)" test "$unusable_status" = 0

(cd "$install" && exec "${wine_cmd[@]}" ./TamvikVRServer.exe --language ja >"$work/program.txt" 2>&1) &
server_pid=$!
check "the main window comes up" drive wait "$title" 30000
check "its title" test "$(drive title "$title")" = "$title"
address=$(drive text "$title" 1056)
check "the address box shows an IPv4 address ($address)" grep -qE '^[0-9]+(\.[0-9]+){3}$' <<<"$address"
check "the control server waits for the headset" wait_for_text "$log" "接続待ち"
check "row 1 (VR device) has its folder button disabled" test "$(drive enabled "$title" 1025)" = 0
check "row 2 (PC folder) has its edit button disabled" test "$(drive enabled "$title" 1040)" = 0
check "row 3 (playlist) shows its list file" test "$(drive text "$title" 1009)" = ch3.vrl
shot "$title" main-window.png

# A channel row applied reaches the settings file.
drive set "$title" 1009 "Z:$install/videos"
drive select "$title" 1050 1
check "choosing PC folder disables the row's edit button" wait_for 0 drive enabled "$title" 1041
drive click "$title" 1004
check "apply saves the row's type" wait_for 0 ini_value ch.2 iType
check "apply saves the row's path" test "$(ini_value ch.2 pcPath | tr '\\' '/')" = "Z:$install/videos"

# Enter in a path box applies the rows as 適用 does; the window stays.
drive set "$title" 1018 "entered.vrl"
drive key "$title" 1018 13  # VK_RETURN
check "Enter in a path box saves the rows" wait_for entered.vrl ini_value ch.3 pcPath
check "the program runs on after Enter" test "$(drive visible "$title")" = 1

# A PC folder that is not there is kept as typed and said at once.
drive select "$title" 1052 1
drive set "$title" 1020 "Z:$install/no such folder"
drive click "$title" 1004
check "a missing folder is stored as typed" wait_for "Z:$install/no such folder" ini_value ch.4 pcPath
missing_tip() { drive tip "$title" 100 1 | grep -c "no such folder"; }
check "the status bar says the folder is missing" wait_for 1 missing_tip

# Settings: a bad port is refused with a message naming the field; then OK saves.
drive click "$title" 1003
check "the settings dialog opens" drive wait "設定" 10000
check "it shows the control port" test "$(drive text "設定" 1034)" = "$control_port"
shot "設定" settings-dialog.png
drive set "設定" 1016 "mp4 mkv"
drive set "設定" 1032 0
drive click "設定" 1001
check "a port of 0 is refused with a message" drive wait "TamvikVR Server" 10000
drive post "TamvikVR Server" 273 1 0  # WM_COMMAND IDOK closes the message box
check "the message box closes" drive gone "TamvikVR Server" 10000
check "the dialog stays open" test "$(drive visible "設定")" = 1
check "nothing was saved" test "$(ini_value File pcExt)" = mp4
drive set "設定" 1032 "$http_port"
drive set "設定" 1013 "back"
drive click "設定" 1001
check "OK closes the dialog" drive gone "設定" 10000
check "OK saves the extensions" wait_for "mp4 mkv" ini_value File pcExt
check "letters in a number field save 0" test "$(ini_value Setup iSeek1RW)" = 0
check "the dialog's rectangle is kept" wait_for yes has_value cdlgConfig mrcWnd.rcLeft

# Force disconnect by the button, then by the hot key, each with a headset connected.
"$client" --port "$control_port" hold 60 >"$work/hold1.txt" 2>&1 &
hold=$!
background_pids+=($hold)
check "the headset connects" wait_for_text "$log" "接続中"
drive click "$title" 1035
hold_status=0
wait "$hold" || hold_status=$?
check "強制 切断 drops the headset (client status $hold_status)" test "$hold_status" = 3
check "the log has the forced disconnect" wait_for_text "$log" "切断(強制切断)"
check "the window shows waiting again" wait_for_lines "$log" "接続待ち" 2
"$client" --port "$control_port" hold 60 >"$work/hold2.txt" 2>&1 &
hold=$!
background_pids+=($hold)
check "the headset connects again" wait_for_lines "$log" "接続中" 2
xdotool key ctrl+shift+alt+s
hold_status=0
wait "$hold" || hold_status=$?
check "Ctrl+Shift+Alt+S drops the headset (client status $hold_status)" test "$hold_status" = 3
check "the log has the second forced disconnect" wait_for_lines "$log" "切断(強制切断)" 2

# A real client's refused request is in the event window, opened from the tray menu; a
# double-click on the status bar opens it again after it was closed.
refused=$("$client" --port "$control_port" list 1 2>&1 || true)
check "the client is refused channel 1 ($refused)" grep -q "console" <<<"$refused"
events="イベント - TamvikVR Server"
# From the keyboard, as a Windows user looks for a window's extras: Alt+Space, then E.
main_id=$(xdotool search --name "^$title\$" | head -1)
xdotool windowfocus --sync "$main_id"
xdotool key alt+space
sleep 1  # the menu has no window of its own to wait for; the screenshot shows it open
import -window root "$shots/system-menu.png" 2>/dev/null
xdotool key e
check "Alt+Space, E (the system menu's イベントを表示(&E)) opens the event window" drive wait "$events" 10000
read -r main_left main_top main_right main_bottom < <(drive rect "$title")
read -r events_left events_top events_right events_bottom < <(drive rect "$events")
check "the event window lies beside the main window, not over it" \
  test $((events_left >= main_right || events_right <= main_left || events_top >= main_bottom ||
          events_bottom <= main_top)) = 1
listed_refusal() { drive items "$events" 1100 | grep -c "refused #CMD_GET_CHANNEL: channel 2"; }
check "the event window lists the refusal" wait_for 1 listed_refusal
listed_folder() { drive items "$events" 1100 | grep -c "no such folder"; }
check "the event window lists the missing folder" wait_for 1 listed_folder
drive items "$events" 1100 >"$work/events.txt"
in_order() {
  awk '/接続中/ && !c { c = NR } /切断\(強制切断\)/ && !d { d = NR } /refused #CMD_GET_CHANNEL/ { r = NR }
       END { exit !(c && d && r && c < d && d < r) }' "$work/events.txt"
}
check "the event window lists connection, disconnection and refusal in order" in_order
shot "$events" event-window.png
drive post "$events" 16 0 0  # WM_CLOSE hides it
check "closing the event window hides it" wait_for 0 drive visible "$events"
read -r left top right bottom < <(drive rect "$title")
xdotool mousemove $((left + 60)) $((bottom - 12)) click --repeat 2 --delay 80 1
check "a double-click on the status bar opens it again" wait_for 1 drive visible "$events"
drive post "$events" 16 0 0
check "closing the event window hides it again" wait_for 0 drive visible "$events"
xdotool windowfocus --sync "$main_id"
xdotool key ctrl+e
check "Ctrl+E in the main window opens it again" wait_for 1 drive visible "$events"
drive post "$events" 16 0 0
check "closing the event window hides it a third time" wait_for 0 drive visible "$events"
# Resting on the status bar shows its whole text and how to open the events.
hint="ダブルクリック (Ctrl+E) でイベントを表示"
check "the status bar's tooltip ends with how to open the events" test "$(drive tip "$title" 100 1 | tail -1)" = "$hint"
check "the state part's tooltip is its text, then the hint" \
  test "$(drive tip "$title" 100 0)" = "$(drive part "$title" 100 0)"$'\n'"$hint"
xdotool mousemove $((left + 400)) $((bottom - 12))
sleep 2  # the tooltip shows after the pointer rests; the screenshot is looked at, not judged
import -window root "$shots/status-bar-tooltip.png" 2>/dev/null
xdotool mousemove 0 0

# A second start for the same folder while the window hides in the tray: the running window
# comes back and the second start ends at once; one window.
drive post "$title" 274 61472 0  # WM_SYSCOMMAND SC_MINIMIZE
check "the window hides in the tray" wait_for 0 drive visible "$title"
second_status=0
(cd "$install" && exec timeout 60 "${wine_cmd[@]}" ./TamvikVRServer.exe --language ja >/dev/null 2>&1) || second_status=$?
check "a second start for the same folder ends at once (status $second_status)" test "$second_status" = 1
check "the running window comes back from the tray" wait_for 1 drive visible "$title"
check "one main window" test "$(xdotool search --onlyvisible --name "^$title\$" | wc -l)" = 1
check "the running program still serves" kill -0 "$server_pid"

# The tray: minimising hides the window, a double-click on the icon shows it again.
drive post "$title" 274 61472 0  # WM_SYSCOMMAND SC_MINIMIZE
check "minimising hides the window in the tray" wait_for 0 drive visible "$title"
drive post "$title" 1024 40001 515  # the tray icon's message with WM_LBUTTONDBLCLK
check "a double-click on the tray icon shows it" wait_for 1 drive visible "$title"

# The tray menu's quit ends the program as 終了 does.
drive post "$title" 273 40002 0  # WM_COMMAND of "終了(&Q)"
for _ in $(seq 1 200); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.05; done
exit_status=0
wait "$server_pid" || exit_status=$?
server_pid=""
check "the program ends with status 1 after the tray's quit" test "$exit_status" = 1
check "the log ends with SHUTDOWN" test "$(server_text "$log" | tail -1 | awk -F', ' '{print $3}' | tr -d ' ')" = SHUTDOWN
check "the main window's rectangle is kept" grep -qE '^ *-?[0-9]+$' <<<"$(ini_value cdlgMain mrcWnd.rcRight)"
check "the applied row is still in the file" test "$(ini_value ch.2 iType)" = 0

# A second copy on busy ports: another program holds both ports; the window says so readably.
hold_ports "$control_port" "$http_port" >"$work/held.txt" &
holder=$!
background_pids+=($holder)
check "another program holds the ports" wait_for_text "$work/held.txt" held
(cd "$install" && exec "${wine_cmd[@]}" ./TamvikVRServer.exe --language=ja >"$work/second.txt" 2>&1) &
server_pid=$!
check "the second copy's window comes up" drive wait "$title" 30000
busy_tip() { drive tip "$title" 100 1 | grep -c "iPortServer=$control_port cannot be used"; }
check "its status bar's tooltip says the control port is in use" wait_for 1 busy_tip
tip=$(drive tip "$title" 100 1 | head -1)
shown=$(drive part "$title" 100 1)
# Whole, or the tooltip's start up to a space, then "…".
between_words() { local start=${shown%…}; [ "$shown" = "$tip" ] || { [[ $tip == "$start"* ]] && [ "${tip:${#start}:1}" = " " ]; }; }
check "the status bar shows the problem whole or cut between words ($shown)" between_words
shot "$title" main-window-busy-ports.png
drive post "$title" 273 40002 0
wait "$server_pid" || true
server_pid=""
kill "$holder" 2>/dev/null || true

# Without the media helper the window comes up first, then the message box; the program runs on.
mkdir -p "$work/no-helper"
cp "$program" "$work/no-helper/"
cp "$install/TamvikVRServer.ini" "$work/no-helper/"
(cd "$work/no-helper" && exec "${wine_cmd[@]}" ./TamvikVRServer.exe --language ja >/dev/null 2>&1) &
server_pid=$!
check "without the media helper the window comes up" drive wait "$title" 30000
check "and says so in a message box" drive wait "DLL エラー" 10000
drive post "DLL エラー" 273 1 0  # WM_COMMAND IDOK closes the message box
check "the message box closes" drive gone "DLL エラー" 10000
helper_tip() { drive tip "$title" 100 1 | grep -c "ZentrovaDirectShow.dll"; }
check "the status bar keeps the media helper's problem" wait_for 1 helper_tip
drive post "$title" 273 40002 0
exit_status=0
wait "$server_pid" || exit_status=$?
server_pid=""
check "the program without the media helper ends normally (status $exit_status)" test "$exit_status" = 1
# English, the choice of Wine's English user interface language (no --language): no control of
# the main window, the settings dialog, its message box or the event window shows Japanese.
no_japanese() { ! grep -P '[\x{3000}-\x{30FF}\x{4E00}-\x{9FFF}\x{FF00}-\x{FFEF}]' "$1"; }
(cd "$install" && exec env LC_ALL=C.UTF-8 "${wine_cmd[@]}" ./TamvikVRServer.exe >"$work/english.txt" 2>&1) &
server_pid=$!
check "the English main window comes up" drive wait "$title" 30000
check "its control server waits for the headset" wait_for_text "$log" "接続待ち"
drive dump "$title" >"$work/main-en.txt"
check "the main window has its English buttons" grep -qx "Settings" "$work/main-en.txt"
check "the main window's combo boxes list the English types" grep -qx "Favorites list" "$work/main-en.txt"
check "no control of the main window is Japanese" no_japanese "$work/main-en.txt"
check "its status bar's tooltip says how to open the events in English" \
  test "$(drive tip "$title" 100 1 | tail -1)" = "Double-click (Ctrl+E) to show the events"
shot "$title" main-window-en.png
drive click "$title" 1003
check "the English settings dialog opens" drive wait "Settings" 10000
drive dump "Settings" >"$work/settings-en.txt"
check "no control of the settings dialog is Japanese" no_japanese "$work/settings-en.txt"
shot "Settings" settings-dialog-en.png
drive set "Settings" 1032 0
drive click "Settings" 1001
check "a port of 0 is refused in English" drive wait "TamvikVR Server" 10000
drive dump "TamvikVR Server" >"$work/refusal-en.txt"
check "the refusal names the field in English" grep -q "Port (video)" "$work/refusal-en.txt"
check "the refusal is not Japanese" no_japanese "$work/refusal-en.txt"
drive post "TamvikVR Server" 273 1 0
check "the message box closes" drive gone "TamvikVR Server" 10000
drive post "Settings" 273 2 0  # IDCANCEL
check "Cancel closes the dialog" drive gone "Settings" 10000
drive post "$title" 273 40004 0
check "the event window has its English title" drive wait "Events - TamvikVR Server" 10000
drive dump "Events - TamvikVR Server" >"$work/events-en.txt"
drive items "Events - TamvikVR Server" 1100 >>"$work/events-en.txt"
cp "$work/events-en.txt" "$shots/events-en.txt"
check "the event window is listed in English" grep -qx "Events - TamvikVR Server" "$work/events-en.txt"
check "no line of the event window is Japanese" no_japanese "$work/events-en.txt"
shot "Events - TamvikVR Server" event-window-en.png
drive post "$title" 273 40002 0
wait "$server_pid" || true
server_pid=""
echo "window test took $(($(date +%s) - began)) s"
finish
