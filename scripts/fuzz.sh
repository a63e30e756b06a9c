#!/usr/bin/env bash
# Builds the libFuzzer targets (clang only) and runs each for a bounded time:
#   scripts/fuzz.sh [seconds per target, default 60] [target names, default all]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ not found; skipping the fuzz targets"
  exit 0
fi
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=ON -DTOVO_FUZZ=ON \
  -DTOVO_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
# Every target with its own input length, as tests/fuzz/CMakeLists.txt sets it.
list=build/fuzz/tests/fuzz/targets.txt
if [ $# -gt 0 ]; then
  targets="$*"
else
  targets=$(cut -d' ' -f1 "$list")
fi
for t in $targets; do
  if ! grep -q "^$t " "$list"; then
    echo "fuzz.sh: no fuzz target $t (see $list)" >&2
    exit 2
  fi
done
cmake --build build/fuzz --target $targets
for t in $targets; do
  len=$(sed -n "s/^$t \([0-9]*\)$/\1/p" "$list")
  mkdir -p "build/fuzz/corpus/$t"
  echo "== $t (${seconds}s, inputs up to $len bytes)"
  "build/fuzz/tests/fuzz/$t" "build/fuzz/corpus/$t" -max_total_time="$seconds" -max_len="$len" \
    -artifact_prefix="build/fuzz/corpus/$t-" -print_final_stats=1 2>&1 | tail -n 3
done
