#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root) and runs every test of both
# targets: natively, then the 32-bit Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset win32
cmake --build --preset win32
# Wine gets a virtual display for the tests that open windows.
xvfb-run -a ctest --preset win32

# The native build once more under AddressSanitizer and UndefinedBehaviorSanitizer
# (any finding stops the test that made it).
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

# And under ThreadSanitizer: the frame thread against the settings window's
# edits (reliability_stress) and every other native test, less the few that the
# sanitizer's runtime cannot host (see the tsan test preset's description).
cmake --preset tsan
cmake --build --preset tsan
ctest --preset tsan

# The fuzzers (clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer), each for a bounded time over its seed corpus.
bash scripts/fuzz.sh 30
