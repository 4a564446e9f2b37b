#!/usr/bin/env bash
# Builds Quillnote and starts it: under Wine on Linux, on a virtual display when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" i686 --no-tests
"$root/scripts/build.sh" x86_64 --no-tests
build="${QN_BUILD_ROOT:-$root/build}/x86_64"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
qn_wine_up "$build"
trap qn_wine_down EXIT
echo "Quillnote runs on display $DISPLAY; it lives in the notification area."
wine "$build/bin/Quillnote.exe"
