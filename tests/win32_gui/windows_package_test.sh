#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows packages: cpack makes the installer and the zip; the zip holds both programs and the
# client; the installer, run silently under Wine, puts them into Program Files with a start-menu
# entry and an uninstaller, which removes the programs again and leaves the user's files.
#
#   windows_package_test.sh BUILD_WINDOWS_FOLDER
#
# Runs in the Wine prefix of $WINEPREFIX.
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"
build=$(realpath "$1")
wine_cmd=(setarch "$(uname -m)" -R wine)

(cd "$build" && cpack -G "NSIS64;ZIP" >"$work/cpack.txt" 2>&1) || { cat "$work/cpack.txt"; exit 1; }
installer="$build/TamvikVRServer-1.32a-win64.exe"
zip="$build/TamvikVRServer-1.32a-win64.zip"
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
for program in TamvikVRServer.exe tamvikvr-server.exe tamvikvr-client.exe; do
  check "the zip holds $program" grep -qx "TamvikVRServer-1.32a-win64/$program" <<<"$listing"
done

target="$WINEPREFIX/drive_c/Program Files/TamvikVR Server"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/TamvikVR Server 1.32a"
"${wine_cmd[@]}" "$installer" /S
for program in TamvikVRServer.exe tamvikvr-server.exe tamvikvr-client.exe Uninstall.exe; do
  check "the installer puts $program in Program Files" test -f "$target/$program"
done
check "the start menu has the program" test -f "$menu/TamvikVR Server.lnk"

# The user's files beside the program stay when it is uninstalled.
echo "kept" >"$target/TamvikVRServer.ini"
"${wine_cmd[@]}" "$target/Uninstall.exe" /S
# The uninstaller runs on from a copy in the temporary folder; its last step is the start menu.
for _ in $(seq 1 100); do [ -f "$target/TamvikVRServer.exe" ] || [ -e "$menu/TamvikVR Server.lnk" ] || break; sleep 0.1; done
check "the uninstaller removes the program" test ! -f "$target/TamvikVRServer.exe"
check "and its start-menu entry" test ! -e "$menu/TamvikVR Server.lnk"
check "and keeps the settings" test -f "$target/TamvikVRServer.ini"
rm -rf "$target"
finish
