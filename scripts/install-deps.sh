#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages the build, the tests and the benchmarks need; installs only
# what is missing, so running it again does nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build          # toolchain
  clang-format git                            # formatting check
  clang libclang-rt-14-dev                    # fuzz targets (scripts/fuzz.sh, smoke run in test.sh)
  googletest libgtest-dev libgmock-dev        # tests
  libutfcpp-dev                               # UTF-8 conversion headers
  curl ffmpeg                                 # real clients of the video server in the tests
  strace                                      # the saves test: a replaced file's folder is flushed
  mpv gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  python3-gi gir1.2-gstreamer-1.0             # real players of the video server in the tests
  nginx-light procps                          # the video server benchmark
  python3-fusepy fuse3 libfuse2 fd-find       # the walk benchmarks: a slow share through FUSE, fdfind beside
  g++-mingw-w64-x86-64-posix mingw-w64-tools  # the Windows cross build
  wine wine64                                 # the Windows test run
  help2man groff-base lintian systemd         # the Debian package: manual pages (help2man, preconv), its checks, the unit's check
  desktop-file-utils appstream                # the Debian package: its desktop entry's and metainfo's checks
  libx11-dev libxi-dev                        # the mouse capture library on Linux (XInput 2)
  xvfb xauth xdotool                          # tests on a virtual display: mouse capture, the desktop windows
  imagemagick fonts-ipafont-gothic            # the desktop windows: screenshots, Japanese text
  nsis                                        # the Windows installer (cpack in build-windows/)
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libx11-dev  # the Linux desktop program (Qt 6 Widgets, Qt Test, X hot keys)
  qt6-tools-dev qt6-l10n-tools                # the Linux desktop program's English catalogue (lrelease)
  qt6-translations-l10n                       # Qt's own dialogs in the Linux desktop program's Japanese windows
  chromium chromium-driver python3-selenium   # the web page's test in a real browser
  libsodium-dev                               # the web password's Argon2id hash
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
