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
[ "$status" -eq 0 ] && echo "Layers hold: no include points up."
exit "$status"
