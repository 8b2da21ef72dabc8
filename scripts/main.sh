#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the plug-in and
# kestrimo-host for both targets, then runs the main job on real pictures
# (scripts/main-steps.sh): a film excerpt with a translucent logo laid over
# it, the logo found by `kestrimo-host detect` with its colour and opacity,
# and taken out of every frame with them, by the native library and by the
# Windows DLL under Wine. The release package
# (out/KRD_Kestrimo-<version>-win32.zip, scripts/package.sh), results,
# before/after pictures and figures go to out/; exits non-zero if any step
# fails.
# KESTRIMO_BUILD_ROOT (default build) holds the two build folders.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRIMO_BUILD_ROOT:-build}

bash scripts/setup.sh
# Only the plug-in and kestrimo-host, no tests or benchmarks.
cmake --preset tool -B "$build/tool" >/dev/null && cmake --build "$build/tool"
cmake --preset win32-tool -B "$build/win32-tool" >/dev/null && cmake --build "$build/win32-tool"

# The release package for Windows viewers, from the DLL just built.
bash scripts/package.sh "$build/win32-tool" out

exec bash scripts/main-steps.sh --out out "$build/tool" "$build/win32-tool"
