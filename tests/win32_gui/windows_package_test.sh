#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows packages as a Windows user meets them, under Wine on a virtual display: cpack makes
# the installer and the zip; a silent install puts the programs into Program Files, marked as
# installed, with a start-menu folder without the version; the installed server takes an earlier
# install's settings into %APPDATA%\TamvikVR once; the program started from its start-menu link
# shows its window and serves a channel set in %APPDATA%\TamvikVR\TamvikVRServer.ini to the Linux
# client, writing nothing in its own folder; the zip's copy keeps its files beside itself; the
# install with /STARTWITHWINDOWS /DESKTOPICON sets the Run value, the desktop icon and the
# installed size; an install over the running program closes it, replaces its files and the new
# program starts; an uninstall with a file in use fails and keeps the install; a silent uninstall
# with /REMOVESETTINGS closes the running program and leaves of the user's data folder only what
# is not the settings or the log.
#
#   windows_package_test.sh BUILD_WINDOWS_FOLDER LINUX_TAMVIKVR_CLIENT
#
# Runs in the Wine prefix of $WINEPREFIX (scripts/test-windows.sh makes one for the run).
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"
build=$(realpath "$1")
client=$(realpath "$2")
server_binary=tamvikvr-server.exe # the e2e helpers treat the server as a Windows one
wine_cmd=(setarch "$(uname -m)" -R wine)
title="TamvikVR Server Ver1.32a"

began=$(date +%s)
(cd "$build" && cpack -G "NSIS64;ZIP" >"$work/cpack.txt" 2>&1) || { cat "$work/cpack.txt"; exit 1; }
installer="$build/TamvikVRServer-1.32a-win64.exe"
zip="$build/TamvikVRServer-1.32a-win64.zip"
echo "cpack took $(($(date +%s) - began)) s; installer $(stat -c %s "$installer") bytes, zip $(stat -c %s "$zip") bytes"
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
for file in TamvikVRServer.exe tamvikvr-server.exe tamvikvr-client.exe Curvane.dll ZentrovaDirectShow.dll docs/LICENSE; do
  check "the zip holds $file" grep -qx "TamvikVRServer-1.32a-win64/$file" <<<"$listing"
done
check "the zip holds no install marker" bash -c '! grep -q InstalledBySetup <<<"$1"' _ "$listing"

# The prefix's desktop process keeps the display it was started with: end the prefix's Wine
# processes, so that they start again on this display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; cleanup' EXIT
Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
background_pids+=($!)
check "Xvfb tells its display" wait_for_line "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"

