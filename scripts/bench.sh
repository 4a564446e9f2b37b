#!/usr/bin/env bash
# Runs the benchmarks of a built tree under Wine on a private display and prints their figures
# (the product's i686 build where 32-bit programs run here, else the x86_64 one). Judges nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
builds="${QN_BUILD_ROOT:-$root/build}"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
QN_PRIVATE_DISPLAY=1 qn_wine_up "$builds"
trap qn_wine_down EXIT
arch=i686
if ! qn_runs_i686 "$builds"; then
  echo "Benchmarks of the x86_64 build: $QN_I686_WHY."
  arch=x86_64
fi
export LC_ALL=C.UTF-8
for bench in "$builds/$arch/bin"/bench_*.exe; do
  echo "== $(basename "$bench" .exe) ($arch) =="
  # Into a file, not a pipe: Wine's helper processes inherit the standard handles and outlive
  # the benchmark, so a pipe's reader would wait for them.
  log=$(mktemp)
  (cd "$(dirname "$bench")" && timeout 1200 "$QN_WINE" "$bench" </dev/null >"$log" 2>&1) || echo "(the benchmark failed)"
  tr -d '\r' <"$log"
  rm -f "$log"
done
