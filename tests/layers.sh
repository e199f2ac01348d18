#!/usr/bin/env bash
# The tree's own rules. The layers depend one way: base <- gfx <- scene <- app. A file may
# include its own layer's headers and those of the layers below it, never one above. A
# platform's folder (platforms/<name>/) includes, sources and reads CMake files only from the
# layers, itself and the shared library (platforms/lib/). Every path of the repository the
# documents, the platforms' pages among them, name exists (in the tree, or written by the build).
# Arguments: the program (in its build tree), the repository root.
set -u
root=$2
cd "$root" || exit 1
layers=(base gfx scene app)
failures=0
for ((level = 0; level < ${#layers[@]}; ++level)); do
  layer=${layers[level]}
  for higher in "${layers[@]:level+1}"; do
    while IFS= read -r hit; do
      echo "FAIL: $layer includes the higher layer $higher: $hit"
      failures=$((failures + 1))
    done < <(grep -Hn "#include \"$higher/" "$layer"/*.h "$layer"/*.cpp 2>/dev/null)
  done
done
tops=$(find . -mindepth 1 -maxdepth 1 ! -name 'build*' ! -name .git -printf '%P\n' | paste -sd'|')
for dir in platforms/*/; do
  own=$(basename "$dir")
  while IFS= read -r hit; do
    echo "FAIL: the platform $own reaches past the layers and platforms/lib: $hit" && ((++failures))
  done < <(cd "$dir" && grep -rnE --include='*.[ch]' --include='*.cpp' --include='*.sh' \
    --include='*.cmake' '^\s*(#include "|(\.|source) |include\()' . |
    grep -E "platforms/|\.\./|#include \"($tops)/" | grep -vE "platforms/($own|lib)/|\.\./lib/|#include \"($(IFS='|'; echo "${layers[*]}"))/")
done
build=$(dirname "$1")
until [ -f "$build/CMakeCache.txt" ] || [ "$build" = / ]; do build=$(dirname "$build"); done
for doc in README.md HACKING.md docs/*.md platforms/README.md platforms/*/README.md; do
  # Code spans and link targets, word by word; links relative to their document.
  while read -r path; do
    [ -e "$path" ] || [ -e "$(dirname "$doc")/$path" ] || [ -e "$build/generated/$path" ] ||
      { echo "FAIL: $doc names $path, which does not exist"; failures=$((failures + 1)); }
  done < <({
    grep -oE '\]\([^)]+\)' "$doc" | sed -E 's/^\]\(|\)$//g'
    grep -oE '`[^`]+`' "$doc" | tr -d '`' | tr ' ' '\n' | grep -E "^\(?($tops)(/|$)"
  } | sed -E 's/^\(//; s/[.,:;)]+$|#.*$//' | grep -vE '^[a-z]+:|[<>*{}$…]' | sort -u)
done
[ "$failures" -eq 0 ] || exit 1
echo "layers ${layers[*]} include only downwards, the platforms only the layers and" \
  "platforms/lib; the documents name only paths that exist"
