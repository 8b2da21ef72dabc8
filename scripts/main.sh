#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the plug-in for both
# targets and runs a generated clip through kestrimo-host and the plug-in:
# once with the native library, once with the Windows DLL under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset native >/dev/null && cmake --build --preset native
cmake --preset win32 >/dev/null && cmake --build --preset win32

mkdir -p out
python3 scripts/make-clip.py --frames 50 out/clip.y4m

build/native/kestrimo-host --channel 1 --name "Channel 1" < out/clip.y4m > out/clip-native.y4m
(cd build/win32 && ../../scripts/wine-run.sh kestrimo-host.exe --channel 1 --name "Channel 1") \
  < out/clip.y4m > out/clip-win32.y4m

for result in out/clip-native.y4m out/clip-win32.y4m; do
  if cmp -s out/clip.y4m "$result"; then same="unchanged, as expected"; else same="CHANGED"; fi
  echo "main: $(readlink -f "$result"): $same"
done
echo "main: input clip: $(readlink -f out/clip.y4m)"
