#!/usr/bin/env bash
# Frames without the logo pass unchanged on channels with LogoPresenceCheck=1:
# real-picture clips whose logo is away during an ad break (cut out and in),
# fades out and back in, or comes only after the first third.
# evaluate-presence.py --check holds each to 45 dB or more against the input
# where the logo is away, and to the same removal where it shows.
# usage: presence-real.sh PYTHON SOURCE_DIR HOST WORKDIR
set -euo pipefail
python=$1 source=$2 host=$3 work=$4
rm -rf "$work"
"$python" "$source/make-logo-corpus.py" --out "$work/corpus" --frames 150 \
  --cases adbreak-sd-mark-tl,adbreak-sd-text-tr,adbreak-sd-mark-br
"$python" "$source/evaluate-presence.py" --corpus "$work/corpus" --host "$host" \
  --out "$work/results" --check
# Passed: the clips go, the results stay.
rm -rf "$work/corpus"
