#!/usr/bin/python3
"""Checks make-logo-corpus.py on two short cases: one over real video, one
over photographs. The clips open with the stated frame count, the truth PNG
has the frame size, and the logo clip differs from the clean clip where the
truth's alpha says and nowhere else: Y as the blend predicts it to within
rounding, U and V only in pixel pairs the logo touches.

Usage: check-logo-corpus.py GENERATOR WORK_FOLDER
"""
import json
import os
import shutil
import subprocess
import sys

try:
    import numpy as np
    from PIL import Image
except ImportError as error:
    sys.exit("check-logo-corpus: %s: install the Debian packages python3-numpy and python3-pil "
             "and run with /usr/bin/python3" % error)

CASES = "street-sd-mark-tr,photos-sd-outline-tr"
FRAMES = 12


def read_y4m(path):
    """(header fields, list of (Y, U, V)) of a planar 4:2:2 YUV4MPEG2 file."""
    with open(path, "rb") as clip:
        data = clip.read()
    header, _, rest = data.partition(b"\n")
    fields = header.decode().split()
    assert fields[0] == "YUV4MPEG2", "%s: not YUV4MPEG2" % path
    tags = {f[0]: f[1:] for f in fields[1:]}
    assert tags.get("C") == "422", "%s: not C422: %s" % (path, header)
    w, h = int(tags["W"]), int(tags["H"])
    frame_size = w * h * 2
    frames, at = [], 0
    while at < len(rest):
        assert rest[at:at + 6] == b"FRAME\n", "%s: frame %d has no FRAME line" % (path, len(frames))
        at += 6
        block = np.frombuffer(rest, np.uint8, frame_size, at)
        at += frame_size
        frames.append((block[:w * h].reshape(h, w),
                       block[w * h:w * h * 3 // 2].reshape(h, w // 2),
                       block[w * h * 3 // 2:].reshape(h, w // 2)))
    return (w, h), frames


def luma(rgb):
    rgb = rgb.astype(np.float64)
    return 16.0 + (65.481 * rgb[..., 0] + 128.553 * rgb[..., 1] + 24.966 * rgb[..., 2]) / 255.0


def check_case(folder, meta):
    name = meta["name"]
    size, with_logo = read_y4m(os.path.join(folder, meta["files"]["clip"]))
    clean_size, clean = read_y4m(os.path.join(folder, meta["files"]["clean"]))
    assert size == clean_size == (meta["width"], meta["height"]), "%s: frame sizes differ" % name
    assert len(with_logo) == len(clean) == FRAMES, \
        "%s: %d and %d frames, %d wanted" % (name, len(with_logo), len(clean), FRAMES)
    truth = Image.open(os.path.join(folder, meta["files"]["truth"]))
    assert truth.mode == "RGBA" and truth.size == size, \
        "%s: truth PNG is %s %s" % (name, truth.mode, truth.size)
    truth = np.asarray(truth)
    a = truth[..., 3].astype(np.float64) / 255.0
    covered = a > 0
    ys, xs = np.nonzero(covered)
    assert [xs.min(), ys.min(), xs.max() + 1, ys.max() + 1] == meta["logo"]["bbox"], \
        "%s: bounding box differs from the PNG's" % name
    pair_covered = covered[:, 0::2] | covered[:, 1::2]
    logo_y = luma(truth[..., :3])
    changed = np.zeros_like(covered)
    for index, ((y1, u1, v1), (y0, u0, v0)) in enumerate(zip(with_logo, clean)):
        where = "%s frame %d" % (name, index)
        assert np.array_equal(y1[~covered], y0[~covered]), "%s: Y changed outside the logo" % where
        assert np.array_equal(u1[~pair_covered], u0[~pair_covered]) and \
            np.array_equal(v1[~pair_covered], v0[~pair_covered]), \
            "%s: U or V changed outside the logo" % where
        predicted = a * logo_y + (1 - a) * y0
        error = np.abs(y1.astype(np.float64) - predicted)[covered]
        assert error.max() <= 1.5, "%s: Y is %.2f off the blend" % (where, error.max())
        # Beyond rounding, the clip changed wherever the blend moves Y.
        visible = np.abs(predicted - y0) >= 2
        assert np.all(y1[visible] != y0[visible]), "%s: Y unchanged under the logo" % where
        changed |= visible
    assert changed.sum() >= 0.5 * covered.sum(), \
        "%s: the logo stands out in only %d of its %d pixels" % (name, changed.sum(), covered.sum())


def main():
    generator, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    run = subprocess.run([sys.executable, generator, "--out", work, "--frames", str(FRAMES),
                          "--cases", CASES], capture_output=True, text=True)
    sys.stdout.write(run.stdout)
    if run.returncode != 0:
        sys.exit("check-logo-corpus: the generator failed:\n" + run.stderr)
    with open(os.path.join(work, "cases.json")) as listing:
        cases = json.load(listing)
    assert [c["name"] for c in cases] == CASES.split(","), "cases.json lists %r" % cases
    for meta in cases:
        check_case(work, meta)
        print("%s: logo and clean clips agree with the truth" % meta["name"])
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
