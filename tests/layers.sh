#!/usr/bin/env bash
# The layers depend one way: base <- gfx <- scene <- app. A file may include its own layer's
# headers and those of the layers below it, never one above.
# Arguments: the program (unused), the repository root.
set -u
root=$2
cd "$root" || exit 1
layers=(base gfx scene app)
failures=0
for ((level = 0; level < ${#layers[@]}; ++level)); do
  layer=${layers[level]}
  for ((above = level + 1; above < ${#layers[@]}; ++above)); do
    higher=${layers[above]}
    while IFS= read -r hit; do
      echo "FAIL: $layer includes the higher layer $higher: $hit"
      failures=$((failures + 1))
    done < <(grep -Hn "#include \"$higher/" "$layer"/*.h "$layer"/*.cpp 2>/dev/null)
  done
done
[ "$failures" -eq 0 ] || exit 1
echo "layers ${layers[*]} include only downwards"
