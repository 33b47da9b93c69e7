#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Walks of a library on a network share: trees of empty videos (10 group folders, 20 shows each
# per 10,000 files, 50 videos a show) mounted through slowfs, a FUSE passthrough that waits
# before answering each metadata request as a share waits a round trip; nas_walk_bench times the
# server's walks beside fdfind -j8 on the same mount. Needs root, /dev/fuse, python3-fusepy,
# fuse3 and fd-find (scripts/install-deps.sh); skipped, saying so, without them.
# Usage: bench/nas_walk.sh [build folder] [work folder] [files ...]   (default 10000 and 100000;
# TVR_BENCH_RUNS: runs, 3; TVR_SLOWFS_DELAY_MS: the wait, 1; TVR_SLOWFS: slowfs.py, by default
# ../shared/tools/slowfs.py beside the source tree)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-build}")
work=$(realpath -m "${2:-${TMPDIR:-/tmp}/tvr-nas-walk}")
counts=("${@:3}")
[ ${#counts[@]} -gt 0 ] || counts=(10000 100000)
slowfs=${TVR_SLOWFS:-$here/../../shared/tools/slowfs.py}

skip() {
  echo "nas walk skipped: $1"
  exit 0
}
[ "$(id -u)" -eq 0 ] || skip "needs root to mount"
[ -e /dev/fuse ] || skip "no /dev/fuse"
[ -f "$slowfs" ] || skip "no slowfs at $slowfs (TVR_SLOWFS)"
/usr/bin/python3 -c 'import fusepy' 2>/dev/null || skip "python3-fusepy is not installed"
command -v fdfind >/dev/null || skip "fd-find is not installed"

cmake --build "$build" --target nas_walk_bench tamvikvr-server -j2
mkdir -p "$work"
mount="$work/mount"
mkdir -p "$mount"
cleanup() {
  fusermount -u "$mount" 2>/dev/null || true
  [ -z "${slowfs_pid:-}" ] || wait "$slowfs_pid" 2>/dev/null || true
  [ "${TVR_KEEP_TREES:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

for files in "${counts[@]}"; do
  tree="$work/tree-$files"
  if [ ! -e "$tree/done" ]; then
    echo "generating $files empty videos in $tree ..."
    /usr/bin/python3 - "$tree" "$files" <<'PY'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
shows = files // 50 // 10
for g in range(10):
    for s in range(shows):
        folder = os.path.join(root, f"Group {g}", f"Show {s}")
        os.makedirs(folder, exist_ok=True)
        for i in range(50):
            open(os.path.join(folder, f"Episode {i} some title.mp4"), "w").close()
open(os.path.join(root, "done"), "w").close()
PY
    # Folders written a moment ago are read again by the walk itself: the library has been
    # there a while.
    find "$tree" -type d -exec touch -d '1 hour ago' {} +
  fi
  /usr/bin/python3 "$slowfs" "$tree" "$mount" "${TVR_SLOWFS_DELAY_MS:-1}" &
  slowfs_pid=$!
  for _ in $(seq 100); do
    mountpoint -q "$mount" && break
    sleep 0.1
  done
  mountpoint -q "$mount" || skip "slowfs did not mount"
  echo "== $files files on slowfs, ${TVR_SLOWFS_DELAY_MS:-1} ms a request =="
  "$build/nas_walk_bench" "$build/tamvikvr-server" "$work/install" "$mount" "${TVR_BENCH_RUNS:-3}"
  fusermount -u "$mount"
  wait "$slowfs_pid" || true
  slowfs_pid=
done
