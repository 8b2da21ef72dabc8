#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the plug-in for both
# targets and removes the logo of a generated clip with kestrimo-host: once
# with the native library, once with the Windows DLL under Wine. Leaves in
# out/ the input clip, both output clips, the settings file used and a
# before/after picture of one frame from each run. Then finds the logo from
# the clip itself (kestrimo-host detect) and removes it with the mask found.
# KESTRIMO_BUILD_ROOT (default build) holds the two build folders.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${KESTRIMO_BUILD_ROOT:-build}

bash scripts/setup.sh
# Only the plug-in and kestrimo-host, no tests or benchmarks.
cmake --preset tool -B "$build/tool" >/dev/null && cmake --build "$build/tool"
cmake --preset win32-tool -B "$build/win32-tool" >/dev/null && cmake --build "$build/win32-tool"

out=$root/out
mkdir -p "$out"
rm -f "$out"/clip*.y4m "$out"/before-after-*.png "$out"/logo.ini "$out"/detected*
python3 scripts/make-clip.py --frames 50 "$out/clip.y4m"

# The clip's logo covers x 80..140, y 70..120 of its 720 x 576 frames. The
# processing area takes it with 2 pixels to spare on each side (its outermost
# rows and columns are kept as they are and feed the fill), x 78..142,
# y 68..122: 64 x 54 pixels centred on (110, 95). In the 768 x 576 reference
# raster of the settings (x times 768/720, y unchanged) that is a rectangle of
# 68 x 54 centred on (117, 95). COMMON comes first: a section on the file's
# first line is never read as a channel.
printf '%s\r\n' '[COMMON]' '[1]' 'MaskPosX=117' 'MaskPosY=95' 'RectMaskSizeX=68' \
  'RectMaskSizeY=54' 'ProcEnable=1' > "$out/logo.ini"

# Windows programs under Wine see the Linux root as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
frame=25

"$build/tool/kestrimo-host" --channel 1 --name "Channel 1" --settings "$out/logo.ini" \
  --snapshot "$frame:$out/before-after-native.png" < "$out/clip.y4m" > "$out/clip-native.y4m"
scripts/wine-run.sh "$build/win32-tool/kestrimo-host.exe" --channel 1 --name "Channel 1" \
  --settings "$(windows_path "$out/logo.ini")" \
  --snapshot "$frame:$(windows_path "$out/before-after-win32.png")" \
  < "$out/clip.y4m" > "$out/clip-win32.y4m"

# Inside the logo the frames changed, outside the area they did not.
for target in native win32; do
  result=$(python3 tests/tools/check-removal.py "$out/logo.ini" "$out/clip.y4m" \
    "$out/clip-$target.y4m" y4m 720 576 "$out/before-after-$target.png")
  echo "main: $target: $result"
done
if cmp -s "$out/clip-native.y4m" "$out/clip-win32.y4m"; then
  echo "main: the native and the Windows output are identical"
else
  echo "main: the native and the Windows output DIFFER"
fi
# The mask drawn from the recording: a picture, its settings in a channel
# section, an overlay to check it; the same picture from the Windows build.
"$build/tool/kestrimo-host" detect -i "$out/clip.y4m" --mask "$out/detected.bmp" \
  --overlay "$out/detected-overlay.png" --write 1 --settings "$out/detected.ini"
"$build/tool/kestrimo-host" --channel 1 --name "Channel 1" --settings "$out/detected.ini" \
  --snapshot "$frame:$out/before-after-detected.png" < "$out/clip.y4m" > "$out/clip-detected.y4m"
scripts/wine-run.sh "$build/win32-tool/kestrimo-host.exe" detect -i "$(windows_path "$out/clip.y4m")" \
  --mask "$(windows_path "$out/detected-win32.bmp")" > /dev/null
if cmp -s "$out/detected.bmp" "$out/detected-win32.bmp"; then
  echo "main: the native and the Windows detect found the same mask picture"
else
  echo "main: the native and the Windows detect masks DIFFER"
fi

echo "main: input clip:      $out/clip.y4m"
echo "main: settings file:   $out/logo.ini"
echo "main: output clips:    $out/clip-native.y4m, $out/clip-win32.y4m"
echo "main: before | after:  $out/before-after-native.png, $out/before-after-win32.png (frame $frame)"
echo "main: detected mask:   $out/detected.bmp, $out/detected-overlay.png, $out/detected.ini"
echo "main: with it:         $out/clip-detected.y4m, $out/before-after-detected.png"
