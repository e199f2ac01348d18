#!/usr/bin/env bash
# Installs the Debian packages that building, running or testing the intro needs, when missing.
# Usage: tools/install-deps.sh run|test
set -euo pipefail

# libsdl1.2-compat is the run-time library only: its -dev package would replace the classic
# library's for every program.
packages=(cmake g++ make pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  libsdl-ttf2.0-dev libpng-dev libsdl1.2-compat libmikmod-dev)
if [ "${1:-run}" = test ]; then
  packages+=(libgtest-dev xvfb xdotool x11-utils imagemagick clang-format openbox
    libfreetype-dev dpkg-dev ffmpeg desktop-file-utils appstream man-db groff-base file
    fonts-misaki fonttools)
fi

# Only this machine's own architecture counts: an arm64 copy of a -dev package installed for
# cross builds does not let a native build find its library.
native=$(dpkg --print-architecture)
installed() {
  dpkg-query -W -f='${Status} ${Architecture}\n' "$1" 2>/dev/null |
    grep -Eq "^install ok installed ($native|all)\$"
}
missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Run this command as root, or first: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
