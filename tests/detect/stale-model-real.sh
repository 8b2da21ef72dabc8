#!/usr/bin/env bash
# A logo model gone stale in its right third (another colour than the
# frames show) on real-picture clips: white text at 55 % over a dark film,
# where the stale colour lies close to the picture and the model expects no
# edges there; text at 30 % over photographs; a plate at 80 %, whose stale
# third would make the frame as a whole look as if it had no logo.
# evaluate-stale-model.py --check holds that third to the fill's PSNR-Y.
# usage: stale-model-real.sh PYTHON SOURCE_DIR HOST WORKDIR
set -euo pipefail
python=$1 source=$2 host=$3 work=$4
rm -rf "$work"
"$python" "$source/make-logo-corpus.py" --out "$work/corpus" --frames 100 \
  --cases film-sd-text-tr,photos-sd-text-bl,photos-sd-mark-bc
"$python" "$source/evaluate-stale-model.py" --corpus "$work/corpus" --host "$host" \
  --out "$work/results" --check
# Passed: the clips go, the results stay.
rm -rf "$work/corpus"
