#!/usr/bin/env bash
# Builds both targets with their tests and runs every test executable of both under Wine on a
# private display: x86_64 first, then i686 (the product) where this machine runs 32-bit programs.
# Extra arguments go to ctest (-R app).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" || exit 1
"$root/scripts/build.sh" x86_64 || exit 1
"$root/scripts/build.sh" i686 || exit 1
builds="${QN_BUILD_ROOT:-$root/build}"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
QN_PRIVATE_DISPLAY=1 qn_wine_up "$builds"
trap qn_wine_down EXIT
failed=0
run_tests() {
  echo "== $1 tests =="
  (cd "$builds/$1" && ctest --output-on-failure --timeout 300 "${@:2}") || failed=1
}
run_tests x86_64 "$@"
if qn_runs_i686 "$builds"; then
  run_tests i686 "$@"
else
  echo "i686 tests skipped: $QN_I686_WHY; the x86_64 tests above count alone."
fi
exit $failed
