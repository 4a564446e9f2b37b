#!/usr/bin/env bash
# Usage: wine-run.sh <seconds> <program.exe> [args]  (ctest's runner for one test executable)
# A pinned locale: date texts and note file names depend on it.
set -uo pipefail
limit=$1; shift
export LC_ALL=${QN_TEST_LOCALE:-C.UTF-8}
export WINEDEBUG=-all
# shellcheck source=wine-env.sh
. "$(dirname "$0")/wine-env.sh"
qn_clear_proxies
[ -n "${QN_WINE:-}" ] || qn_wine_pick
cd "$(dirname "$1")"
# Wine's helper processes (explorer, services) inherit the standard handles and outlive the
# test; writing to a file instead of ctest's pipe lets ctest see the end of the test.
log=$(mktemp)
timeout --kill-after=5 "$((limit - 20))" "$QN_WINE" "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
# Every test program reports its end ("[==========] N tests ... ran."); a process that dies on
# the way (a stack overflow leaves no handler to run) may still exit with 0 under Wine.
if [ "$rc" -eq 0 ] && ! tr -d '\r' <"$log" | grep -qE '^\[==========\] .* ran\.'; then
  echo "The test program ended without reporting its end: it crashed or was cut off."
  rc=1
fi
rm -f "$log"
exit $rc
