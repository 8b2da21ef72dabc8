#!/usr/bin/python3
"""Measures kestrimo-host detect and the removal it sets up on a logo corpus.

For every case of a folder written by make-logo-corpus.py:

1. `detect` runs on NAME.y4m into a fresh settings file (channel 1) and mask
   picture; its exit code, its last stderr line and its time are kept.
2. For a case with a logo, the plug-in runs over the clip twice: with the
   settings detect wrote (when it found something; its mask alone, without
   the logo model, unless --removal) and with a plain rectangle
   drawn by hand 2 pixels around the logo's true bounding box. Each output is
   compared with NAME-clean.y4m:
   - on the logo's true pixels (alpha > 0 in NAME-logo.png), the share of
     pixels, over all frames, whose Y is more than 24 levels away from the
     clean Y: the logo still visible (the clip itself gives the "left in
     place" figure);
   - PSNR of Y over the true bounding box grown by 2 pixels.
   The rectangle is checked: the pixels the plug-in changed must cover the
   logo's box and stay inside the rectangle.
3. For a case without a logo: detect should write no mask, unless the case
   has an overlay of the programme (a clock, a tag: "overlays" in
   cases.json) and what detect found is that overlay.
4. detect's --model picture (the logo's colour and opacity) against the
   truth: the mean absolute error of opacity over the logo's pixels and the
   found mask, and of colour (Y, U and V levels, as the corpus converts) over
   the pixels where the truth is at its full opacity and the model shows some.

5. With --removal, for a case where detect wrote a model: detect's settings
   run without LogoSeeThrough (the subtraction alone, without the history of
   earlier frames), and once more without LogoModelFile either, so that the
   same mask is filled instead of having the logo taken out; PSNR-Y and the
   share still visible of both, and for the cases of --overlays frame 100 of
   the logo's area: the clip, the fill, the subtraction and the clean picture.

With --check, exits 1 unless every case meets what the detector promises
(and with --removal what the subtraction promises, see check()):
a logo found over the true box, the removal with its mask no worse than
with the rectangle (PSNR-Y within 1 dB or better), opacity within 0.15;
on a still camera the logo found or "cannot tell"; without a logo, no mask
(exit 1, or 4 on a still camera) or only one over an overlay of the
programme.

detect lists every overlay it finds on stderr; the table's "other
overlays" column gives the boxes of those after the logo, named after the
programme's overlay they cover (a clock, a tag) where they cover one.

Prints a Markdown table, one row per case, and writes it with a CSV of the
same rows into --out, with each case's settings files and mask there too.
For the cases of --overlays, it keeps detect's overlay (first frame) and
draws frame 100: the pixels the plug-in changed with detect's mask in any
frame tinted magenta, the logo's true box framed in cyan.

Runs Debian's /usr/bin/python3 (python3-numpy, python3-pil).
"""
import argparse
import csv
import fnmatch
import json
import math
import os
import re
import subprocess
import sys
import threading
import time

try:
    import numpy as np
    from PIL import Image
except ImportError as error:
    sys.exit("evaluate-detect: %s: install the Debian packages python3-numpy and python3-pil "
             "and run with /usr/bin/python3" % error)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))  # also when loaded by path
from clip_measures import Y4m, feed, frame_rgb, overlap, psnr

RASTER_W, RASTER_H = 768, 576   # the settings' reference raster
VISIBLE = 24                    # Y levels away from the clean picture that still show
BORDER = 2                      # frame pixels around the logo box for the rectangle and PSNR
OVERLAY_FRAME = 100
DEFAULT_OVERLAYS = "film-sd-mark-tl,street-sd-mark-tr,photos-sd-text-bl,photos-hd-outline-tc"


