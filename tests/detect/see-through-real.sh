#!/usr/bin/env bash
# An opaque logo seen through where the camera showed the scene before, on
# real-picture clips: a pan over a photograph with cuts (SD), a fixed camera
# with a box moved in front of it, and film with its own cuts. The history
# must gain on the logo's pixels that had been in view, and be no worse than
# the fill over all of them, nor just after the cuts, nor over any second.
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
# A fixed camera with a box moved by hand past the logo, whole: no second
# of it may be worse than the fill once the box has gone.
"$python" "$source/make-logo-corpus.py" --out "$work/corpus-box" --frames 200 \
  --cases still-sd-mark-bl
"$python" "$source/evaluate-see-through.py" --corpus "$work/corpus-box" --host "$host" \
  --out "$work/box-fill" --set LogoSeeThrough=0 --label fill
"$python" "$source/evaluate-see-through.py" --corpus "$work/corpus-box" --host "$host" \
  --out "$work/box-history" --set LogoSeeThrough=1 --label history \
  --compare "$work/box-fill/results.csv" --check --min-gain 0
# Passed: the clips go, the results stay.
rm -rf "$work/corpus" "$work/corpus-box"
