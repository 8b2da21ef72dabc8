#!/usr/bin/env bash
# Taking a blended logo out with the model detect estimates, on real-picture
# clips: text at 30 % and an outline at 55 % over photographs under a moving
# camera must come out at least 6 dB closer to the clean picture than the
# fill of the same mask, a thin outline at 80 % over a film no worse than it;
# an opaque mark over a film is filled as without a model.
# evaluate-detect.py --removal --check holds each to that.
# usage: removal-real.sh PYTHON SOURCE_DIR HOST WORKDIR
set -euo pipefail
python=$1 source=$2 host=$3 work=$4
rm -rf "$work"
"$python" "$source/make-logo-corpus.py" --out "$work/corpus" --frames 200 \
  --cases film-sd-mark-tl,film-sd-outline-bc,photos-sd-text-bl,photos-sd-outline-tr
"$python" "$source/evaluate-detect.py" --corpus "$work/corpus" --host "$host" \
  --out "$work/results" --overlays none --removal --check
# Passed: the clips go, the results stay.
rm -rf "$work/corpus"
