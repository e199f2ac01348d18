#!/usr/bin/env bash
# The tree's own rules. The layers depend one way: base <- gfx <- scene <- app, and
# base <- check. A file may include its own layer's headers and those of the layers it builds
# on, never another's. A platform's folder (platforms/<name>/) includes, sources and reads CMake
# files only from the layers, itself and what the platforms share (platforms/lib/, the memory
# drivers of platforms/sdl/). Every path of the repository the documents, the platforms' pages
# among them, name exists (in the tree, or written by the build).
# Arguments: the program (in its build tree), the repository root.
set -u
root=$2
cd "$root" || exit 1
# Each layer and the layers it builds on: its files include their headers and its own, named
# with the folder, and no other of the tree's.
layers=(base gfx scene app check)
declare -A allowed=([base]="" [gfx]="base" [scene]="base gfx" [app]="base gfx scene"
  [check]="base")
failures=0
for layer in "${layers[@]}"; do
  while IFS= read -r hit; do
    folder=${hit#*#include \"}
    [[ " $layer ${allowed[$layer]} " = *" ${folder%%/*} "* ]] && continue
    echo "FAIL: $layer may include only $layer ${allowed[$layer]}: $hit"
    failures=$((failures + 1))
  done < <(grep -Hn '#include "' "$layer"/*.h "$layer"/*.cpp)
done
tops=$(find . -mindepth 1 -maxdepth 1 ! -name 'build*' ! -name .git -printf '%P\n' | paste -sd'|')
for dir in platforms/*/; do
  own=$(basename "$dir")
  while IFS= read -r hit; do
    echo "FAIL: the platform $own reaches past the layers and platforms/lib and sdl: $hit" && ((++failures))
  done < <(cd "$dir" && grep -rnE --include='*.[ch]' --include='*.cpp' --include='*.sh' \
    --include='*.cmake' '^\s*(#include "|(\.|source) |include\()' . |
    grep -E "platforms/|\.\./|#include \"($tops)/" | grep -vE "platforms/($own|lib|sdl)/|\.\./(lib|sdl)/|#include \"($(IFS='|'; echo "${layers[*]}"))/")
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
echo "layers ${layers[*]} include only the layers they build on, the platforms only the layers" \
  "and what they share; the documents name only paths that exist"
