#!/usr/bin/env bash
# Instructions per frame of the plug-in's frame entry point, counted by
# callgrind: a figure that does not drift with the machine's load.
#
#   scripts/count-instructions.sh [BUILD_FOLDER]     (default build/native)
#
# Each case runs kestrimo-host over the first N1 and then the first N2 frames
# of one generated clip (raw YUY2), counting only inside the frame entry
# point; the difference of the two totals divided by N2 - N1 is the cost of
# one steady frame, without start-up, the first frame's mask rebuild or the
# host's own reading and writing. N1 and N2 may be set in the environment.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/native}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
host="$build/kestrimo-host"
n1=${N1:-4}
n2=${N2:-16}

for tool in valgrind python3; do
  command -v "$tool" >/dev/null || { echo "count-instructions: $tool not found" >&2; exit 1; }
done
[ -x "$host" ] || { echo "count-instructions: no $host (build the native preset first)" >&2; exit 1; }
[ "$n2" -gt "$n1" ] || { echo "count-instructions: N2 must exceed N1" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Total instructions of the frame entry point over the first `frames` frames.
count() {
  local width=$1 height=$2 settings=$3 frames=$4 clip=$5
  local out="$work/callgrind.out"
  head -c $((frames * width * height * 2)) "$clip" > "$work/part.yuv"
  valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect='kestrimo::ProcessFrame(*' \
    "$host" --settings "$settings" --format yuyv422 --size "${width}x${height}" \
    -i "$work/part.yuv" -o /dev/null > "$work/valgrind.log" 2>&1 ||
    { cat "$work/valgrind.log" >&2; exit 1; }
  local total
  total=$(sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$out")
  [ -n "$total" ] || { echo "count-instructions: no summary in $out" >&2; exit 1; }
  [ "$total" -gt 0 ] || { echo "count-instructions: the frame entry point was not found (symbols stripped?)" >&2; exit 1; }
  echo "$total"
}

# One table row: name, frame size, and the lines of channel 1's section.
measure() {
  local name=$1 width=$2 height=$3
  shift 3
  local settings="$work/$name.ini" clip="$work/clip-${width}x${height}.yuv"
  { echo "[COMMON]"; echo "[1]"; echo "ProcEnable=1"; printf '%s\n' "$@"; } > "$settings"
  [ -f "$clip" ] || python3 "$root/scripts/make-clip.py" --width "$width" --height "$height" \
    --frames "$n2" --format yuyv422 "$clip"
  local low high
  low=$(count "$width" "$height" "$settings" "$n1" "$clip")
  high=$(count "$width" "$height" "$settings" "$n2" "$clip")
  printf '%-34s %10s %14d\n' "$name" "${width}x${height}" $(((high - low) / (n2 - n1)))
}

printf '%-34s %10s %14s\n' "case (YUY2)" "frame" "instr/frame"
measure "default mask" 720 576
measure "default mask, EdgeBlur 10" 720 576 "EdgeBlur=10"
measure "default mask, ScreenBlur 3" 720 576 "ScreenBlur=3"
# 120 x 80 reference units are 300 x 150 pixels of a 1920 x 1080 frame.
measure "300x150 area" 1920 1080 "RectMaskSizeX=120" "RectMaskSizeY=80"
measure "300x150 area, EdgeBlur 10" 1920 1080 "RectMaskSizeX=120" "RectMaskSizeY=80" "EdgeBlur=10"
measure "300x150 area, ScreenBlur 3" 1920 1080 "RectMaskSizeX=120" "RectMaskSizeY=80" "ScreenBlur=3"
printf '(frames %d to %d of each clip; counted inside the frame entry point)\n' "$n1" "$n2"
