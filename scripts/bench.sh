#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the release configuration and runs every benchmark; prints the figures and targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
echo "== control server =="
bash bench/control_bench.sh build
bash bench/round_trip_bench.sh build
echo "== channel listing =="
build/listing_bench
build/listing_bench --links
echo "== cold and warm walks of large libraries =="
bash bench/cold_walk.sh build
echo "== walks of a library on a network share =="
bash bench/nas_walk.sh build
echo "== word list =="
build/word_list_bench
echo "== settings file =="
build/settings_file_bench
echo "== favourites save =="
build/save_channel_bench
echo "== channel change saved before its OK, and the stop =="
build/channel_save_bench
echo "== search engine =="
bash bench/search_bench.sh build
echo "== video server =="
build/reconnect_bench
bash bench/http_vs_nginx.sh build
echo "== web page (each figure beside its budget) =="
build/web_page_bench 200
bash bench/web_browser_bench.sh build 20
echo "== mouse relay =="
build/mouse_relay_bench 5
echo "== soak =="
bash bench/soak.sh build
