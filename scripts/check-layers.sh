#!/usr/bin/env bash
# Fails when a library folder includes a header of a folder that stands after it in the order
# classlib, items, tbx, docking, app, or when the notes application includes the docking layer
# (a side branch that the notes program never links).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
order=(classlib items tbx docking app)
bad=0
for ((i = 0; i < ${#order[@]}; i++)); do
  folder=${order[i]}
  [ -d "$root/$folder" ] || continue
  forbidden=("${order[@]:i+1}")
  [ "$folder" = app ] && forbidden=(docking)
  ((${#forbidden[@]})) || continue
  pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($(IFS='|'; echo "${forbidden[*]}"))/"
  while IFS= read -r hit; do
    echo "layering: $hit (a $folder file includes a folder it may not use)" >&2
    bad=1
  done < <(grep -rnE "$pattern" "$root/$folder" --include='*.h' --include='*.cpp' --include='*.rc' | sed "s|^$root/||" || true)
done
exit $bad
