#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only where something is missing.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
          wine wine64 xvfb xauth xdotool imagemagick python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  # Only the 64-bit Wine: a 32-bit loader installed beside it would be picked and cannot start here.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
