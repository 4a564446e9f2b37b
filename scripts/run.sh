#!/usr/bin/env bash
# Builds Quillnote and starts it: under Wine on Linux, on a virtual display when there is none.
# The i686 program is the product; where 32-bit programs cannot run, the x86_64 one starts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" i686 --no-tests
"$root/scripts/build.sh" x86_64 --no-tests
builds="${QN_BUILD_ROOT:-$root/build}"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
qn_wine_up "$builds"
trap qn_wine_down EXIT
arch=i686
if ! qn_runs_i686 "$builds"; then
  echo "Starting the x86_64 program: $QN_I686_WHY."
  arch=x86_64
fi
echo "Quillnote runs on display $DISPLAY; it lives in the notification area."
"$QN_WINE" "$builds/$arch/bin/Quillnote.exe"
