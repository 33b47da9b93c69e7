#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cold and warm walks of trees of 100,000 and 1,000,000 empty videos by the server, find | sort
# and fdfind (see cold_walk_bench.cpp). Installs Debian's fd-find when it may (root, or sudo
# without a password), else its column is skipped. The trees are made in the work folder and
# removed at the end; they take a while to make, so TVR_KEEP_TREES=1 keeps them for the next run.
# Usage: bench/cold_walk.sh [build folder] [work folder] [files ...]   (TVR_BENCH_RUNS: runs, 3;
# TVR_REFERENCE_SERVER: another build's tamvikvr-server, measured in the same run beside this one)
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(realpath -m "${2:-${TMPDIR:-/tmp}/tvr-cold-walk}")
counts=("${@:3}")
[ ${#counts[@]} -gt 0 ] || counts=(100000 1000000)

if ! command -v fdfind >/dev/null; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ] && sudo -n true 2>/dev/null; then sudo_cmd=(sudo -n); fi
  if [ "$(id -u)" -eq 0 ] || [ ${#sudo_cmd[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends fd-find >/dev/null ||
      echo "fd-find could not be installed: its column is skipped"
  fi
fi

cmake --build "$build" --target cold_walk_bench tamvikvr-server -j2
mkdir -p "$work"
if [ "${TVR_KEEP_TREES:-0}" != 1 ]; then trap 'rm -rf "$work"' EXIT; fi
for files in "${counts[@]}"; do
  "$build/cold_walk_bench" "$build/tamvikvr-server" "$work" "$files" "${TVR_BENCH_RUNS:-3}" \
    ${TVR_REFERENCE_SERVER:+"$TVR_REFERENCE_SERVER"}
done
