#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs the headless server on its default settings.
# The server keeps TamvikVRServer.ini (and its log, when enabled) beside build/tamvikvr-server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target tamvikvr-server
exec ./build/tamvikvr-server
