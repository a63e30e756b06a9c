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
if [ $# -gt 0 ]; then
  targets="$*"
else
  targets=$(sed -n 's/^foreach(name \(.*\))$/\1/p' tests/fuzz/CMakeLists.txt | tr ' ' '\n' | sed 's/^/fuzz_/')
fi
cmake --build build/fuzz --target $targets
for t in $targets; do
  mkdir -p "build/fuzz/corpus/$t"
  echo "== $t (${seconds}s)"
  "build/fuzz/tests/fuzz/$t" "build/fuzz/corpus/$t" -max_total_time="$seconds" -max_len=4096 \
    -artifact_prefix="build/fuzz/corpus/$t-" -print_final_stats=1 2>&1 | tail -n 3
done
