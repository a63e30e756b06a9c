#!/usr/bin/env bash
# Builds the console tests with ThreadSanitizer in their own build folder and
# runs the serial audio ring tests: a consumer thread mixes the ring as the
# audio callback does while the main thread writes and flushes it.
# Usage: tests/console/tsan.sh [build folder] (default build/tsan-console)
set -euo pipefail
exec "$(dirname "$0")/../support/tsan.sh" tovo_console_tests "${1:-build/tsan-console}" --gtest_filter='SerialRing*'
