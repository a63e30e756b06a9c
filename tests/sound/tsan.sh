#!/usr/bin/env bash
# Builds the sound tests with ThreadSanitizer in their own build folder and
# runs them: the device tests drive the mixer on SDL's audio thread while the
# main thread starts, stops and queries sound and writes the registers.
# Usage: tests/sound/tsan.sh [build folder] (default build/tsan)
set -euo pipefail
cd "$(dirname "$0")/../.."
dir="${1:-build/tsan}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$dir" --target tovo_sound_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$dir/tests/tovo_sound_tests"
