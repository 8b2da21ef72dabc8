#!/usr/bin/env bash
# The main job on two builds that are already there: a real clip (a film
# excerpt from Debian's opencv-doc) with a translucent logo laid over it; the
# logo found by `kestrimo-host detect`, which writes its mask picture and its
# model (colour and opacity) into channel 1 of a settings file; then the logo
# taken out of every frame with that model, by the native library and by the
# Windows DLL under Wine.
#
#   bash scripts/main-steps.sh [--out DIR] [--drop-clips] NATIVE_BUILD WIN32_BUILD
#
# NATIVE_BUILD holds kestrimo-host and libKRD_Kestrimo.so, WIN32_BUILD
# kestrimo-host.exe and KRD_Kestrimo.dll: the tool presets' builds or the
# test presets' native and win32 builds. The results go to DIR (default out):
#   clip.y4m, clip-clean.y4m  the clip with the logo and without it
#   clip.json, logo-truth.png what the clip is made of, the logo laid over it
#   logo.ini, logo.bmp, logo-model.bmp
#                             the settings detect wrote, its mask and model
#   logo-win32.*              the same from the Windows build (Windows paths)
#   detect-overlay.png, detect-model.png, detect.log
#                             the logo as detect saw it, its model to look at
#   clip-native.y4m           the clip with the logo taken out
#   clip-fill.y4m, fill.ini   the same mask filled, without the model
#   before-after-native.png, before-after-win32.png
#                             one frame before and after, from each build
#   removal.png               the logo's area: clip, fill, taken out, clean
#   summary.txt               the figures
# The Windows output is compared with the native one and then deleted:
# identical bytes. --drop-clips deletes the other videos too once every
# check has passed (for CI, where the disk is short).
#
# Exits non-zero, naming the step, when a step fails or a check misses:
# detect must find the logo where it is, both builds must find the same
# mask and model and give byte-identical frames, and the logo taken out must
# come closer to the clean clip than the fill of the same mask by 6 dB or
# more (PSNR-Y), as the real-picture tests promise for translucent logos.
set -eEuo pipefail
cd "$(dirname "$0")/.."

out=out drop_clips=
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$2; shift 2 ;;
    --drop-clips) drop_clips=1; shift ;;
    -*) echo "main: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || { echo "usage: main-steps.sh [--out DIR] [--drop-clips] NATIVE_BUILD WIN32_BUILD" >&2; exit 2; }
