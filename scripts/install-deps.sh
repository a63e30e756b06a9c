#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Runs apt-get only when something is missing, and then updates its lists once.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev liblodepng-dev liblz4-dev nettle-dev libgif-dev zlib1g-dev libzip-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14
  xvfb xauth xdotool wget unzip
  lua5.2 luajit hyperfine
)

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
