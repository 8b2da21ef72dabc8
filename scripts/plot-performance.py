#!/usr/bin/python3
"""Draws the cost per frame against the logo area from the frame bench's CSV.

    /usr/bin/python3 scripts/plot-performance.py [--csv out/performance/speed.csv]
                                                 [--out out/performance/area.png]

One panel per frame size; one line per method (ours, the peers, the bare copy
of the area), both axes logarithmic.
"""
import argparse
import csv
import sys
from collections import defaultdict

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

STYLES = {
    "ours": dict(color="tab:blue", marker="o", linewidth=2.5, label="ours (EdgeBlur 0, ScreenBlur 0)"),
    "copy": dict(color="black", marker=".", linestyle="--", label="bare copy of the area"),
    "delogo": dict(color="tab:orange", marker="s", label="FFmpeg delogo"),
    "removelogo": dict(color="tab:red", marker="^", label="FFmpeg removelogo"),
    "inpaint": dict(color="tab:green", marker="v", label="OpenCV inpaint (Telea, r=3)"),
}


def read_sweep(path):
    """{frame: {method: [(pixels, microseconds, label)]}} for the sweep rows."""
    series = defaultdict(lambda: defaultdict(list))
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            if row["suite"] != "sweep":
                continue
            label = f'{row["area_w"]}x{row["area_h"]}'
            series[row["frame"]][row["method"]].append(
                (int(row["area_px"]), float(row["median_ns"]) / 1000.0, label))
    return series


def draw(series, out):
    frames = sorted(series, key=lambda f: int(f.split("x")[0]))
    fig, axes = plt.subplots(1, len(frames), figsize=(6.5 * len(frames), 5.2), squeeze=False)
    for ax, frame in zip(axes[0], frames):
        for method, style in STYLES.items():
            points = sorted(series[frame].get(method, []))
            if points:
                ax.plot([p[0] for p in points], [p[1] for p in points], **style)
        ours = sorted(series[frame].get("ours", []))
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.minorticks_off()
        ax.set_xticks([p[0] for p in ours], [p[2] for p in ours], rotation=35, fontsize=8)
        ax.set_title(f"{frame} frame")
        ax.set_xlabel("logo area (pixels, log scale)")
        ax.set_ylabel("time per frame (µs, log scale)")
        ax.grid(True, which="major", alpha=0.3)
    axes[0][0].legend(fontsize=8, loc="upper left")
    fig.suptitle("Cost per frame against the logo area (median of repeated runs)")
    fig.tight_layout()
    fig.savefig(out, dpi=110)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--csv", default="out/performance/speed.csv")
    parser.add_argument("--out", default="out/performance/area.png")
    args = parser.parse_args()
    series = read_sweep(args.csv)
    if not series:
        sys.exit(f"plot-performance: no sweep rows in {args.csv}")
    draw(series, args.out)
    print(f"plot-performance: wrote {args.out}")


if __name__ == "__main__":
    main()
