#!/usr/bin/env bash
# compare.sh [RUNNER]
# Runs every program in bench/scripts under our script runner (a release
# build; built in build/release when no runner is given) and under the stock
# lua5.2, checks that both print the same checksum, times each with
# hyperfine and prints the time ratio ours / stock for each program and the
# geometric mean of the ratios. RUNS sets the timed runs per program (5).
# Times are the fastest run of each, which other load on the machine
# disturbs least.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
runner=${1:-}
if [ -z "$runner" ]; then
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVO_TESTS=OFF > /dev/null
  cmake --build "$root/build/release" --target runscript > /dev/null
  runner="$root/build/release/tools/runscript"
fi
[ -x "$runner" ] || { echo "runner not found: $runner"; exit 1; }
runner="$(cd "$(dirname "$runner")" && pwd)/$(basename "$runner")"
for tool in lua5.2 hyperfine; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
shim="dofile('$root/tests/scripts/reference_shim.lua')"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$root/bench/scripts"
printf '%-16s %10s %10s %8s\n' program "ours ms" "stock ms" ratio
status=0
for prog in *.lua; do
  name=${prog%.lua}
  ours=$("$runner" "$prog")
  stock=$(lua5.2 -e "$shim" "$prog")
  if [ "$ours" != "$stock" ]; then
    echo "$name: checksums differ: ours '$ours', stock '$stock'"
    status=1
    continue
  fi
  hyperfine -N --warmup 1 --runs "$runs" --export-csv "$tmp/$name.csv" \
    "$runner $prog" "lua5.2 -e \"$shim\" $prog" > /dev/null 2>&1
  # The csv has a header line, then one line per command:
  # command,mean,stddev,median,user,system,min,max.
  awk -F, -v name="$name" 'NR == 2 { a = $7 } NR == 3 { b = $7 }
    END { printf "%-16s %10.1f %10.1f %8.3f\n", name, a * 1000, b * 1000, a / b }' "$tmp/$name.csv" | tee -a "$tmp/ratios"
done
awk '{ s += log($4); n++ } END { if (n) printf "geometric mean of the ratios: %.3f (%d programs)\n", exp(s / n), n }' "$tmp/ratios"
exit $status
