#!/usr/bin/env bash
# Installs what is missing, builds the debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
# No library includes a header of a library above it.
scripts/check_layers.sh
# Every source file is formatted as .clang-format says.
scripts/check_format.sh
# The benchmarks are built too (not run), so that a change cannot leave
# them behind.
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=ON -DTOVO_BENCH=ON >/dev/null
cmake --build build/debug
# Nor does a library's archive call a function that one above it defines.
scripts/check_layers.sh build/debug
# A few seconds of the cart-file readers' and the binary-chunk loader's
# libFuzzer targets (clang, build/fuzz).
scripts/fuzz.sh 3 fuzz_text_cart fuzz_picture_cart fuzz_pxa fuzz_lua_import fuzz_binary_chunk
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The script conformance corpus once more with a full collection at every
# allocation point of the runtime.
cmake -S . -B build/stress -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=ON -DTOVO_GC_STRESS=ON >/dev/null
cmake --build build/stress --target runscript
(cd build/stress && ctest --output-on-failure -R '^script_corpus')
# The threads that meet the audio callback, under ThreadSanitizer: the mixer
# against the main thread, and the serial sample ring.
tests/sound/tsan.sh build/tsan
tests/console/tsan.sh build/tsan
# The bulletin-board download worker against the main thread.
tests/player/tsan.sh build/tsan
cd build/debug
# Every unit-test program once more as one process, its tests in a random
# order: no test may lean on what the tests before it left behind. (The
# end-to-end tests each start programs of their own.)
for program in tests/tovo_*_tests; do
  [ "$program" = tests/tovo_e2e_tests ] && continue
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" --gtest_shuffle --gtest_brief=1
done
# Last, so that its summary closes the run.
ctest --output-on-failure -j "$(nproc)"
