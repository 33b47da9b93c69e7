#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the server, the client and the desktop program, and runs the
# headless server on its default settings; arguments go to the server (see --help).
# The server keeps TamvikVRServer.ini (and its log, when enabled) beside build/tamvikvr-server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j 2 --target tamvikvr-server tamvikvr-client tamvikvr-server-gui
exec ./build/tamvikvr-server "$@"
