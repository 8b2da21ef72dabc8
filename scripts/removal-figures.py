#!/usr/bin/python3
"""How close a logo removal comes to the clean picture, for the main job.

Takes a clip written by tests/detect/make-logo-corpus.py (the clip with the
logo, the same clip without it, the logo's truth picture and its case
description), what detect printed, the model picture detect drew, and two
outputs of the plug-in over the clip with detect's mask: filled (without the
logo model) and with the logo taken out (with it). Prints

- the clip and the logo laid over it;
- the box detect found against the true box, and the estimated opacity and
  colour against the truth;
- for the clip as it came in (nothing done), the fill and the logo taken
  out: PSNR of Y over the logo's true box grown by 2 pixels against the
  clean clip, and the share of the logo's pixels, over all frames, more than
  24 levels of Y off the clean picture (still visible);

and draws frame --frame of the logo's area, twice the size, side by side:
the clip, the fill, the logo taken out, the clean picture.

Exits 1 unless detect's box overlaps the true box by 70 % or more, the fill
is better than nothing and the logo taken out is --gain dB or more better
than the fill. The measures are evaluate-detect.py's, on the same corpus.

Runs Debian's /usr/bin/python3 (python3-numpy, python3-pil).
"""
import argparse
import importlib.util
import json
import os
import re
import sys

sys.dont_write_bytecode = True  # nothing left beside the measures' source
HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "evaluate_detect", os.path.join(HERE, "..", "tests", "detect", "evaluate-detect.py"))
measures = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(measures)
np, Image = measures.np, measures.Image


def found_box(detect_log):
    """The box detect reports (x0, y0, x1, y1; x1, y1 excluded), or None."""
    with open(detect_log, encoding="utf-8", errors="replace") as log:
        match = re.search(r"logo at x (\d+)\.\.(\d+), y (\d+)\.\.(\d+)", log.read())
    if not match:
        return None
    x0, x1, y0, y1 = map(int, match.groups())
    return [x0, y0, x1 + 1, y1 + 1]


def measure(paths, logo, grown, keep):
    """PSNR-Y over grown and visible share over logo for every output against
    the clean clip, and the raw bytes of frame keep of each."""
    files = {name: open(path, "rb") for name, path in paths.items()}
    try:
        readers = {name: measures.Y4m(f, paths[name]) for name, f in files.items()}
        x0, y0, x1, y1 = grown
        sse = dict.fromkeys(paths, 0.0)
        visible = dict.fromkeys(paths, 0)
        kept, frames = {}, 0
        while True:
            got = {name: reader.frame() for name, reader in readers.items()}
            if any(g is None for g in got.values()):
                if any(g is not None for g in got.values()):
                    raise SystemExit("removal-figures: the clips differ in length")
                break
            clean = got["clean"][0].astype(np.int16)
            for name, (y, data) in got.items():
                diff = y.astype(np.int16) - clean
                sse[name] += float(np.sum(diff[y0:y1, x0:x1].astype(np.float64) ** 2))
                visible[name] += int(np.count_nonzero(np.abs(diff[logo]) > measures.VISIBLE))
                if frames == keep:
                    kept[name] = data
            frames += 1
    finally:
        for f in files.values():
            f.close()
    area = (x1 - x0) * (y1 - y0)
    pixels = int(np.count_nonzero(logo))
    return ({name: measures.psnr(sse[name], area * frames) for name in paths},
            {name: 100.0 * visible[name] / (pixels * frames) for name in paths}, kept, frames)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name, what in [("case", "the clip's case description (cases.json)"),
                       ("clip", "the clip with the logo"), ("clean", "the clip without it"),
                       ("truth", "the logo's colour and opacity, RGBA"),
                       ("detect-log", "what detect printed on stderr"),
                       ("model", "detect's --model picture (.png)"),
                       ("fill", "the plug-in's output without the logo model"),
                       ("removed", "the plug-in's output with it"),
                       ("picture", "the side-by-side picture to write")]:
        parser.add_argument("--" + name, required=True, help=what)
    parser.add_argument("--frame", type=int, default=100, help="frame of the picture (100)")
    parser.add_argument("--gain", type=float, default=6.0,
                        help="dB over the fill the logo taken out must reach (6)")
    args = parser.parse_args()

    with open(args.case) as listing:
        case = json.load(listing)
    case = case[0] if isinstance(case, list) else case
    source, logo_meta = case["source"]["files"][0], case["logo"]
    w, h = case["width"], case["height"]
    box = logo_meta["bbox"]
    print("clip: %d frames of %dx%d from %s (Debian package %s): %s"
          % (case["frames"], w, h, source["path"], source["package"], case["source"]["what"]))
    print("logo laid over it: %s %r, %d %% opaque, %s, box x %s"
          % (logo_meta["shape"], logo_meta["text"], round(logo_meta["opacity"] * 100),
             logo_meta["corner"], measures.box_text(box).replace(", ", ", y ")))

    misses = []
    found = found_box(args.detect_log)
    if found is None:
        misses.append("detect reported no logo box")
        print("found: nothing")
    else:
        overlap = measures.overlap(found, box)
        print("found by detect: box x %s, %.0f %% overlap with the true box"
              % (measures.box_text(found).replace(", ", ", y "), 100 * overlap))
        if overlap < 0.7:
            misses.append("detect's box overlaps the true box by %.0f %%, want 70 %%" % (100 * overlap))
    truth = np.asarray(Image.open(args.truth))
    opacity_error, colour_error = measures.model_errors(args.model, truth)
    print("its model: opacity within %.3f of the truth on average, colour within %.1f levels"
          % (opacity_error, colour_error))

    logo = truth[..., 3] > 0
    b = measures.BORDER
    grown = [max(0, box[0] - b), max(0, box[1] - b), min(w, box[2] + b), min(h, box[3] + b)]
    paths = {"clean": args.clean, "clip": args.clip, "fill": args.fill, "removed": args.removed}
    psnr, visible, kept, frames = measure(paths, logo, grown, args.frame)
    print("against the clean clip, over the logo's box (PSNR-Y) and its pixels (still visible: "
          "more than %d levels off), %d frames:" % (measures.VISIBLE, frames))
    for name, label in [("clip", "nothing done"), ("fill", "filled"), ("removed", "taken out")]:
        print("  %-13s %5.1f dB  %5.1f %% visible" % (label, psnr[name], visible[name]))
    gain = psnr["removed"] - psnr["fill"]
    print("  the logo taken out: %+.1f dB over the fill, %+.1f dB over nothing done"
          % (gain, psnr["removed"] - psnr["clip"]))
    if psnr["fill"] <= psnr["clip"]:
        misses.append("the fill (%.1f dB) is no better than nothing done (%.1f dB)"
                      % (psnr["fill"], psnr["clip"]))
    if gain < args.gain:
        misses.append("the logo taken out is %.1f dB over the fill, want %.1f" % (gain, args.gain))

    if len(kept) == len(paths):
        measures.draw_removal(args.picture, [kept[n] for n in ("clip", "fill", "removed", "clean")],
                              w, h, box)
    else:
        misses.append("the clips have no frame %d for the picture" % args.frame)
    for miss in misses:
        print("removal-figures: missed: " + miss, file=sys.stderr)
    return 1 if misses else 0


if __name__ == "__main__":
    sys.exit(main())
