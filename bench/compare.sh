#!/usr/bin/env bash
# compare.sh [RUNNER]
# Runs every program in bench/scripts under our script runner (a release
# build; when no runner is given, a profile-guided one built in build/pgo and
# trained on the other programs in bench/training),
# under the stock lua5.2 and under LuaJIT's interpreter (luajit -joff), and
# checks that all three print the same output on every run. The runs are
# interleaved: each round runs every program once under each interpreter, so
# that other load on the machine falls on all of them alike. Each run is timed
# by the CPU time (user + system) of its process; the fastest of RUNS rounds
# (5) counts.
# Prints per program the times and the ratios ours / lua5.2 and
# ours / luajit -joff, then the geometric mean of each ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
runner=${1:-}
jobs=${JOBS:-4}  # build jobs for the runner
if [ -z "$runner" ]; then
  # A release build optimised from profiles of the training programs (not the
  # measured ones): an instrumented build runs each once, then the same folder
  # is built again from the profiles.
  build="$root/build/pgo"
  rm -rf "$build/pgo-profiles"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVO_TESTS=OFF -DTOVO_PGO=generate > /dev/null
  cmake --build "$build" --target runscript -j "$jobs" > /dev/null
  for prog in "$root"/bench/training/*.lua; do
    (cd "$root/bench/training" && "$build/tools/runscript" "$prog" > /dev/null)
  done
  cmake -S "$root" -B "$build" -DTOVO_PGO=use > /dev/null
  cmake --build "$build" --target runscript -j "$jobs" > /dev/null
  runner="$build/tools/runscript"
fi
[ -x "$runner" ] || { echo "runner not found: $runner"; exit 1; }
runner="$(cd "$(dirname "$runner")" && pwd)/$(basename "$runner")"
for tool in lua5.2 luajit; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
shim="dofile('$root/tests/scripts/reference_shim.lua')"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$root/bench/scripts"
programs=(*.lua)
kinds=(ours lua52 luajit)

# run KIND PROGRAM: runs it once, its output to $tmp/out, and prints the CPU
# time in milliseconds.
run() {
  local -a cmd
  case $1 in
    ours) cmd=("$runner" "$2") ;;
    lua52) cmd=(lua5.2 -e "$shim" "$2") ;;
    luajit) cmd=(luajit -joff -e "$shim" "$2") ;;
  esac
  local TIMEFORMAT='%3U %3S' t
  t=$({ time "${cmd[@]}" > "$tmp/out" 2> /dev/null; } 2>&1)
  awk -v t="$t" 'BEGIN { split(t, f, " "); printf "%.1f", (f[1] + f[2]) * 1000 }'
}

declare -A best
status=0
for ((round = 1; round <= runs; round++)); do
  for prog in "${programs[@]}"; do
    name=${prog%.lua}
    for kind in "${kinds[@]}"; do
      ms=$(run "$kind" "$prog")
      if [ ! -f "$tmp/$name.expected" ]; then
        cp "$tmp/out" "$tmp/$name.expected"
      elif ! cmp -s "$tmp/out" "$tmp/$name.expected"; then
        echo "$name: $kind printed '$(cat "$tmp/out")', not '$(cat "$tmp/$name.expected")'"
        status=1
      fi
      key="$name/$kind"
      if [ -z "${best[$key]:-}" ] || awk -v a="$ms" -v b="${best[$key]}" 'BEGIN { exit !(a < b) }'; then
        best[$key]=$ms
      fi
    done
  done
done

printf '%-12s %9s %9s %9s %11s %11s\n' program "ours ms" "lua5.2" "luajit" "ours/lua5.2" "ours/luajit"
for prog in "${programs[@]}"; do
  name=${prog%.lua}
  echo "$name ${best[$name/ours]} ${best[$name/lua52]} ${best[$name/luajit]}"
done | awk '{
    r1 = $2 / $3; r2 = $2 / $4; s1 += log(r1); s2 += log(r2); n++
    printf "%-12s %9.1f %9.1f %9.1f %11.3f %11.3f\n", $1, $2, $3, $4, r1, r2
  }
  END { if (n) printf "%-12s %9s %9s %9s %11.3f %11.3f\n", "geomean", "", "", "", exp(s1 / n), exp(s2 / n) }'
exit $status
