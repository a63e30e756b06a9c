#!/usr/bin/env bash
# Builds the player tests with ThreadSanitizer in their own build folder and
# runs the bulletin-board download tests: the download worker thread reports
# to the main thread, which polls, cancels and starts downloads meanwhile.
# Usage: tests/player/tsan.sh [build folder] (default build/tsan-player)
set -euo pipefail
exec "$(dirname "$0")/../support/tsan.sh" tovo_player_tests "${1:-build/tsan-player}" --gtest_filter='splore_download*'
