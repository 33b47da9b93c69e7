#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the server, the client and the desktop program, and runs the
# headless server on its default settings; arguments go to the server (see --help).
# The server keeps TamvikVRServer.ini (and its log, when enabled) beside build-run/tamvikvr-server.
# build-run/ is this script's own build, so a test run (build/) never rebuilds the running server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset run
cmake --build --preset run -j 2 --target tamvikvr-server tamvikvr-client tamvikvr-server-gui
exec ./build-run/tamvikvr-server "$@"
