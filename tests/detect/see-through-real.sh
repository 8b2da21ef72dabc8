#!/usr/bin/env bash
# An opaque logo seen through where the camera showed the scene before, on
# real-picture clips: a pan over a photograph with cuts (SD), a fixed camera
# with a box moved in front of it, and film with its own cuts. The history
# must gain on the logo's pixels that had been in view, and be no worse than
# the fill over all of them, nor just after the cuts.
# usage: see-through-real.sh PYTHON SOURCE_DIR HOST WORKDIR
set -euo pipefail
python=$1 source=$2 host=$3 work=$4
rm -rf "$work"
"$python" "$source/make-logo-corpus.py" --out "$work/corpus" --frames 100 \
  --cases camera-sd-text-bl,still-sd-mark-tr-opaque,film-sd-text-br-opaque
"$python" "$source/evaluate-see-through.py" --corpus "$work/corpus" --host "$host" \
  --out "$work/fill" --set LogoSeeThrough=0 --label fill
"$python" "$source/evaluate-see-through.py" --corpus "$work/corpus" --host "$host" \
  --out "$work/history" --set LogoSeeThrough=1 --label history \
  --compare "$work/fill/results.csv" --check --min-gain 12
# Passed: the clips go, the results stay.
rm -rf "$work/corpus"
