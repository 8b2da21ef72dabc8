#!/usr/bin/env bash
# Reproduces every performance figure on a fresh Debian 12 machine, as root:
# sets the machine up, installs the peers (FFmpeg's libraries, OpenCV) and the
# plotting tools if missing, builds the native preset, runs the frame bench
# (ours against the peers and a bare copy, plus the quality runs), the rebuild
# latency and instruction counts where those tools exist, and draws the plot.
# Results, all in out/performance/: speed.csv, quality.csv, summary.md, the
# logs and area.png. Nothing tracked is written: copy a plot to docs/ by hand
# when the page's figures are renewed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=out/performance
build=build/native

bash scripts/setup.sh

peer_packages=(
  libavfilter-dev libswscale-dev libopencv-photo-dev libopencv-imgproc-dev
  libopencv-core-dev python3-matplotlib python3-skimage ffmpeg valgrind
)
missing=()
for p in "${peer_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "performance: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset native
cmake --build --preset native
if [ ! -x "$build/kestrimo_frame_bench" ]; then
  echo "performance: $build/kestrimo_frame_bench was not built (peers' libraries not found?)" >&2
  exit 1
fi

mkdir -p "$out"
"$build/kestrimo_frame_bench" --out "$out" 2> "$out/frame-bench.log" | tee "$out/frame-bench.md"

if [ -x "$build/kestrimo_bench" ]; then
  "$build/kestrimo_bench" --benchmark_filter='^Rebuild/' | tee "$out/rebuild.txt"
fi
if [ -f scripts/count-instructions.sh ]; then
  bash scripts/count-instructions.sh | tee "$out/instructions.txt"
fi

/usr/bin/python3 scripts/plot-performance.py --csv "$out/speed.csv" --out "$out/area.png"
echo "performance: tables in $out/summary.md, plot in $out/area.png"
