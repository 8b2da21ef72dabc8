#!/usr/bin/python3
"""A numpy model of a logo detector, for trying its rules on the logo corpus.

Statistics, one pass over frames sampled sparsely (every --step-th frame):
  M   length of the mean gradient vector over the samples, summed over the
      luma and both chroma planes: a logo's outline stays, the picture's own
      edges move and cancel out;
  P   sign persistence: for each of +x, -x, +y, -y, the share of samples in
      which the luma gradient points that way by more than 8 levels; the
      largest of the four (PC: the same over luma and both chroma planes,
      6 levels for chroma), so that a coloured mark on a background of the
      same brightness still counts.

Decision:
  - the share of the frame's centre with persistent edges (P > 0.7) tells a
    still camera: above 2 % the clip cannot tell a logo from the background,
    and there is no answer;
  - logo edges: persistent (P or PC > 0.7) and strong (M > 4 x the median M
    of the centre), in the top and bottom 22 % of the frame; rows or columns
    that are edges across 30 % of the frame are lines of the picture (bars,
    a horizon), not a logo;
  - edges a few pixels apart are joined into groups (a mark and its letters
    are one logo; wider apart horizontally than vertically, as words are);
    the group with the most edge strength is the logo;
  - its edges closed, filled and grown by 2 pixels are the mask.

    /usr/bin/python3 tests/detect/model-detect.py --corpus DIR [CASE...]

prints, per case, the still share and the mask found against the truth.
"""
import argparse
import json
import os
import sys

import numpy as np
from PIL import Image
from scipy import ndimage as ndi


def y4m_frames(path, step):
    """Yields (Y, U, V) of every step-th frame, chroma widened to full width."""
    with open(path, "rb") as f:
        header = f.readline().split()
        width = int(next(t for t in header if t.startswith(b"W"))[1:])
        height = int(next(t for t in header if t.startswith(b"H"))[1:])
        plane = width * height
        index = 0
        while f.readline():
            data = f.read(plane * 2)
            if len(data) < plane * 2:
                return
            if index % step == 0:
                y = np.frombuffer(data, np.uint8, plane).reshape(height, width)
                u = np.frombuffer(data, np.uint8, plane // 2, plane).reshape(height, width // 2)
                v = np.frombuffer(data, np.uint8, plane // 2, plane + plane // 2).reshape(
                    height, width // 2)
                yield [p.astype(np.float32) for p in (y, np.repeat(u, 2, 1), np.repeat(v, 2, 1))]
            index += 1


def gradient(p):
    gx = np.zeros_like(p)
    gy = np.zeros_like(p)
    gx[:, 1:-1] = p[:, 2:] - p[:, :-2]
    gy[1:-1, :] = p[2:, :] - p[:-2, :]
    return gx, gy


def statistics(path, step):
    count = 0
    for planes in y4m_frames(path, step):
        if count == 0:
            sums = np.zeros((3, 2) + planes[0].shape, np.float32)
            signs = np.zeros((12,) + planes[0].shape, np.int16)
        for c, p in enumerate(planes):
            gx, gy = gradient(p)
            sums[c, 0] += gx
            sums[c, 1] += gy
            t = 8.0 if c == 0 else 6.0
            signs[4 * c] += gx > t
            signs[4 * c + 1] += gx < -t
            signs[4 * c + 2] += gy > t
            signs[4 * c + 3] += gy < -t
        count += 1
    M = sum(np.hypot(s[0], s[1]) for s in sums) / count
    return M, signs[:4].max(0) / count, signs.max(0) / count


def decide(M, P, PC):
    """The mask found, or None, and the still share of the centre."""
    h, w = M.shape
    centre = (slice(h // 4, 3 * h // 4), slice(w // 4, 3 * w // 4))
    still = float(np.mean(P[centre] > 0.7))
    if still > 0.02:
        return None, still
    noise = float(np.median(M[centre])) + 0.5
    band = np.zeros_like(M, bool)
    bh = int(h * 0.22)
    band[:bh] = True
    band[h - bh:] = True
    edges = ((P > 0.7) | (PC > 0.7)) & (M > 4 * noise) & band
    edges[edges.sum(1) > 0.3 * w, :] = False
    edges[:, edges.sum(0) > 0.3 * h] = False
    r = max(2, h // 80)
    groups, count = ndi.label(ndi.binary_dilation(edges, np.ones((2 * r + 1, 6 * r + 1), bool)))
    best, best_score = 0, 0.0
    for i, where in enumerate(ndi.find_objects(groups), start=1):
        height = where[0].stop - where[0].start
        width = where[1].stop - where[1].start
        inside = edges[where] & (groups[where] == i)
        if width > 0.45 * w or height > 0.3 * h or inside.sum() < 20:
            continue
        score = float((M[where][inside] / noise).sum())
        if score > best_score:
            best, best_score = i, score
    if best == 0:
        return None, still
    logo = (groups == best) & edges
    pad = 3 * r
    closed = ndi.binary_closing(np.pad(logo, pad), np.ones((2 * r + 1, 2 * r + 1), bool))
    filled = ndi.binary_fill_holes(closed[pad:-pad, pad:-pad] | logo)
    return ndi.binary_dilation(filled, iterations=2), still


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--step", type=int, default=4)
    parser.add_argument("cases", nargs="*")
    args = parser.parse_args()
    with open(os.path.join(args.corpus, "cases.json")) as f:
        cases = json.load(f)
    for case in cases:
        if args.cases and case["name"] not in args.cases:
            continue
        M, P, PC = statistics(os.path.join(args.corpus, case["files"]["clip"]), args.step)
        mask, still = decide(M, P, PC)
        line = f"{case['name']:24s} still {still:.2f}  "
        if case["logo"] is None:
            line += "no logo: " + ("a mask (wrong)" if mask is not None else "none (right)")
        elif mask is None:
            line += "logo missed"
        else:
            truth = np.array(Image.open(os.path.join(args.corpus, case["files"]["truth"])))
            logo = truth[:, :, 3] > 0
            ys, xs = np.nonzero(mask)
            line += (f"covers {100 * (logo & mask).sum() / logo.sum():5.1f}% of the logo, "
                     f"box x {xs.min()}..{xs.max()} y {ys.min()}..{ys.max()}, "
                     f"true {case['logo']['bbox']}")
        print(line, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
