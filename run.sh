#!/usr/bin/env bash
# Installs what is missing, builds the release build and plays the built-in game.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVO_TESTS=OFF -DTOVO_BENCH=ON >/dev/null
cmake --build build/release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  echo "run.sh: no display found; running headless (set DISPLAY to play in a window)"
  export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
  exec build/release/tovo -headless "$@"
fi
exec build/release/tovo "$@"
