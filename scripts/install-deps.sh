#!/usr/bin/env bash
# Installs the Debian packages of one set, when any is missing (apt-get then
# updates its lists once):
#   scripts/install-deps.sh player   building and running the player (run.sh)
#   scripts/install-deps.sh test     that, and the tests, the exporter, the
#                                    fuzzers, the benchmarks and their
#                                    reference interpreters (test.sh)
set -euo pipefail

player=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev liblodepng-dev liblz4-dev nettle-dev libgif-dev zlib1g-dev
  wget
)
test=(
  "${player[@]}"
  libzip-dev unzip
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14
  xvfb xauth xdotool
  lua5.2 luajit hyperfine valgrind faketime
)

case "${1:-}" in
  player) packages=("${player[@]}") ;;
  test) packages=("${test[@]}") ;;
  *)
    echo "usage: $0 player|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