def run_plugin(host, settings, clip, frames):
    """Starts the plug-in over the first `frames` frames of clip; (process, feeder or None)."""
    if frames is None:
        stdin = open(clip, "rb")
        process = subprocess.Popen([host, "--channel", "1", "--settings", settings], stdin=stdin,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        stdin.close()
        return process, None
    process = subprocess.Popen([host, "--channel", "1", "--settings", settings],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    feeder = threading.Thread(target=feed, args=(clip, process.stdin, frames), daemon=True)
    feeder.start()
    return process, feeder


def measure_run(host, settings, case, folder, frames, logo, grown, keep_frame=None):
    """Runs the plug-in with settings and compares its output with the clean clip.

    Returns visible and squared-error sums for the output and for the clip as
    it came in, the frame count, the union of the pixels the plug-in changed,
    and, if asked, the clip's frame keep_frame."""
    clip_path = os.path.join(folder, case["files"]["clip"])
    clean_path = os.path.join(folder, case["files"]["clean"])
    process, feeder = run_plugin(host, settings, clip_path, frames)
    # The plug-in's stderr is read on the side, so that a chatty run cannot block.
    errors = []
    drain = threading.Thread(target=lambda: errors.append(process.stderr.read()), daemon=True)
    drain.start()
    x0, y0, x1, y1 = grown
    result = {"frames": 0, "visible_out": 0, "visible_in": 0, "sse_out": 0.0, "sse_in": 0.0,
              "kept": None, "kept_out": None, "kept_clean": None}
    with open(clip_path, "rb") as clip_file, open(clean_path, "rb") as clean_file:
        clip, clean = Y4m(clip_file, clip_path), Y4m(clean_file, clean_path)
        out = Y4m(process.stdout, "the plug-in's output")
        changed = np.zeros((clip.height, clip.width), bool)
        index = 0
        while frames is None or index < frames:
            got_out = out.frame()
            if got_out is None:
                break
            got_in, got_clean = clip.frame(), clean.frame()
            if got_in is None or got_clean is None:
                raise SystemExit("evaluate-detect: %s: the plug-in gave more frames than the clip"
                                 % case["name"])
            y_out, y_in, y_clean = got_out[0], got_in[0], got_clean[0]
            changed |= y_out != y_in
            c = y_clean.astype(np.int16)
            result["visible_out"] += int(np.count_nonzero(np.abs(y_out[logo].astype(np.int16) - c[logo]) > VISIBLE))
            result["visible_in"] += int(np.count_nonzero(np.abs(y_in[logo].astype(np.int16) - c[logo]) > VISIBLE))
            box_clean = c[y0:y1, x0:x1].astype(np.float64)
            result["sse_out"] += float(np.sum((y_out[y0:y1, x0:x1] - box_clean) ** 2))
            result["sse_in"] += float(np.sum((y_in[y0:y1, x0:x1] - box_clean) ** 2))
            if index == keep_frame:
                result["kept"] = got_in[1]
                result["kept_out"] = got_out[1]
                result["kept_clean"] = got_clean[1]
            index += 1
        process.stdout.close()
    code = process.wait()
    drain.join()
    if feeder is not None:
        feeder.join()
    if code != 0:
        raise SystemExit("evaluate-detect: %s: the plug-in run ended with exit code %d: %s"
                         % (case["name"], code, (errors[0] if errors else b"").decode(errors="replace").strip()))
    result["frames"] = index
    result["changed"] = changed
    return result


def to_raster(value, size, raster):
    return int(math.floor(value * raster / size + 0.5))


def from_raster(value, size, raster):
    return int(math.floor(value * size / raster + 0.5))


def raster_pair(start, length, size, raster):
    """(centre, size, first pixel, pixel count) in the raster for the frame
    pixels start .. start + length - 1.

    The plug-in scales centre and size back to the frame (nearest pixel) and
    puts the left/top edge at centre - floor(size / 2). Of the values near the
    exact ones, those giving back this very span are taken, or, where the
    scale allows none (a large frame), those covering it with the fewest
    pixels more."""
    want_c = to_raster(start + length // 2, size, raster)
    want_s = to_raster(length, size, raster)
    best = None
    for ds in range(-3, 4):
        for dc in range(-3, 4):
            c, s = want_c + dc, want_s + ds
            width = from_raster(s, size, raster)
            left = from_raster(c, size, raster) - width // 2
            if left > start or left + width < start + length:
                continue
            key = (width - length, abs(dc) + abs(ds))
            if best is None or key < best[0]:
                best = (key, c, s, left, width)
    if best is None:
        width = from_raster(want_s, size, raster)
        return want_c, want_s, from_raster(want_c, size, raster) - width // 2, width
    return best[1:]


def write_rectangle(path, box, width, height):
    """A settings file with channel 1 removing at least the rectangle of frame
    pixels box (x1, y1 excluded); the raster values and the frame area they
    give (x1, y1 excluded)."""
    x0, y0, x1, y1 = box
    pos_x, size_x, left, across = raster_pair(x0, x1 - x0, width, RASTER_W)
    pos_y, size_y, top, down = raster_pair(y0, y1 - y0, height, RASTER_H)
    lines = ["[COMMON]", "[1]", "MaskPosX=%d" % pos_x, "MaskPosY=%d" % pos_y,
             "RectMaskSizeX=%d" % size_x, "RectMaskSizeY=%d" % size_y, "ProcEnable=1"]
    with open(path, "wb") as settings:
        settings.write(("\r\n".join(lines) + "\r\n").encode())
    return (pos_x, pos_y, size_x, size_y), [left, top, left + across, top + down]


def run_detect(host, case, folder, work, frames, overlay):
    """Runs detect into fresh files in work; a dict of what it did."""
    settings = os.path.join(work, "detect.ini")
    mask = os.path.join(work, "detect-mask.bmp")
    for stale in (settings, mask, overlay):
        if stale and os.path.exists(stale):
            os.remove(stale)
    with open(settings, "wb") as fresh:
        fresh.write(b"[COMMON]\r\n")
    model = os.path.join(work, "detect-model.png")
    if os.path.exists(model):
        os.remove(model)
    command = [host, "detect", "-i", os.path.join(folder, case["files"]["clip"]), "--mask", mask,
               "--write", "1", "--settings", settings, "--model", model]
    if frames is not None:
        command += ["--frames", str(frames)]
    if overlay:
        command += ["--overlay", overlay]
    started = time.monotonic()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    seconds = time.monotonic() - started
    lines = [l for l in done.stderr.decode(errors="replace").splitlines() if l.strip()]
    summary = next((l for l in lines if l.startswith("detect: logo at")), lines[-1] if lines else "")
    found = None
    match = re.search(r"logo at x (\d+)\.\.(\d+), y (\d+)\.\.(\d+)", summary)
    if match:
        a, b, c, d = map(int, match.groups())
        found = [a, c, b + 1, d + 1]
    overlays = []
    for line in lines:
        listed = re.match(r"detect: overlay \d+ at x (\d+)\.\.(\d+), y (\d+)\.\.(\d+)", line)
        if listed:
            a, b, c, d = map(int, listed.groups())
            overlays.append([a, c, b + 1, d + 1])
    with open(settings, "rb") as written:
        model_file = b"\nLogoModelFile=" in written.read()
    return {"code": done.returncode, "summary": summary, "seconds": seconds, "found": found,
            "overlays": overlays,
            "settings": settings, "mask_written": os.path.exists(mask), "model_file": model_file,
            "model": model if os.path.exists(model) else None}


def model_errors(model_path, truth):
    """Mean absolute errors of the model picture: opacity (0..1) over the
    logo's and the model's pixels, colour (Y, U, V levels) where the truth is at
    its full opacity and the model shows some."""
    model = np.asarray(Image.open(model_path).convert("RGBA")).astype(np.float32)
    truth = truth.astype(np.float32)
    a_model, a_truth = model[..., 3] / 255.0, truth[..., 3] / 255.0
    where = (a_model > 0) | (a_truth > 0)
    opacity = float(np.abs(a_model - a_truth)[where].mean()) if where.any() else 0.0
    # The tool writes full-range RGB of the estimated Y, U, V; the corpus
    # made its Y, U, V from the truth's RGB in limited range.
    r, g, b = model[..., 0], model[..., 1], model[..., 2]
    y = 0.299 * r + 0.587 * g + 0.114 * b
    yuv_model = np.stack([y, 128 + (b - y) / 1.772, 128 + (r - y) / 1.402], -1)
    r, g, b = truth[..., 0], truth[..., 1], truth[..., 2]
    yuv_truth = np.stack([16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255,
                          128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255,
                          128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255], -1)
    solid = (a_model > 0.1) & (a_truth >= 0.9 * a_truth.max())
    colour = float(np.abs(yuv_model - yuv_truth)[solid].mean()) if solid.any() else float("nan")
    return opacity, colour


def draw_overlay(path, data, width, height, changed, box):
    rgb = frame_rgb(data, width, height).astype(np.uint16)
    tint = rgb[changed]
    tint[:, 0] = (tint[:, 0] + 255) // 2
    tint[:, 1] = tint[:, 1] // 2
    tint[:, 2] = (tint[:, 2] + 255) // 2
    rgb[changed] = tint
    x0, y0, x1, y1 = box[0] - 1, box[1] - 1, box[2], box[3]   # one pixel outside the box
    cyan = (0, 255, 255)
    rgb[y0, x0:x1 + 1] = cyan
    rgb[y1, x0:x1 + 1] = cyan
    rgb[y0:y1 + 1, x0] = cyan
    rgb[y0:y1 + 1, x1] = cyan
    Image.fromarray(rgb.astype(np.uint8), "RGB").save(path)


def without_model(settings, path, dropped=(b"LogoModelFile=", b"LogoSeeThrough=")):
    """A copy of a settings file without its LogoModelFile lines, nor the
    LogoSeeThrough ones: the plain fill of the same mask (with dropped, the
    lines of those keys instead)."""
    with open(settings, "rb") as source:
        lines = [l for l in source.read().split(b"\n") if not l.startswith(dropped)]
    with open(path, "wb") as target:
        target.write(b"\n".join(lines))
    return path


def draw_removal(path, frames, width, height, box):
    """The logo's box grown by 8 pixels, twice the size, from each frame side by side."""
    x0, y0 = max(0, box[0] - 8), max(0, box[1] - 8)
    x1, y1 = min(width, box[2] + 8), min(height, box[3] + 8)
    crops = [frame_rgb(data, width, height)[y0:y1, x0:x1] for data in frames]
    gap = np.full((y1 - y0, 4, 3), 255, np.uint8)
    row = np.concatenate(sum([[c, gap] for c in crops], [])[:-1], axis=1)
    image = Image.fromarray(row, "RGB")
    image.resize((image.width * 2, image.height * 2), Image.NEAREST).save(path)


def box_text(box):
    return "%d..%d, %d..%d" % (box[0], box[2] - 1, box[1], box[3] - 1) if box else "none"


def percent(part, whole):
    return 100.0 * part / whole if whole else None


def fmt(value, digits=1, suffix=""):
    if value is None:
        return "—"
    if value == math.inf:
        return "inf"
    return "%.*f%s" % (digits, value, suffix)


def overlay_name(box, case):
    """The programme's overlay (clock, tag) that a found box covers, or None."""
    for overlay in case.get("overlays") or []:
        if overlap(box, overlay["box"]) >= 0.5:
            return overlay["kind"]
    return None


def others_text(found, case):
    """The overlays detect listed after the logo, named where they cover one of the programme's."""
    return "; ".join("%s %s" % (overlay_name(b, case) or "overlay", box_text(b)) for b in found[1:])


def evaluate(case, args, work):
    name = case["name"]
    w, h = case["width"], case["height"]
    logo_meta = case.get("logo")
    want_overlay = any(fnmatch.fnmatchcase(name, p) for p in args.overlay_patterns)
    overlay = os.path.join(work, "detect-overlay.png") if want_overlay and logo_meta else None
    detect = run_detect(args.host, case, args.corpus, work, args.frames, overlay)
    row = {"case": name, "size": "%dx%d" % (w, h), "shape": "", "opacity": "", "corner": "",
           "detect_exit": detect["code"], "detect_summary": detect["summary"],
           "found_box": box_text(detect["found"]), "true_box": "", "box_iou": "",
           "mask_written": int(detect["mask_written"]), "frames": "",
           "visible_left_pct": "", "visible_detect_pct": "", "visible_rect_pct": "",
           "psnr_left_db": "", "psnr_detect_db": "", "psnr_rect_db": "",
           "rect_settings": "", "rect_area": "", "rect_changed": "", "rect_check": "",
           "opacity_error": "", "colour_error": "",
           "visible_fill_pct": "", "psnr_fill_db": "", "psnr_gain_db": "",
           "detect_seconds": round(detect["seconds"], 2),
           "found_overlay": overlay_name(detect["found"], case) if detect["found"] else "",
           "other_overlays": others_text(detect["overlays"], case)}
    if not logo_meta:
        row.update(shape="none")
        return row
    box = logo_meta["bbox"]
    row.update(shape=logo_meta["shape"], opacity="%d%%" % round(logo_meta["opacity"] * 100),
               corner=logo_meta["corner"], true_box=box_text(box))
    if detect["found"]:
        row["box_iou"] = round(overlap(detect["found"], box), 3)
    truth = np.asarray(Image.open(os.path.join(args.corpus, case["files"]["truth"])))
    logo = truth[..., 3] > 0
    if detect["model"]:
        opacity_error, colour_error = model_errors(detect["model"], truth)
        row["opacity_error"] = round(opacity_error, 3)
        row["colour_error"] = round(colour_error, 1)
    grown = [max(0, box[0] - BORDER), max(0, box[1] - BORDER), min(w, box[2] + BORDER),
             min(h, box[3] + BORDER)]
    box_pixels = (grown[2] - grown[0]) * (grown[3] - grown[1])
    logo_pixels = int(np.count_nonzero(logo))
    keep = min(OVERLAY_FRAME, (args.frames or case["frames"]) - 1) if want_overlay else None

    rect_ini = os.path.join(work, "rectangle.ini")
    raster, area = write_rectangle(rect_ini, grown, w, h)
    row["rect_settings"] = "MaskPosX=%d MaskPosY=%d RectMaskSizeX=%d RectMaskSizeY=%d" % raster
    row["rect_area"] = box_text(area)
    rect = measure_run(args.host, rect_ini, case, args.corpus, args.frames, logo, grown)
    n = rect["frames"]
    row["frames"] = n
    row["visible_left_pct"] = round(percent(rect["visible_in"], logo_pixels * n), 2)
    row["psnr_left_db"] = round(psnr(rect["sse_in"], box_pixels * n), 2)
    row["visible_rect_pct"] = round(percent(rect["visible_out"], logo_pixels * n), 2)
    row["psnr_rect_db"] = round(psnr(rect["sse_out"], box_pixels * n), 2)
    # What the plug-in changed must span the logo's box and stay within the
    # rectangle's area. (In SD it keeps the area's outermost rows and
    # columns; in larger frames the mask, drawn in the raster and scaled up,
    # can reach them.)
    ys, xs = np.nonzero(rect["changed"])
    if len(xs):
        span = [int(xs.min()), int(ys.min()), int(xs.max()) + 1, int(ys.max()) + 1]
        row["rect_changed"] = box_text(span)
        inside = (span[0] >= area[0] and span[1] >= area[1] and
                  span[2] <= area[2] and span[3] <= area[3])
        covers = (span[0] <= box[0] and span[1] <= box[1] and span[2] >= box[2] and span[3] >= box[3])
        row["rect_check"] = ("ok" if inside and covers else
                             "does not cover the logo's box" if inside else "reaches beyond the rectangle")
    else:
        row["rect_check"] = "nothing changed"
    if row["rect_check"] != "ok":
        print("evaluate-detect: %s: the rectangle %s: it changed %s, the logo's box is %s"
              % (name, row["rect_check"], row["rect_changed"] or "nothing", box_text(box)),
              file=sys.stderr)

    if detect["code"] == 0 and detect["found"]:
        # Without --removal the mask alone is judged: detect's settings are
        # run without the logo model it wrote; with it, the subtraction is,
        # without the history of earlier frames (measured on its own by
        # evaluate-see-through.py).
        settings = \
            without_model(detect["settings"], os.path.join(work, "removal.ini"), (b"LogoSeeThrough=",)) \
            if args.removal else without_model(detect["settings"], os.path.join(work, "mask-only.ini"))
        found = measure_run(args.host, settings, case, args.corpus, args.frames, logo, grown, keep)
        row["visible_detect_pct"] = round(percent(found["visible_out"], logo_pixels * found["frames"]), 2)
        row["psnr_detect_db"] = round(psnr(found["sse_out"], box_pixels * found["frames"]), 2)
        if want_overlay and found["kept"] is not None:
            draw_overlay(os.path.join(work, "frame%d-overlay.png" % keep), found["kept"], w, h,
                         found["changed"], box)
        if args.removal and detect["model_file"]:
            fill = measure_run(args.host, without_model(detect["settings"], os.path.join(work, "fill.ini")),
                               case, args.corpus, args.frames, logo, grown, keep)
            row["visible_fill_pct"] = round(percent(fill["visible_out"], logo_pixels * fill["frames"]), 2)
            row["psnr_fill_db"] = round(psnr(fill["sse_out"], box_pixels * fill["frames"]), 2)
            row["psnr_gain_db"] = round(row["psnr_detect_db"] - row["psnr_fill_db"], 2)
            if want_overlay and fill["kept_out"] is not None:
                draw_removal(os.path.join(work, "frame%d-removal.png" % keep),
                             [found["kept"], fill["kept_out"], found["kept_out"], found["kept_clean"]],
                             w, h, box)
    return row


COLUMNS = [("case", "case"), ("size", "size"), ("shape", "shape"), ("opacity", "opacity"),
           ("corner", "corner"), ("detect_exit", "exit"), ("found_box", "found box (x, y)"),
           ("true_box", "true box (x, y)"), ("visible_left_pct", "visible: left"),
           ("visible_detect_pct", "visible: detect"), ("visible_rect_pct", "visible: rect"),
           ("psnr_detect_db", "PSNR-Y detect"), ("psnr_rect_db", "PSNR-Y rect"),
           ("opacity_error", "opacity error"), ("colour_error", "colour error"),
           ("other_overlays", "other overlays"), ("detect_seconds", "detect s")]

# With --removal: the same mask filled and with the logo taken out.
REMOVAL_COLUMNS = [("case", "case"), ("size", "size"), ("shape", "shape"), ("opacity", "opacity"),
                   ("opacity_error", "opacity error"), ("colour_error", "colour error"),
                   ("visible_left_pct", "visible: left"), ("visible_fill_pct", "visible: fill"),
                   ("visible_detect_pct", "visible: subtracted"), ("psnr_left_db", "PSNR-Y left"),
                   ("psnr_fill_db", "PSNR-Y fill"), ("psnr_detect_db", "PSNR-Y subtracted"),
                   ("psnr_gain_db", "gain")]


def check(row, case, removal=False, gain=6.0):
    """What the case misses of the detector's promises, or an empty list.
    With removal: never worse than the fill of the same mask, a logo under
    75 % taken out at least `gain` dB better than it, an opaque one
    filled exactly as without a model."""
    misses = []
    if removal and row["psnr_fill_db"] != "":
        opacity = case["logo"]["opacity"]
        if row["psnr_gain_db"] < -0.05:
            misses.append("subtraction %.1f dB below the fill" % -row["psnr_gain_db"])
        if opacity < 0.75 and row["psnr_gain_db"] < gain:
            misses.append("subtraction %.1f dB over the fill, want %.1f" % (row["psnr_gain_db"], gain))
        if opacity >= 0.95 and row["psnr_detect_db"] != row["psnr_fill_db"]:
            misses.append("an opaque logo's removal changed: %.2f dB, fill %.2f dB"
                          % (row["psnr_detect_db"], row["psnr_fill_db"]))
    if case["logo"] is None:
        expected = 4 if case["source"].get("still_camera") else 1
        if row["found_overlay"] == "tag":
            return misses   # the programme's own still tag: nothing tells it from a logo
        if row["detect_exit"] != expected or row["mask_written"]:
            misses.append("exit %s, mask %s; want exit %d and no mask"
                          % (row["detect_exit"], row["mask_written"], expected))
        return misses
    if case["source"].get("still_camera"):
        if row["detect_exit"] not in (0, 4):
            misses.append("exit %s on a still camera" % row["detect_exit"])
        if row["detect_exit"] != 0:
            return misses   # cannot tell: no mask, as it should be when unsure
    if row["detect_exit"] != 0 or row["box_iou"] == "" or row["box_iou"] < 0.7:
        return ["logo not found (exit %s, box overlap %s)" % (row["detect_exit"], row["box_iou"])]
    if row["psnr_detect_db"] < row["psnr_rect_db"] - 1.0:
        misses.append("PSNR-Y %.1f dB, rectangle %.1f dB" % (row["psnr_detect_db"], row["psnr_rect_db"]))
    if row["opacity_error"] == "" or row["opacity_error"] > 0.15:
        misses.append("opacity error %s" % row["opacity_error"])
    return misses


def markdown(rows, columns=COLUMNS):
    def cell(row, key):
        value = row[key]
        if key.startswith("visible_"):
            return fmt(value if value != "" else None, 1, "%")
        if key == "psnr_gain_db" and value != "":
            return "%+.1f dB" % value
        if key.startswith("psnr_"):
            return fmt(value if value != "" else None, 1, " dB")
        if key == "detect_seconds":
            return "%.2f" % value
        if key == "found_box" and row["found_overlay"]:
            return "%s (the %s)" % (value, row["found_overlay"])
        if key == "found_box" and row["shape"] == "none" and row["mask_written"]:
            return "%s, mask written" % value
        return str(value) if value != "" else "—"
    lines = ["| " + " | ".join(title for _, title in columns) + " |",
             "|" + "|".join("---" for _ in columns) + "|"]
    for row in rows:
        lines.append("| " + " | ".join(cell(row, key) for key, _ in columns) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", default="logo-corpus", help="folder of make-logo-corpus.py")
    parser.add_argument("--cases", default="*", help="comma-separated name patterns (shell wildcards)")
    parser.add_argument("--host", default="build/tool/kestrimo-host", help="kestrimo-host to run")
    parser.add_argument("--out", default="detect-results", help="folder for the results (made if missing)")
    parser.add_argument("--frames", type=int, help="use only the first N frames of every clip")
    parser.add_argument("--check", action="store_true",
                        help="exit 1 unless every case meets the detector's promises")
    parser.add_argument("--removal-gain", type=float, default=6.0,
                        help="dB over the fill --check wants of a logo under 75 %% (default 6)")
    parser.add_argument("--removal", action="store_true",
                        help="also fill detect's mask without its model, and compare")
    parser.add_argument("--overlays", default=DEFAULT_OVERLAYS,
                        help="cases to draw overlays for, patterns as for --cases (default %s)"
                             % DEFAULT_OVERLAYS)
    args = parser.parse_args()
    if args.frames is not None and args.frames < 1:
        parser.error("--frames must be at least 1")
    args.host = os.path.abspath(args.host)
    if not os.access(args.host, os.X_OK):
        parser.error("%s is not a program; build it (cmake --preset tool) or give --host" % args.host)
    args.overlay_patterns = [p.strip() for p in args.overlays.split(",") if p.strip()]
    with open(os.path.join(args.corpus, "cases.json")) as listing:
        cases = json.load(listing)
    patterns = [p.strip() for p in args.cases.split(",") if p.strip()]
    chosen = [c for c in cases if any(fnmatch.fnmatchcase(c["name"], p) for p in patterns)]
    if not chosen:
        parser.error("no case of %s matches %r" % (args.corpus, args.cases))
    os.makedirs(args.out, exist_ok=True)
    rows = []
    started = time.monotonic()
    for case in chosen:
        begun = time.monotonic()
        work = os.path.join(args.out, case["name"])
        os.makedirs(work, exist_ok=True)
        row = evaluate(case, args, work)
        rows.append(row)
        print("%s: detect exit %s, %s (%.1f s)" % (case["name"], row["detect_exit"],
                                                  row["detect_summary"], time.monotonic() - begun),
              file=sys.stderr, flush=True)
    table = markdown(rows)
    if args.removal:
        table = markdown([r for r in rows if r["psnr_fill_db"] != ""], REMOVAL_COLUMNS)
    print(table)
    with open(os.path.join(args.out, "results.md"), "w") as out:
        out.write(table + "\n")
    with open(os.path.join(args.out, "results.csv"), "w", newline="") as out:
        writer = csv.DictWriter(out, fieldnames=list(rows[0].keys()))
        writer.writeheader()
        writer.writerows(rows)
    misses = []
    for case, row in zip(chosen, rows):
        misses += ["%s: %s" % (case["name"], m) for m in check(row, case, args.removal, args.removal_gain)]
    codes = {}
    for row in rows:
        codes[row["detect_exit"]] = codes.get(row["detect_exit"], 0) + 1
    print("\n%d cases in %.1f s; detect exit codes: %s; results in %s"
          % (len(rows), time.monotonic() - started,
             ", ".join("%s × %d" % (k, v) for k, v in sorted(codes.items())), args.out))
    if args.check and misses:
        print("\n".join(["evaluate-detect: missed:"] + misses), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
