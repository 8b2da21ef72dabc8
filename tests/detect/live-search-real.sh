#!/usr/bin/env bash
# The plug-in's live logo search, as the settings window starts it, on a
# handful of real-picture clips: an opaque mark over a film, faint letters
# over photographs under a moving camera, a logo inside letterbox bars, one
# beside a clock and one away for an ad break (found on a second look);
# without a logo, moving photographs, a fixed camera over a table and a
# clock alone. evaluate-live-search.py --check holds each
# to the logo's box covered with the clock left out, or to no mask.
# KESTRIMO_LIVE_SEARCH_CASES, when set, names fewer of them (a slow build).
# usage: live-search-real.sh PYTHON SOURCE_DIR PROGRAM WORKDIR
set -euo pipefail
python=$1 source=$2 program=$3 work=$4
rm -rf "$work"
cases=film-sd-mark-tl,photos-sd-text-bl,photos-sd-nologo,still-sd-nologo,letterbox-sd-mark-tr,clock-sd-mark-tl,clock-sd-nologo,adbreak-sd-mark-tl
"$python" "$source/make-logo-corpus.py" --out "$work/corpus" --frames 150 \
  --cases "${KESTRIMO_LIVE_SEARCH_CASES:-$cases}"
"$python" "$source/evaluate-live-search.py" --corpus "$work/corpus" --program "$program" --check
# Passed: the clips go.
rm -rf "$work"
