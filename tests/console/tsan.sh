#!/usr/bin/env bash
# Builds the console tests with ThreadSanitizer in their own build folder and
# runs the serial audio ring tests: a consumer thread mixes the ring as the
# audio callback does while the main thread writes and flushes it.
# Usage: tests/console/tsan.sh [build folder] (default build/tsan-console)
set -euo pipefail
cd "$(dirname "$0")/../.."
dir="${1:-build/tsan-console}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$dir" --target tovo_console_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$dir/tests/tovo_console_tests" --gtest_filter='SerialRing*'