drive_c="$WINEPREFIX/drive_c"
target="$drive_c/Program Files/TamvikVR Server"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/TamvikVR Server"
appdata_windows=$("${wine_cmd[@]}" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data="$drive_c/$(sed 's|^[Cc]:\\||; s|\\|/|g' <<<"$appdata_windows")/TamvikVR"
echo "%APPDATA% is $appdata_windows"
rm -rf "$data"

# An earlier install kept its settings beside the program.
read -r control_port http_port < <(two_free_ports)
mkdir -p "$target"
printf '[File]\npcExt=mp4 mkv\n[Config]\niPortServer=%s\niPortHttp=%s\niPortMouse=%s\n' \
  "$control_port" "$http_port" "$(free_port)" | write_utf16 "$target/TamvikVRServer.ini"

began=$(date +%s)
install_status=0
"${wine_cmd[@]}" "$installer" /S /STARTWITHWINDOWS /DESKTOPICON >"$work/install.txt" 2>&1 || install_status=$?
echo "silent install took $(($(date +%s) - began)) s"
check "the silent install succeeds where netsh has no firewall (status $install_status)" test "$install_status" = 0
for file in TamvikVRServer.exe tamvikvr-server.exe tamvikvr-client.exe Curvane.dll ZentrovaDirectShow.dll \
  Uninstall.exe InstalledBySetup.txt docs/LICENSE; do
  check "the installer puts $file in Program Files" test -f "$target/$file"
done
check "the start-menu folder has no version and holds the program" test -f "$menu/TamvikVR Server.lnk"
desktop_link="$drive_c/users/Public/Desktop/TamvikVR Server.lnk"  # the installer works for all users
check "/DESKTOPICON puts the program's icon on the desktop" test -f "$desktop_link"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
"${wine_cmd[@]}" reg query "$run_key" /v "TamvikVR Server" >"$work/run-key.txt" 2>&1 || true
check "/STARTWITHWINDOWS starts the program with the user's Windows" \
  grep -qF 'C:\Program Files\TamvikVR Server\TamvikVRServer.exe' "$work/run-key.txt"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TamvikVR Server'
"${wine_cmd[@]}" reg query "$uninstall_key" /v EstimatedSize >"$work/size.txt" 2>&1 || true
size_kib=$(($(grep -o '0x[0-9a-fA-F]*' "$work/size.txt" || echo 0)))
folder_kib=$(du -sk "$target" | cut -f1)
check "Apps & features shows the installed size ($size_kib KiB, the folder $folder_kib KiB)" \
  test "$size_kib" -gt $((folder_kib / 2)) -a "$size_kib" -le $((folder_kib * 2))
check "the earlier install's settings are left where they were" test -f "$target/TamvikVRServer.ini"
(cd "$target" && find . -type f | sort) >"$work/installed-files.txt"

# The installed server without a window: its data folder is %APPDATA%\TamvikVR, made at its
# first start, holding the earlier install's settings.
start_console() {
  local folder=$1 console=$2
  (cd "$folder" && exec "${wine_cmd[@]}" ./tamvikvr-server.exe >"$console" 2>&1) &
  server_pid=$!
}
start_console "$target" "$work/installed-console.txt"
check "the installed server listens on the earlier install's port" \
  wait_for_text "$work/installed-console.txt" "code=0x0001"
stop_server
data_line=$(tr -d '\r' <"$work/installed-console.txt" | sed -n 's/^  data folder: //p')
check "the installed server keeps its data in %APPDATA%\\TamvikVR ($data_line)" test "$data_line" = "$appdata_windows\TamvikVR"
ini_has() { read_utf16 "$1" | grep -qx -- "$2"; }
check "it took the earlier install's settings once" ini_has "$data/TamvikVRServer.ini" "pcExt=mp4 mkv"
check "and said nothing of the media helper, which lies beside it" \
  bash -c '! grep -qF "ZentrovaDirectShow" "$1"' _ "$work/installed-console.txt"

# A channel set in %APPDATA%\TamvikVR\TamvikVRServer.ini; the program started from the start menu.
mkdir -p "$work/videos"
printf 'a fake but whole video file\n' >"$work/videos/a.mp4"
read -r control_port http_port < <(two_free_ports)
printf '[ch.1]\niType=0\npcPath=Z:%s\n[Config]\niPortServer=%s\niPortHttp=%s\niPortMouse=%s\niServerLog=1\n' \
  "$(tr '/' '\\' <<<"$work/videos")" "$control_port" "$http_port" "$(free_port)" | write_utf16 "$data/TamvikVRServer.ini"
"${wine_cmd[@]}" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\TamvikVR Server\TamvikVR Server.lnk' \
  >"$work/start.txt" 2>&1 &
background_pids+=($!)
window_shown() { xdotool search --name "^$title\$" >/dev/null 2>&1; }
wait_for_window() { for _ in $(seq 1 300); do window_shown && return 0; sleep 0.1; done; return 1; }
check "the program started from its start-menu link shows its window" wait_for_window
cat "$work/start.txt"
check "it serves the control port set in %APPDATA%" wait_for_text "$data/TamvikVR Server[Log].txt" "接続待ち"
"$client" --port "$control_port" list 1 >"$work/list.txt" 2>&1 || true
cat "$work/list.txt"
check "the Linux client lists the channel set in %APPDATA%" grep -qF "/a.mp4" "$work/list.txt"
# taskkill without /f closes the window, which ends the program as its close box does.
"${wine_cmd[@]}" taskkill /im TamvikVRServer.exe >/dev/null 2>&1 || true
gone() { for _ in $(seq 1 100); do window_shown || return 0; sleep 0.1; done; return 1; }
check "the window closes" gone
check "it stopped cleanly, its log in %APPDATA% ending with SHUTDOWN" \
  test "$(tail -n 1 "$data/TamvikVR Server[Log].txt" | tr -d '\r' | grep -c 'SHUTDOWN$')" = 1
(cd "$target" && find . -type f | sort) >"$work/after-run.txt"
check "the installed programs wrote nothing in their own folder" cmp "$work/installed-files.txt" "$work/after-run.txt"

# The zip's copy keeps its files beside itself; its start to listening beside the installed one's.
mkdir -p "$work/zip"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/zip"
portable="$work/zip/TamvikVRServer-1.32a-win64"
# Taken in turns, so that a busy machine slows both alike; the medians are printed, not judged.
for round in 1 2 3 4 5; do
  for which in zip installed; do
    if [ "$which" = zip ]; then folder=$portable; else folder=$target; fi
    start_ms=$(date +%s%3N)
    start_console "$folder" "$work/$which-$round.txt"
    wait_for_text "$work/$which-$round.txt" "code=0x0001" || fail "$which copy did not listen"
    echo "$(($(date +%s%3N) - start_ms))" >>"$work/$which-times.txt"
    stop_server
  done
done
for which in zip installed; do
  echo "$which copy: start to listening, median of 5: $(sort -n "$work/$which-times.txt" | sed -n 3p) ms"
done
check "the zip's copy keeps its settings beside itself" test -s "$portable/TamvikVRServer.ini"
check "the zip's copy names its own folder" \
  grep -q "^  data folder: .*TamvikVRServer-1.32a-win64\$" <(server_text "$work/zip-1.txt")

# Installed again over the running program (the desktop program from the start menu): the
# installer closes it as its 終了 does, replaces its files, and the new program starts. The old
# uninstaller it runs first takes the desktop icon with it, which this install, without
# /DESKTOPICON, does not make again; the user's settings stay. (With /STARTWITHWINDOWS again, so
# that the last uninstall has a Run value to remove.)
log_starts() { grep -c "接続待ち" <(server_text "$data/TamvikVR Server[Log].txt") || true; }
starts_before=$(log_starts)
"${wine_cmd[@]}" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\TamvikVR Server\TamvikVR Server.lnk' \
  >"$work/start-before-update.txt" 2>&1 &
background_pids+=($!)
check "the program runs before the second install" wait_for_window
serving_again() { for _ in $(seq 1 200); do [ "$(log_starts)" -gt "$starts_before" ] && return 0; sleep 0.05; done; return 1; }
check "and serves" serving_again
# A program file of the running install that differs from the installer's: the install must replace it.
printf 'not the installer'"'"'s bytes' >>"$target/TamvikVRServer.exe"
update_status=0
"${wine_cmd[@]}" "$installer" /S /STARTWITHWINDOWS >"$work/update.txt" 2>&1 || update_status=$?
check "the install over the running program succeeds (status $update_status)" test "$update_status" = 0
check "it closed the running program as its 終了 does, its log ending with SHUTDOWN" \
  test "$(tail -n 1 "$data/TamvikVR Server[Log].txt" | tr -d '\r' | grep -c 'SHUTDOWN$')" = 1
check "the window of the old program is gone" gone
check "the running program's file was replaced" cmp "$build/TamvikVRServer.exe" "$target/TamvikVRServer.exe"
check "without /DESKTOPICON there is no desktop icon (the old one went with the old install)" test ! -e "$desktop_link"
check "the user's settings stay" ini_has "$data/TamvikVRServer.ini" "iPortServer=$control_port"
"${wine_cmd[@]}" reg query "$run_key" /v "TamvikVR Server" >"$work/run-key-again.txt" 2>&1 || true
check "/STARTWITHWINDOWS again keeps the program starting with Windows" \
  grep -qF 'C:\Program Files\TamvikVR Server\TamvikVRServer.exe' "$work/run-key-again.txt"
starts_before=$(log_starts)
"${wine_cmd[@]}" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\TamvikVR Server\TamvikVR Server.lnk' \
  >"$work/start-after-update.txt" 2>&1 &
background_pids+=($!)
check "the new program starts from its start-menu link" wait_for_window
check "and serves" serving_again
"${wine_cmd[@]}" taskkill /im TamvikVRServer.exe >/dev/null 2>&1 || true
check "and closes" gone

# A server the uninstaller does not close (the console one, from the install folder) keeps its
# files in use: the uninstaller, run in place, says so, ends unsuccessfully and keeps itself and
# its registry entries for another try.
start_console "$target" "$work/busy-console.txt"
check "the console server runs from the install folder" wait_for_text "$work/busy-console.txt" "code=0x0001"
# NSIS reads _?= only unquoted, which wine's own command line would quote: a batch file runs the
# uninstaller in place, waits for it and passes on its status.
printf '@"C:\\Program Files\\TamvikVR Server\\Uninstall.exe" /S _?=C:\\Program Files\\TamvikVR Server\r\n@exit /b %%errorlevel%%\r\n' \
  >"$drive_c/uninstall-in-place.bat"
busy_status=0
"${wine_cmd[@]}" cmd /c 'C:\uninstall-in-place.bat' >"$work/busy-uninstall.txt" 2>&1 || busy_status=$?
check "the uninstall with a file in use does not report success (status $busy_status)" test "$busy_status" != 0
check "and keeps the program in use" test -f "$target/tamvikvr-server.exe"
check "and itself" test -f "$target/Uninstall.exe"
check "and the mark that sends the program's data to %APPDATA%" test -f "$target/InstalledBySetup.txt"
check "and its Apps & features entry" \
  "${wine_cmd[@]}" reg query "$uninstall_key"
stop_server

# Uninstalled with /REMOVESETTINGS while the program started from the start menu runs: the
# uninstaller asks it to end as its 終了 does, waits for it, and only then removes its files;
# then the settings and the log, and nothing else of the data folder.
printf 'Z:\\videos\\a.mp4\r\n' >"$data/ch3.vrl"
printf 'the user keeps this\r\n' >"$data/notes.txt"
starts_before=$(log_starts)
"${wine_cmd[@]}" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\TamvikVR Server\TamvikVR Server.lnk' \
  >"$work/start-again.txt" 2>&1 &
background_pids+=($!)
check "the program runs again before the uninstall" wait_for_window
check "and serves again" serving_again
began=$(date +%s)
"${wine_cmd[@]}" "$target/Uninstall.exe" /S /REMOVESETTINGS
# The uninstaller runs on from a copy in the temporary folder; its last step is the start menu.
# It first waits for the running program to end (10 s at most).
for _ in $(seq 1 300); do [ -e "$target/TamvikVRServer.exe" ] || [ -e "$menu" ] || break; sleep 0.1; done
echo "silent uninstall took $(($(date +%s) - began)) s"
# Only the earlier install's settings file, which this installer did not make, may stay there.
check "the uninstaller removes everything it put in the install folder" \
  test "$(cd "$target" 2>/dev/null && find . -type f)" = "./TamvikVRServer.ini"
check "no program of the install runs after the uninstall" bash -c '! pgrep -f "TamvikVRServer\.exe" >/dev/null'
check "and the start-menu folder" test ! -e "$menu"
for key in 'HKLM\Software\TamvikVR' 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TamvikVR Server'; do
  check "and the registry key $key" bash -c '! "${@}" reg query "$0" >/dev/null 2>&1' "$key" "${wine_cmd[@]}"
done
check "and the Run value" bash -c '! "${@}" reg query "$0" /v "TamvikVR Server" >/dev/null 2>&1' "$run_key" "${wine_cmd[@]}"
check "/REMOVESETTINGS removes the settings" test ! -e "$data/TamvikVRServer.ini"
check "and the log" test ! -e "$data/TamvikVR Server[Log].txt"
check "and keeps the user's lists and other files" test -s "$data/ch3.vrl" -a -s "$data/notes.txt"
echo "what the install left:"
find "$target" "$menu" "$data" 2>/dev/null | sed "s|^$drive_c|C:|" || true
wineserver -k 2>/dev/null || true
finish
