#!/usr/bin/env bash
# Lists the exported functions of the libraries the player links (engine,
# script, sound, console, player) that the player binary never reaches: it
# builds the player in a build folder of its own with every function in a
# section of its own, lets the linker drop the sections nothing reaches, and
# names, per library and file, the functions whose symbols are gone.
# What the player reaches through tables or hooks it fills counts as reached.
# A developer's tool, run by hand: ./scripts/unreached.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/unreached}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-ffunction-sections -fdata-sections" \
  -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,--gc-sections" >/dev/null
# Objects of sources that moved or went away since the last run would count.
ninja -C "$build" -t cleandead >/dev/null
cmake --build "$build" --target tovo -j "${JOBS:-4}" >/dev/null
kept=$(mktemp)
trap 'rm -f "$kept"' EXIT
nm --defined-only "$build/tovo" | awk '{ print $NF }' | sort -u >"$kept"
total=0
for lib in engine script sound console player; do
  count=0
  report=""
  # The objects of the library itself: its offer lists, its editor folder
  # and the exporter make libraries the player does not link.
  while IFS= read -r object; do
    file=${object#*.dir/}
    file=${file%.o}
    # Exported functions only (text symbols of global binding); inline and
    # template functions are weak and belong to whoever uses them.
    missing=$(nm --defined-only -g "$object" | awk '$2 == "T" { print $3 }' | sort -u | comm -23 - "$kept")
    [ -z "$missing" ] && continue
    n=$(wc -l <<<"$missing")
    count=$((count + n))
    report+="  $file ($n)"$'\n'
    report+=$(c++filt <<<"$missing" | sed 's/^/    /')$'\n'
  done < <(find "$build/CMakeFiles/tovo_$lib.dir" -name '*.o' | sort)
  echo "$lib: $count"
  printf '%s' "$report"
  total=$((total + count))
done
echo "total: $total"
