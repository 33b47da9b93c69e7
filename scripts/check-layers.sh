#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails on an include that points up the layer order of docs/architecture.md: each folder of
# src/ may include only itself and the folders listed for it here.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [platform]=""
  [core]="platform"
  [stores]="core platform"
  [http]="core platform"
  [mouse]="core platform"
  [media]="core platform"
  [library]="stores core platform"
  [search]="library stores core platform"
  [protocol]="search library stores core platform"
  [client]="protocol core platform"
  [ui]="protocol search library stores http mouse media core platform"
)

status=0
for module in "${!allowed[@]}"; do
  [ -d "src/$module" ] || continue
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$text")
    [ "$target" = "$module" ] && continue
    case " ${allowed[$module]} " in
      *" $target "*) ;;
      *) echo "$file:$line: $module may not include $target: $text"; status=1 ;;
    esac
  done < <(grep -rnE '^#include "[a-z_]+/' "src/$module" || true)
done

# OS headers only in platform/, in the Win32 windows (ui/win32/) and in the entry point that hands
# them the program's instance; the X display's (the Qt window's hot keys) only in ui/qt/.
os_headers='^#include <(windows|winsock2|ws2tcpip|shellapi|shlobj|commctrl|commdlg|objbase|unistd|fcntl|pthread|netdb|arpa/|netinet/|sys/|X11/)'
while IFS=: read -r file line text; do
  echo "$file:$line: OS header outside platform/, ui/win32/ and ui/qt/: $text"
  status=1
done < <(grep -rnE "$os_headers" src apps | grep -vE '^(src/platform/|src/ui/win32/|src/ui/qt/|apps/desktop_main\.cpp:)' || true)
# Qt only in the Qt window (ui/qt/), so every other program builds without it.
while IFS=: read -r file line text; do
  echo "$file:$line: Qt header outside ui/qt/: $text"
  status=1
done < <(grep -rnE '^#include <Q[A-Za-z]+>' src apps | grep -vE '^src/ui/qt/' || true)
[ "$status" -eq 0 ] && echo "Layers hold: no include points up."
exit "$status"
