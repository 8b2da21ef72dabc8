#!/usr/bin/env bash
# The logo finder on a handful of real-picture clips: a film with an opaque
# mark and with blended letters, photographs under a moving camera with faint
# text, and two clips without a logo (moving photographs: no logo; a fixed
# webcam: cannot tell). Then, shorter, clips of everyday television: a fixed
# camera over a table with a box moved across it by hand and no logo (no
# mask: the box hides the table's edges), a logo inside letterbox bars, and
# a logo taken off for an ad break (found, and modelled from the frames
# that show it), and a clock beside a logo and alone (the logo found, the
# clock left out: its seconds change at regular times).
# evaluate-detect.py --check holds each to what the finder promises.
# usage: detect-real.sh PYTHON SOURCE_DIR HOST WORKDIR
set -euo pipefail
python=$1 source=$2 host=$3 work=$4
rm -rf "$work"
"$python" "$source/make-logo-corpus.py" --out "$work/corpus" --frames 160 \
  --cases film-sd-mark-tl,film-sd-text-tr,photos-sd-text-bl,photos-sd-nologo,tree-vga-nologo
"$python" "$source/evaluate-detect.py" --corpus "$work/corpus" --host "$host" \
  --out "$work/results" --overlays none --check
"$python" "$source/make-logo-corpus.py" --out "$work/everyday" --frames 150 \
  --cases still-sd-nologo,letterbox-sd-mark-tr,adbreak-sd-mark-tl,clock-sd-mark-tl,clock-sd-nologo
"$python" "$source/evaluate-detect.py" --corpus "$work/everyday" --host "$host" \
  --out "$work/everyday-results" --overlays none --check
# Passed: the clips go, the results stay.
rm -rf "$work/corpus" "$work/everyday"
