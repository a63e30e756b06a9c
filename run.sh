#!/usr/bin/env bash
# Installs what the player needs when it is missing, builds the player (and
# its data.pod) in the release build and plays the built-in game in a window.
# Without a display it says so and runs a short headless demonstration of the
# console instead. The tests, tools and benchmarks are test.sh's.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh player
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVO_TESTS=OFF -DTOVO_BENCH=OFF >/dev/null
cmake --build build/release --target tovo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  demo=build/release/demo
  mkdir -p "$demo"
  echo "run.sh: there is no display here, so tovo cannot open its window."
  echo "  To play, run ./run.sh (or build/release/tovo -run cart.kx) in a desktop session,"
  echo "  or over ssh with X forwarding (ssh -X)."
  echo "run.sh: meanwhile, a short demonstration without a window (build/release/tovo -x):"
  echo
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy build/release/tovo -desktop "$PWD/$demo/" \
    -x scripts/headless_demo.kx
  echo
  echo "run.sh: the screenshot is $demo/tovo_demo.png"
  exit 0
fi
exec build/release/tovo "$@"
