#!/usr/bin/env bash
# instructions.sh [--update] [RUNNER]
# Counts the machine instructions (callgrind) that our script runner takes for
# each program named in bench/instructions.txt and compares them with the
# counts kept there. Instruction counts do not depend on other load on the
# machine, so that a rise shows even where timings are noisy; each program
# runs so that the string hash seed is the same in every run (below). Prints
# per program the kept count, the new count and the change; exits 1 when any
# program takes more than 3% more instructions than kept. --update writes the
# new counts to the file instead (after a change that is meant to cost more,
# or fewer). The runner (a release build in build/release when none is
# given) must be the build the counts were taken with: counts of another
# compiler or of a profile-guided build differ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kept="$root/bench/instructions.txt"
update=0
if [ "${1:-}" = --update ]; then
  update=1
  shift
fi
runner=${1:-}
if [ -z "$runner" ]; then
  build="$root/build/release"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$build" --target runscript -j "${JOBS:-4}" > /dev/null
  runner="$build/tools/runscript"
fi
[ -x "$runner" ] || { echo "runner not found: $runner"; exit 1; }
runner="$(cd "$(dirname "$runner")" && pwd)/$(basename "$runner")"
for tool in valgrind faketime; do
  command -v $tool > /dev/null || { echo "$tool is missing (scripts/install-deps.sh test installs it)"; exit 1; }
done
limit_percent=3

# The string hash seed mixes the clock with a stack address, and the seed
# and the strings a run makes move a count by a few percent (which keys
# collide). So each program runs at a fixed clock, in a fixed environment,
# with the same arguments wherever the repository lies (the runner and the
# program by their bare names, from a temporary folder that links to them).
place=$(mktemp -d)
new=$(mktemp)
trap 'rm -rf "$place" "$new"' EXIT
ln -s "$runner" "$place/runscript"
ln -s "$root"/bench/scripts/*.lua "$place/"

# count PROGRAM: the instructions the runner executes for it.
count() {
  (cd "$place" &&
    env -i PATH=/usr/local/bin:/usr/bin:/bin faketime -f '2026-01-01 00:00:00' \
      valgrind --tool=callgrind --callgrind-out-file=/dev/null ./runscript "$1.lua" 2>&1 > /dev/null) |
    awk '/refs:/ { gsub(",", "", $NF); print $NF }'
}

status=0
printf '%-12s %15s %15s %8s\n' program kept now change
while read -r name old; do
  case $name in '' | '#'*) echo "$name${old:+ $old}" >> "$new"; continue ;; esac
  now=$(count "$name")
  [ -n "$now" ] || { echo "$name: no count (did the program fail?)"; exit 1; }
  echo "$name $now" >> "$new"
  change=$(awk -v a="$old" -v b="$now" 'BEGIN { printf "%+.2f%%", (b - a) * 100 / a }')
  printf '%-12s %15s %15s %8s\n' "$name" "$old" "$now" "$change"
  if awk -v a="$old" -v b="$now" -v l="$limit_percent" 'BEGIN { exit !(b > a * (1 + l / 100)) }'; then
    echo "$name: more than $limit_percent% above the kept count"
    status=1
  fi
done < "$kept"
if [ $update = 1 ]; then
  cp "$new" "$kept"
  echo "counts written to $kept"
  status=0
fi
exit $status
