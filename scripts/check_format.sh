#!/usr/bin/env bash
# Fails when a C++ source file is not as clang-format leaves it (the style is
# in .clang-format) and names the first place in each. To format a file:
# clang-format-14 -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
find engine script sound console player tests bench tools -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 -n 32 -P 4 clang-format-14 --dry-run --Werror --ferror-limit=1