native=$(cd "$1" && pwd) win32=$(cd "$2" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

# A film excerpt with text at 55 % opacity in its top-right corner; 150
# frames (6 s) give detect 37 frames to look at, twice the least it decides on.
case_name=film-sd-text-tr frames=150 frame=100
python=/usr/bin/python3
started=$SECONDS
step=0 step_name="checking the builds"
trap 'echo "main: FAILED at step $step ($step_name)" >&2' ERR
fail() { echo "main: $*" >&2; echo "main: FAILED at step $step ($step_name)" >&2; exit 1; }
next() { step=$((step + 1)) step_name=$1; echo "main: [$step/7] $1" >&2; }

for file in "$native/kestrimo-host" "$native/libKRD_Kestrimo.so" \
            "$win32/kestrimo-host.exe" "$win32/KRD_Kestrimo.dll"; do
  [ -f "$file" ] || fail "$file is missing: build kestrimo-host (it brings the plug-in) there first"
done
# Windows programs under Wine see the Linux root as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# Results of an earlier run (and of the main job before it) go first.
(cd "$out" && rm -rf clip*.y4m clip.json clip-corpus logo-truth.png logo*.bmp logo*.ini \
  fill.ini detect*.png detect*.log detected* before-after-*.png removal.png summary.txt)

next "the clip: $frames frames of a film with a translucent logo laid over it"
"$python" tests/detect/make-logo-corpus.py --out "$out/clip-corpus" --frames "$frames" \
  --cases "$case_name" >&2
mv "$out/clip-corpus/$case_name.y4m" "$out/clip.y4m"
mv "$out/clip-corpus/$case_name-clean.y4m" "$out/clip-clean.y4m"
mv "$out/clip-corpus/$case_name-logo.png" "$out/logo-truth.png"
mv "$out/clip-corpus/cases.json" "$out/clip.json"
rmdir "$out/clip-corpus"

next "detect finds the logo and writes its mask and model into channel 1 of logo.ini"
status=0
"$native/kestrimo-host" detect -i "$out/clip.y4m" --mask "$out/logo.bmp" --write 1 \
  --settings "$out/logo.ini" --overlay "$out/detect-overlay.png" \
  --model "$out/detect-model.png" 2> "$out/detect.log" || status=$?
cat "$out/detect.log" >&2
[ "$status" -eq 0 ] || fail "detect found no logo (exit $status)"
if [ ! -f "$out/logo-model.bmp" ] || ! grep -q '^LogoModelFile=' "$out/logo.ini"; then
  fail "detect wrote no logo model"
fi

next "the same under Wine with the Windows build"
scripts/wine-run.sh "$win32/kestrimo-host.exe" detect -i "$(windows_path "$out/clip.y4m")" \
  --mask "$(windows_path "$out/logo-win32.bmp")" --write 1 \
  --settings "$(windows_path "$out/logo-win32.ini")" 2> "$out/detect-win32.log" ||
  { cat "$out/detect-win32.log" >&2; fail "the Windows detect failed"; }
cmp "$out/logo.bmp" "$out/logo-win32.bmp" >&2 ||
  fail "the Windows detect wrote another mask picture"
cmp "$out/logo-model.bmp" "$out/logo-win32-model.bmp" >&2 ||
  fail "the Windows detect wrote another logo model"

next "the logo taken out with its model by the native library"
"$native/kestrimo-host" --channel 1 --settings "$out/logo.ini" -i "$out/clip.y4m" \
  -o "$out/clip-native.y4m" --snapshot "$frame:$out/before-after-native.png"

next "the same by the Windows DLL under Wine"
scripts/wine-run.sh "$win32/kestrimo-host.exe" --channel 1 \
  --settings "$(windows_path "$out/logo-win32.ini")" -i "$(windows_path "$out/clip.y4m")" \
  -o "$(windows_path "$out/clip-win32.y4m")" \
  --snapshot "$frame:$(windows_path "$out/before-after-win32.png")"
cmp "$out/clip-native.y4m" "$out/clip-win32.y4m" >&2 ||
  fail "the native and the Windows output differ"
rm "$out/clip-win32.y4m"

next "the same mask filled, without the model, for comparison"
grep -v '^LogoModelFile=' "$out/logo.ini" > "$out/fill.ini"
"$native/kestrimo-host" --channel 1 --settings "$out/fill.ini" -i "$out/clip.y4m" \
  -o "$out/clip-fill.y4m"

next "the figures against the clean clip"
"$python" scripts/removal-figures.py --case "$out/clip.json" --clip "$out/clip.y4m" \
  --clean "$out/clip-clean.y4m" --truth "$out/logo-truth.png" \
  --detect-log "$out/detect.log" --model "$out/detect-model.png" \
  --fill "$out/clip-fill.y4m" --removed "$out/clip-native.y4m" \
  --picture "$out/removal.png" --frame "$frame" > "$out/summary.txt" ||
  { cat "$out/summary.txt"; fail "the removal missed its figures"; }
{
  echo "the native and the Windows build: the same mask picture and model, byte-identical frames"
  echo "results in $out:"
  echo "  before | after, frame $frame:  before-after-native.png, before-after-win32.png"
  echo "  the logo's area:            removal.png (clip | filled | taken out | clean)"
  echo "  what detect found:          detect-overlay.png, detect-model.png, logo.ini"
} >> "$out/summary.txt"
if [ -n "$drop_clips" ]; then
  rm "$out"/clip*.y4m
  echo "  (the videos are deleted)" >> "$out/summary.txt"
else
  echo "  the videos:                 clip.y4m, clip-native.y4m, clip-fill.y4m, clip-clean.y4m" \
    >> "$out/summary.txt"
fi
sed 's/^/main: /' "$out/summary.txt"
echo "main: done in $((SECONDS - started)) s"
