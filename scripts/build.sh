#!/usr/bin/env bash
# Usage: scripts/build.sh x86_64|i686 [--no-tests]
# Configures and builds one target in build/<arch>; the program lands in build/<arch>/bin.
# QN_WERROR=ON (CI sets it) turns compiler warnings into errors; QN_JOBS limits the build's jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}
tests=ON
[ "${2:-}" = "--no-tests" ] && tests=OFF
case "$arch" in x86_64|i686) ;; *) echo "unknown target $arch" >&2; exit 2;; esac
build="${QN_BUILD_ROOT:-$root/build}/$arch"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DQN_TESTS=$tests -DQN_WERROR="${QN_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"${QN_JOBS:-$(nproc)}"
