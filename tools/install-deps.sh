#!/usr/bin/env bash
# Installs the Debian packages that building, running or testing the intro needs, when missing.
# Usage: tools/install-deps.sh run|test
set -euo pipefail

# libsdl1.2-compat is the run-time library only: its -dev package would replace the classic
# library's for every program.
packages=(cmake g++ make pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  libsdl-ttf2.0-dev libpng-dev libsdl1.2-compat libmikmod-dev)
if [ "${1:-run}" = test ]; then
  # Outline fonts with kerning and italics, to compare the browser build's text with the library's.
  packages+=(fonts-dejavu-core fonts-dejavu-extra)
  packages+=(libgtest-dev xvfb xdotool x11-utils imagemagick clang-format openbox
    libfreetype-dev dpkg-dev ffmpeg desktop-file-utils appstream man-db groff-base file
    fonts-misaki fonttools lintian)
  # An ARM program and its emulator, for the scripts' library test of binfmt_misc registrations.
  packages+=(qemu-user-static libc6-arm64-cross)
fi

# shellcheck source=../platforms/lib/packages.sh
. "$(dirname "$0")/../platforms/lib/packages.sh"
need_packages "${packages[@]}"
