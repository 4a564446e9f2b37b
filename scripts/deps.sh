#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only where something is missing.
# Wine runs both builds: wine64 the x86_64 one, wine32 (from the i386 architecture) the i686 one.
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
          wine wine64 xvfb xauth xdotool imagemagick python3)
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
installed wine32:i386 || missing+=(wine32:i386)
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  # wine32 needs the i386 libraries, so the architecture comes before the package lists.
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
  export DEBIAN_FRONTEND=noninteractive
  core=()
  for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || core+=("$p"); done
  ((${#core[@]} == 0)) || $sudo apt-get install -y -q --no-install-recommends "${core[@]}"
  if ! installed wine32:i386; then
    # Without it only the i686 tests are lost, and scripts/test.sh says so.
    $sudo apt-get install -y -q --no-install-recommends wine32:i386 ||
      echo "deps: wine32 could not be installed; 32-bit programs will not run here" >&2
  fi
fi
