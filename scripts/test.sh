#!/usr/bin/env bash
# Builds the x86_64 program with its tests and runs every test under Wine on a private display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" x86_64
build="${QN_BUILD_ROOT:-$root/build}/x86_64"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
QN_PRIVATE_DISPLAY=1 qn_wine_up "$build"
trap qn_wine_down EXIT
cd "$build"
ctest --output-on-failure --timeout 300 "$@"
