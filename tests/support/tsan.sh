#!/usr/bin/env bash
# Builds one test program with ThreadSanitizer in its own build folder and
# runs it; any further arguments go to the test program.
# Usage: tests/support/tsan.sh TARGET BUILD_FOLDER [test arguments...]
set -euo pipefail
cd "$(dirname "$0")/../.."
target="$1"
dir="$2"
shift 2
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$dir" --target "$target"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$dir/tests/$target" "$@"
