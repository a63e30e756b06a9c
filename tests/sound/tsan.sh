#!/usr/bin/env bash
# Builds the sound tests with ThreadSanitizer in their own build folder and
# runs them: the device tests drive the mixer on SDL's audio thread while the
# main thread starts, stops and queries sound and writes the registers.
# Usage: tests/sound/tsan.sh [build folder] (default build/tsan)
set -euo pipefail
exec "$(dirname "$0")/../support/tsan.sh" tovo_sound_tests "${1:-build/tsan}"
