#!/usr/bin/env bash
# run_corpus.sh RUNNER [REFERENCE]
# With RUNNER only: runs every program NAME.lua here and compares what it
# writes (standard output, then errors) with NAME.out.
# With REFERENCE (the stock lua5.2): runs every program whose first line is
# "-- shared" under both and compares their standard output.
# A program with a line "-- libraries" runs with the runner's standard
# libraries opened (-l).
# With TOVO_CORPUS_SKIP_HEAVY=1 (the collector-stress build) the programs
# that have a line starting "-- heavy" are left out.
set -u
cd "$(dirname "$0")"
runner=$1
reference=${2:-}
if [ ! -x "$runner" ]; then
  echo "runner not found: $runner"
  exit 1
fi
if [ $# -ge 2 ] && [ ! -x "$reference" ]; then
  echo "reference interpreter not found: $reference"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
total=0
for prog in *.lua; do
  [ "$prog" = reference_shim.lua ] && continue
  [ "$prog" = differential_hash.lua ] && continue
  if [ "${TOVO_CORPUS_SKIP_HEAVY:-0}" = 1 ] && grep -q '^-- heavy' "$prog"; then
    echo "skipped (heavy) $prog"
    continue
  fi
  name=${prog%.lua}
  options=()
  grep -q '^-- libraries' "$prog" && options=(-l)
  if [ -z "$reference" ]; then
    total=$((total + 1))
    "$runner" "${options[@]}" "$prog" > "$tmp/$name.out" 2>&1
    if ! cmp -s "$tmp/$name.out" "$name.out"; then
      echo "FAIL $prog"
      diff "$name.out" "$tmp/$name.out" | head -20
      failed=$((failed + 1))
    fi
  elif [ "$(head -n 1 "$prog")" = "-- shared" ]; then
    total=$((total + 1))
    "$runner" "${options[@]}" "$prog" > "$tmp/$name.ours" 2> /dev/null
    "$reference" -e "dofile('reference_shim.lua')" "$prog" > "$tmp/$name.ref" 2> /dev/null
    if ! cmp -s "$tmp/$name.ours" "$tmp/$name.ref"; then
      echo "DIFFERS $prog (< ours, > reference)"
      diff "$tmp/$name.ours" "$tmp/$name.ref" | head -20
      failed=$((failed + 1))
    fi
  fi
done
echo "$((total - failed)) of $total programs agree"
[ "$failed" -eq 0 ]
