#!/usr/bin/python3
"""Checks make-logo-corpus.py on short cases: one over real video, one over
photographs, and three of everyday television (a logo that fades out and
back in, a letterboxed picture, a tag beside the logo). The clips open with
the stated frame count, the truth PNG has the frame size, and the logo clip
differs from the clean clip where the truth's alpha says and nowhere else: Y
as the blend predicts it to within rounding (with the frame's opacity factor
when the logo comes and goes; a frame without the logo is the clean frame
itself), U and V only in pixel pairs the logo touches. The bars around a
letterboxed picture are black; a tag's truth picture is where its box says,
apart from the logo.

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

# Cases and the frames each is made with: the fade needs frames without the
# logo between its fade out and fade in (FADE = 12 frames each).
RUNS = [("street-sd-mark-tr,photos-sd-outline-tr,letterbox-sd-mark-tr,tag-sd-text-tr", 12),
        ("adbreak-sd-text-tr", 45)]


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
    frames = meta["frames"]
    assert len(with_logo) == len(clean) == frames, \
        "%s: %d and %d frames, %d wanted" % (name, len(with_logo), len(clean), frames)
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
    factors = presence(meta)
    check_picture(meta, clean, covered)
    check_overlays(folder, meta, covered)
    changed = np.zeros_like(covered)
    for index, ((y1, u1, v1), (y0, u0, v0)) in enumerate(zip(with_logo, clean)):
        where = "%s frame %d" % (name, index)
        if factors[index] == 0:
            assert np.array_equal(y1, y0) and np.array_equal(u1, u0) and np.array_equal(v1, v0), \
                "%s: the logo is away, yet the frame is not the clean one" % where
            continue
        assert np.array_equal(y1[~covered], y0[~covered]), "%s: Y changed outside the logo" % where
        assert np.array_equal(u1[~pair_covered], u0[~pair_covered]) and \
            np.array_equal(v1[~pair_covered], v0[~pair_covered]), \
            "%s: U or V changed outside the logo" % where
        a = np.rint(truth[..., 3] * factors[index]) / 255.0
        predicted = a * logo_y + (1 - a) * y0
        error = np.abs(y1.astype(np.float64) - predicted)[covered]
        assert error.max() <= 1.5, "%s: Y is %.2f off the blend" % (where, error.max())
        # Beyond rounding, the clip changed wherever the blend moves Y.
        visible = np.abs(predicted - y0) >= 2
        assert np.all(y1[visible] != y0[visible]), "%s: Y unchanged under the logo" % where
        changed |= visible
    assert 0 in factors or changed.sum() >= 0.5 * covered.sum(), \
        "%s: the logo stands out in only %d of its %d pixels" % (name, changed.sum(), covered.sum())


def presence(meta):
    """The logo's opacity factor per frame, from the runs of "presence"
    (1 in every frame without it); the runs must tile the clip."""
    runs = meta.get("presence", [[0, meta["frames"], 1.0]])
    assert [r[0] for r in runs] == [0] + [r[1] for r in runs[:-1]] and \
        runs[-1][1] == meta["frames"], "%s: presence runs %r" % (meta["name"], runs)
    factors = [f for first, end, f in runs for _ in range(first, end)]
    assert all(0 <= f <= 1 for f in factors), "%s: a factor outside 0..1" % meta["name"]
    return factors


def check_picture(meta, clean, covered):
    """Bars around the picture: black in every frame that has them; the logo
    inside the picture when the bars are there throughout."""
    runs = meta.get("picture_runs", [])
    assert ("picture" in meta) == (len(runs) == 1) and \
        (not runs or runs[0][2] == meta.get("picture", runs[0][2])), \
        "%s: picture %r, picture runs %r" % (meta["name"], meta.get("picture"), runs)
    h, w = clean[0][0].shape
    for first, end, rect in runs:
        if rect is None:
            continue
        x0, y0, x1, y1 = rect
        bars = np.ones((h, w), bool)
        bars[y0:y1, x0:x1] = False
        pair_bars = bars[:, 0::2] & bars[:, 1::2]
        assert bars.any(), "%s: bars of no pixel %r" % (meta["name"], rect)
        assert "picture" not in meta or not (bars & covered).any(), \
            "%s: the logo is not inside the picture %r" % (meta["name"], rect)
        for index in range(first, min(end, len(clean))):
            y, u, v = clean[index]
            assert np.all(y[bars] == 16) and np.all(u[pair_bars] == 128) and \
                np.all(v[pair_bars] == 128), "%s frame %d: the bars are not black" % (meta["name"], index)


def check_overlays(folder, meta, covered):
    """Each overlay's box inside the frame and apart from the logo; a tag's
    truth picture at the frame's size, drawn just within the box."""
    for overlay in meta.get("overlays", []):
        x0, y0, x1, y1 = overlay["box"]
        where = "%s: the %s" % (meta["name"], overlay["kind"])
        assert 0 <= x0 < x1 <= meta["width"] and 0 <= y0 < y1 <= meta["height"], \
            "%s is off the frame: %r" % (where, overlay["box"])
        assert not covered[y0:y1, x0:x1].any(), "%s overlaps the logo" % where
        if overlay["truth"]:
            alpha = np.asarray(Image.open(os.path.join(folder, overlay["truth"])))[..., 3]
            assert alpha.shape == covered.shape, "%s: truth picture of another size" % where
            ys, xs = np.nonzero(alpha)
            assert [xs.min(), ys.min(), xs.max() + 1, ys.max() + 1] == overlay["box"], \
                "%s: box differs from its truth picture's" % where


def main():
    generator, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    for names, frames in RUNS:
        folder = os.path.join(work, str(frames))
        run = subprocess.run([sys.executable, generator, "--out", folder, "--frames", str(frames),
                              "--cases", names], capture_output=True, text=True)
        sys.stdout.write(run.stdout)
        if run.returncode != 0:
            sys.exit("check-logo-corpus: the generator failed:\n" + run.stderr)
        with open(os.path.join(folder, "cases.json")) as listing:
            cases = json.load(listing)
        assert [c["name"] for c in cases] == names.split(","), "cases.json lists %r" % cases
        for meta in cases:
            check_case(folder, meta)
            print("%s: logo and clean clips agree with the truth" % meta["name"])
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
