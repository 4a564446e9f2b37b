#!/usr/bin/env bash
# Builds Quillnote and starts it: under Wine on Linux, on a virtual display when there is none.
# The i686 program is the product; where 32-bit programs cannot run, the x86_64 one starts.
# `scripts/run.sh DockDemo` starts the docking demo instead.
set -euo pipefail
program=${1:-Quillnote}
case "$program" in Quillnote|DockDemo) ;; *) echo "unknown program $program (Quillnote or DockDemo)" >&2; exit 2;; esac
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
if [ "$program" = DockDemo ]; then
  echo "The docking demo runs on display $DISPLAY; it keeps its windows' places in DockDemo.ini beside it."
else
  echo "Quillnote runs on display $DISPLAY; it lives in the notification area."
fi
"$QN_WINE" "$builds/$arch/bin/$program.exe"
