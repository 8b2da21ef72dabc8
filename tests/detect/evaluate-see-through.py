#!/usr/bin/python3
"""Measures how well the plug-in shows again what an opaque logo hides, on a logo corpus.

For every case of a folder written by make-logo-corpus.py that has a logo
(or those of --cases):

1. The channel is set up as a user would: `kestrimo-host detect --write 1`
   on NAME.y4m into a fresh settings file, with the mask picture and logo
   model beside it; each --set KEY=VALUE is then put into the channel's
   section (replacing the key where detect wrote it).
2. The plug-in runs over the clip (`kestrimo-host --channel 1 --settings`)
   and its output is compared with NAME-clean.y4m on luma (Y), over the
   logo's true pixels (alpha > 0 in NAME-logo.png):
   - the "seen" pixels of each frame: those showing a point of the scene
     that was in view outside the logo earlier in the same shot, that is in
     an earlier frame of the shot, inside the frame and outside the logo's
     mask grown by 2 pixels. It is worked out exactly from the virtual
     camera (NAME-camera.json): the frame pixel's centre goes to the photo
     through the frame's window, and back through each earlier frame's
     window to the nearest pixel there. On a fixed camera nothing is seen;
     on real footage it is not known. Measured there: the share of pixels
     more than 24 levels off the clean picture, and PSNR-Y;
   - every logo pixel: the share more than 24 levels off and PSNR-Y, over
     the whole clip, and PSNR-Y split into a fixed camera's frames (all of
     them, one shot), the first 5 frames of each shot (just after a cut,
     where little has been seen yet) and the rest of the shots. The cuts
     come from the camera, and on real footage from the clean clip: a frame
     whose mean |Y difference| to the frame before is 4 times the clip's
     median or more, and 10 levels or more.
   Per case and pooled over the cases (pixels added up; the share seen over
   the cases where it is known). The squared error over the logo's pixels
   of every frame goes into the CSV too, for the comparison per second.

Prints a Markdown table and writes it with a CSV of the same rows into
--out (the run's --label in every row), each case's settings, mask and model
in a folder of its name, and a picture NAME-see-through.png: a crop around
the logo (its box framed in cyan) of the middle frame of the longest shot,
twice the size: the input, the clean picture, the output and, where the
camera is known, the truth (the logo's seen pixels green, the others
magenta, over the clean picture).

--compare OTHER.csv prints this run's figures beside another run's (of the
same evaluator, say without a --set that switches a feature on), with the
differences. With --check as well, exits 1 unless, in every case both runs
measured, this run's PSNR-Y over all the logo's pixels, and over the first
frames of the shots, is no worse than the other's (by more than 0.05 dB),
nor over any second of the clip (25 frames in a row; by more than 0.1 dB),
and where the seen pixels are known, their PSNR-Y is at least --min-gain dB
above the other's.

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
    sys.exit("evaluate-see-through: %s: install the Debian packages python3-numpy and "
             "python3-pil and run with /usr/bin/python3" % error)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))  # also when loaded by path
from clip_measures import Y4m, feed, frame_rgb, overlap, psnr

OFF_LEVELS = 24        # a pixel this far off the clean Y or more is "off"
GROW = 2               # pixels around the logo's mask that do not count as outside it
SHOT_START = 5         # frames at the start of a shot counted as "after a cut"
SECOND = 25            # frames of a second, for the comparison per second
CROP = 24              # frame pixels around the logo's box in the pictures
CUT_FACTOR, CUT_LEVELS = 4.0, 10.0   # a cut on real footage: mean |dY| this far above usual
# The tallies: seen pixels, all the logo's, and the logo's split by camera.
PARTS = ("seen", "logo", "fixed", "shot_start", "rest")


# ---------------------------------------------------------------------------
# The truth of what was seen


def grown_mask(mask, by):
    """mask grown by `by` pixels in every direction (a square)."""
    out = mask.copy()
    h, w = mask.shape
    for dy in range(-by, by + 1):
        for dx in range(-by, by + 1):
            src = mask[max(0, -dy):h - max(0, dy), max(0, -dx):w - max(0, dx)]
            out[max(0, dy):h - max(0, -dy), max(0, dx):w - max(0, -dx)] |= src
    return out


def seen_masks(camera, mask, box, frames):
    """Per frame, the logo's pixels (within box) that show a point of the
    photo seen earlier in the same shot inside the frame and outside the
    mask grown by GROW pixels."""
    width, height = camera["width"], camera["height"]
    outside = ~grown_mask(mask, GROW)
    x0, y0, x1, y1 = box
    ys, xs = np.nonzero(mask[y0:y1, x0:x1])
    ys, xs = ys + y0, xs + x0
    windows = camera["frames"]
    out = []
    for t in range(frames):
        shot, cx, cy, w = windows[t]
        pw, ph = camera["shots"][shot]["photo_size"]
        step = w / width
        # Where each logo pixel's centre is in the photo (clamped, as sampled).
        px = np.clip(cx - w / 2 + (xs + 0.5) * step - 0.5, 0, pw - 1)
        py = np.clip(cy - w * height / width / 2 + (ys + 0.5) * step - 0.5, 0, ph - 1)
        seen = np.zeros(len(xs), bool)
        first = camera["shots"][shot]["first"]
        for earlier in range(t - 1, first - 1, -1):
            left = ~seen
            if not left.any():
                break
            _, ex, ey, ew = windows[earlier]
            estep = ew / width
            # The nearest pixel there: x = ex - ew / 2 + (i + 0.5) * estep - 0.5
            # solved for i, rounded (i + 0.5 floored).
            i = np.floor((px[left] + 0.5 - (ex - ew / 2)) / estep).astype(np.int64)
            j = np.floor((py[left] + 0.5 - (ey - ew * height / width / 2)) / estep).astype(np.int64)
            inside = (i >= 0) & (i < width) & (j >= 0) & (j < height)
            hit = inside.copy()
            hit[inside] = outside[j[inside], i[inside]]
            where = np.flatnonzero(left)
            seen[where[hit]] = True
        frame_seen = np.zeros((y1 - y0, x1 - x0), bool)
        frame_seen[ys - y0, xs - x0] = seen
        out.append(frame_seen)
    return out


def shot_starts_of(case, camera, clean_path, frames):
    """First frames of the shots: from the camera, one shot for a fixed
    camera, else found in the clean clip; and how they were known."""
    if camera:
        return [s["first"] for s in camera["shots"] if s["first"] < frames], "camera"
    source = case.get("source", {})
    if source.get("still_camera") and source.get("kind") != "video":
        return [0], "fixed camera"
    if "cuts" in source:
        return [0] + [f for f in source["cuts"] if f < frames], "cases.json"
    means, previous = [], None
    with open(clean_path, "rb") as clean_file:
        clean = Y4m(clean_file, clean_path)
        for _ in range(frames):
            got = clean.frame()
            if got is None:
                break
            y = got[0].astype(np.int16)
            if previous is not None:
                means.append(float(np.abs(y - previous).mean()))
            previous = y
    usual = float(np.median(means)) if means else 0.0
    cuts = [i + 1 for i, m in enumerate(means) if m >= max(CUT_FACTOR * usual, CUT_LEVELS)]
    return [0] + cuts, "clean clip"


# ---------------------------------------------------------------------------
# The channel's settings


def run_detect(host, clip, work, frames):
    """detect --write 1 into fresh files in work: (exit code, summary line,
    settings path, found box or None)."""
    settings = os.path.join(work, "detect.ini")
    mask = os.path.join(work, "detect-mask.bmp")
    for stale in (settings, mask, os.path.join(work, "detect-mask-model.bmp")):
        if os.path.exists(stale):
            os.remove(stale)
    with open(settings, "wb") as fresh:
        fresh.write(b"[COMMON]\r\n")
    command = [host, "detect", "-i", clip, "--mask", mask, "--write", "1", "--settings", settings]
    if frames is not None:
        command += ["--frames", str(frames)]
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    lines = [l for l in done.stderr.decode(errors="replace").splitlines() if l.strip()]
    summary = next((l for l in lines if l.startswith("detect: logo at")), lines[-1] if lines else "")
    found = None
    match = re.search(r"logo at x (\d+)\.\.(\d+), y (\d+)\.\.(\d+)", summary)
    if match:
        a, b, c, d = map(int, match.groups())
        found = [a, c, b + 1, d + 1]
    return done.returncode, summary, settings, found


def with_keys(settings, path, keys):
    """A copy of settings whose section [1] has each KEY=VALUE of keys (in
    place of the key's line where there is one, else after the header)."""
    with open(settings, "rb") as source:
        text = source.read().decode("latin-1")
    lines = text.split("\n")
    start = end = None
    for index, line in enumerate(lines):
        name = line.strip()
        if name.startswith("[") and name.endswith("]"):
            if start is not None:
                end = index
                break
            if name == "[1]":
                start = index
    if start is None:
        raise SystemExit("evaluate-see-through: %s has no section [1]" % settings)
    end = len(lines) if end is None else end
    newline = "\r" if lines[start].endswith("\r") else ""
    section = lines[start + 1:end]
    for key, value in keys:
        line = "%s=%s%s" % (key, value, newline)
        at = [i for i, l in enumerate(section) if l.strip().split("=", 1)[0] == key]
        if at:
            section[at[0]] = line
            section = [l for i, l in enumerate(section) if i not in at[1:]]
        else:
            section.insert(0, line)
    with open(path, "wb") as target:
        target.write("\n".join(lines[:start + 1] + section + lines[end:]).encode("latin-1"))


# ---------------------------------------------------------------------------
# A run of the plug-in


class Tally:
    """Pixels, squared error and pixels off by more than OFF_LEVELS."""

    def __init__(self):
        self.pixels, self.sse, self.off = 0, 0.0, 0

    def add(self, diff):
        self.pixels += diff.size
        self.sse += float(np.sum(diff.astype(np.float64) ** 2))
        self.off += int(np.count_nonzero(np.abs(diff) > OFF_LEVELS))

    def merge(self, other):
        self.pixels += other.pixels
        self.sse += other.sse
        self.off += other.off

    def psnr(self):
        return psnr(self.sse, self.pixels)

    def off_pct(self):
        return 100.0 * self.off / self.pixels if self.pixels else None


def measure_run(host, settings, case, folder, frames, mask, box, seen, starts, fixed, keep):
    """Runs the plug-in over the clip; the tallies of the output against the
    clean clip, and the frame keep (input, clean, output)."""
    clip_path = os.path.join(folder, case["files"]["clip"])
    clean_path = os.path.join(folder, case["files"]["clean"])
    process = subprocess.Popen([host, "--channel", "1", "--settings", settings],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    feeder = threading.Thread(target=feed, args=(clip_path, process.stdin, frames), daemon=True)
    feeder.start()
    errors = []
    drain = threading.Thread(target=lambda: errors.append(process.stderr.read()), daemon=True)
    drain.start()
    x0, y0, x1, y1 = box
    logo = mask[y0:y1, x0:x1]
    after_cut = set()
    for start in starts:
        after_cut.update(range(start, start + SHOT_START))
    tallies = {k: Tally() for k in PARTS}
    frame_sse = []
    kept = None
    with open(clip_path, "rb") as clip_file, open(clean_path, "rb") as clean_file:
        clip, clean = Y4m(clip_file, clip_path), Y4m(clean_file, clean_path)
        out = Y4m(process.stdout, "the plug-in's output")
        index = 0
        while index < frames:
            got_out = out.frame()
            if got_out is None:
                break
            got_in, got_clean = clip.frame(), clean.frame()
            if got_in is None or got_clean is None:
                raise SystemExit("evaluate-see-through: %s: the plug-in gave more frames than "
                                 "the clip" % case["name"])
            diff = (got_out[0][y0:y1, x0:x1].astype(np.int16)
                    - got_clean[0][y0:y1, x0:x1].astype(np.int16))
            logo_diff = diff[logo]
            tallies["logo"].add(logo_diff)
            frame_sse.append(float(np.sum(logo_diff.astype(np.float64) ** 2)))
            tallies["fixed" if fixed else "shot_start" if index in after_cut
                    else "rest"].add(logo_diff)
            if seen is not None:
                tallies["seen"].add(diff[seen[index]])
            if index == keep:
                kept = (got_in[1], got_clean[1], got_out[1])
            index += 1
        process.stdout.close()
    code = process.wait()
    drain.join()
    feeder.join()
    if code != 0:
        raise SystemExit("evaluate-see-through: %s: the plug-in run ended with exit code %d: %s"
                         % (case["name"], code,
                            (errors[0] if errors else b"").decode(errors="replace").strip()))
    if index < frames:
        raise SystemExit("evaluate-see-through: %s: the plug-in gave %d frames of %d"
                         % (case["name"], index, frames))
    return tallies, kept, frame_sse


# ---------------------------------------------------------------------------
# The picture


def draw_see_through(path, kept, width, height, box, seen):
    """Input, clean, output and (with seen) the truth, cropped around box,
    side by side, twice the size."""
    area = (max(0, box[0] - CROP), max(0, box[1] - CROP), min(width, box[2] + CROP),
            min(height, box[3] + CROP))
    pictures = [frame_rgb(data, width, height) for data in kept]
    if seen is not None:
        truth = pictures[1].copy()
        x0, y0, x1, y1 = box
        under = truth[y0:y1, x0:x1].astype(np.uint16)
        logo, got = seen[0], seen[1]
        under[logo & got] = (under[logo & got] + np.array([0, 255, 0])) // 2
        under[logo & ~got] = (under[logo & ~got] + np.array([255, 0, 255])) // 2
        truth[y0:y1, x0:x1] = under.astype(np.uint8)
        pictures.append(truth)
    crops = []
    for rgb in pictures:
        x0, y0, x1, y1 = box[0] - 1, box[1] - 1, box[2], box[3]   # one pixel outside the box
        rgb = rgb.copy()
        cyan = (0, 255, 255)
        if x0 >= 0 and y0 >= 0 and x1 < width and y1 < height:
            rgb[y0, x0:x1 + 1] = cyan
            rgb[y1, x0:x1 + 1] = cyan
            rgb[y0:y1 + 1, x0] = cyan
            rgb[y0:y1 + 1, x1] = cyan
        crops.append(rgb[area[1]:area[3], area[0]:area[2]])
    gap = np.full((crops[0].shape[0], 6, 3), 255, np.uint8)
    row = np.concatenate(sum([[c, gap] for c in crops], [])[:-1], axis=1)
    image = Image.fromarray(row, "RGB")
    image.resize((image.width * 2, image.height * 2), Image.NEAREST).save(path)


# ---------------------------------------------------------------------------
# One case


def picture_frame(starts, frames):
    """The middle frame of the longest shot."""
    bounds = sorted(set(starts) | {frames})
    first, end = max(zip(bounds, bounds[1:]), key=lambda b: b[1] - b[0])
    return (first + end) // 2


def evaluate(case, args, work):
    name = case["name"]
    w, h = case["width"], case["height"]
    frames = min(args.frames or case["frames"], case["frames"])
    alpha = np.asarray(Image.open(os.path.join(args.corpus, case["files"]["truth"])))[..., 3]
    mask = alpha > 0
    box = case["logo"]["bbox"]
    camera = None
    if case["files"].get("camera"):
        with open(os.path.join(args.corpus, case["files"]["camera"])) as listing:
            camera = json.load(listing)
    clean_path = os.path.join(args.corpus, case["files"]["clean"])
    starts, known_from = shot_starts_of(case, camera, clean_path, frames)
    source = case.get("source", {})
    fixed = source.get("still_camera") and source.get("kind") != "video"
    row = dict(label=args.label, case=name, conditions=case.get("conditions", ""), frames=frames,
               opacity=case["logo"]["opacity"], camera="known" if camera else
               ("fixed" if fixed else "unknown"), shots=len(starts), shots_from=known_from,
               logo_pixels=int(mask.sum()), detect_exit="", detect_summary="", box_overlap="",
               seen_pct="", seen_off_pct="", seen_psnr_db="", logo_off_pct="", logo_psnr_db="",
               fixed_psnr_db="", shot_start_psnr_db="", rest_psnr_db="", picture_frame="", settings_keys="",
               frame_sse="")
    seen = None
    if camera:
        seen = seen_masks(camera, mask, box, frames)
    elif fixed:
        seen = [np.zeros((box[3] - box[1], box[2] - box[0]), bool)] * frames
    if seen is not None:
        row["seen_pct"] = 100.0 * sum(int(s.sum()) for s in seen) / (row["logo_pixels"] * frames)
    code, summary, settings, found = run_detect(args.host, os.path.join(args.corpus,
                                                case["files"]["clip"]), work, frames)
    row.update(detect_exit=code, detect_summary=summary,
               box_overlap=overlap(found, box) if found else 0.0)
    if code != 0:
        return row, None
    run_ini = os.path.join(work, "run.ini")
    with_keys(settings, run_ini, args.set)
    row["settings_keys"] = " ".join("%s=%s" % kv for kv in args.set)
    keep = picture_frame(starts, frames)
    tallies, kept, frame_sse = measure_run(args.host, run_ini, case, args.corpus, frames, mask, box, seen,
                                starts, fixed, keep)
    logo_in_box = mask[box[1]:box[3], box[0]:box[2]]
    if seen is not None:
        row["seen_off_pct"] = tallies["seen"].off_pct()
        row["seen_psnr_db"] = tallies["seen"].psnr()
    row.update(logo_off_pct=tallies["logo"].off_pct(), logo_psnr_db=tallies["logo"].psnr(),
               fixed_psnr_db=tallies["fixed"].psnr(), shot_start_psnr_db=tallies["shot_start"].psnr(),
               rest_psnr_db=tallies["rest"].psnr(), picture_frame=keep,
               frame_sse=" ".join("%.0f" % v for v in frame_sse))
    for key, tally in tallies.items():
        row[key + "_sums"] = "%d %.0f %d" % (tally.pixels, tally.sse, tally.off)
    draw_see_through(os.path.join(args.out, name + "-see-through.png"), kept, w, h, box,
                     (logo_in_box, seen[keep]) if camera else None)
    return row, tallies


def pooled_row(label, rows, tallies):
    total = {k: Tally() for k in PARTS}
    for t in tallies:
        for key in total:
            total[key].merge(t[key])
    # The share seen over the cases where it is known.
    known = [(r["seen_pct"] * r["logo_pixels"] * r["frames"], r["logo_pixels"] * r["frames"])
             for r in rows if r["seen_pct"] != ""]
    row = dict(label=label, case="pooled", frames=sum(r["frames"] for r in rows),
               logo_pixels=sum(r["logo_pixels"] for r in rows), shots=sum(r["shots"] for r in rows),
               seen_pct=sum(k[0] for k in known) / sum(k[1] for k in known) if known else "",
               seen_off_pct=total["seen"].off_pct(), seen_psnr_db=total["seen"].psnr(),
               logo_off_pct=total["logo"].off_pct(), logo_psnr_db=total["logo"].psnr(),
               fixed_psnr_db=total["fixed"].psnr(), shot_start_psnr_db=total["shot_start"].psnr(), rest_psnr_db=total["rest"].psnr())
    return row


# ---------------------------------------------------------------------------
# Tables


def fmt_db(value):
    if value is None or value == "":
        return "—"
    value = float(value)
    return "inf" if value == math.inf else "%.1f dB" % value


def fmt_pct(value):
    return "—" if value is None or value == "" else "%.1f %%" % float(value)


COLUMNS = [("case", "case", str), ("camera", "camera", str), ("shots", "shots", str),
           ("seen_pct", "seen", fmt_pct), ("seen_off_pct", "seen: off > 24", fmt_pct),
           ("seen_psnr_db", "seen: PSNR-Y", fmt_db),
           ("logo_off_pct", "logo: off > 24", fmt_pct), ("logo_psnr_db", "logo: PSNR-Y", fmt_db),
           ("fixed_psnr_db", "logo, fixed camera", fmt_db),
           ("shot_start_psnr_db", "logo, first %d frames of shots" % SHOT_START, fmt_db),
           ("rest_psnr_db", "logo, rest of shots", fmt_db)]


def markdown(rows, label):
    head = [title if key != "case" else "case (%s)" % label for key, title, _ in COLUMNS]
    lines = ["| " + " | ".join(head) + " |", "|" + "|".join("---" for _ in COLUMNS) + "|"]
    for r in rows:
        if r.get("detect_exit") not in ("", 0, "0", None):
            cells = [r["case"], "detect found no logo (exit %s)" % r["detect_exit"], "—",
                     fmt_pct(r.get("seen_pct"))] + ["—"] * (len(COLUMNS) - 4)
        else:
            cells = [show(r.get(key, "")) if key not in ("case", "camera", "shots")
                     else str(r.get(key, "")) for key, _, show in COLUMNS]
            if r["case"] == "pooled":
                cells[0] = "**pooled**"
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


COMPARED = [("seen_off_pct", "seen: off > 24", fmt_pct, "pts"),
            ("seen_psnr_db", "seen: PSNR-Y", fmt_db, "dB"),
            ("logo_off_pct", "logo: off > 24", fmt_pct, "pts"),
            ("logo_psnr_db", "logo: PSNR-Y", fmt_db, "dB"),
            ("shot_start_psnr_db", "first %d frames of shots" % SHOT_START, fmt_db, "dB"),
            ("rest_psnr_db", "rest of shots", fmt_db, "dB")]


def number(value):
    try:
        return float(value)
    except (TypeError, ValueError):
        return None


def pooled_from_sums(rows):
    """The pooled figures of rows from their tallies' sums (CSV "*_sums")."""
    total = {k: Tally() for k in PARTS}
    for r in rows:
        for key in PARTS:
            sums = (r.get(key + "_sums") or "").split()
            if len(sums) == 3:
                total[key].pixels += int(sums[0])
                total[key].sse += float(sums[1])
                total[key].off += int(sums[2])
    return dict(case="pooled", seen_off_pct=total["seen"].off_pct(),
                seen_psnr_db=total["seen"].psnr(), logo_off_pct=total["logo"].off_pct(),
                logo_psnr_db=total["logo"].psnr(), shot_start_psnr_db=total["shot_start"].psnr(),
                rest_psnr_db=total["rest"].psnr())


def worst_second(row, other):
    """The least, over every SECOND frames in a row, of this run's PSNR-Y
    over the logo less the other's (dB); None without both runs' frames."""
    mine = [float(v) for v in (row.get("frame_sse") or "").split()]
    theirs = [float(v) for v in (other.get("frame_sse") or "").split()]
    count = min(len(mine), len(theirs))
    if count < SECOND:
        return None
    worst = math.inf
    for first in range(count - SECOND + 1):
        a, b = sum(mine[first:first + SECOND]), sum(theirs[first:first + SECOND])
        if a > 0 and b > 0:
            worst = min(worst, 10 * math.log10(b / a))
        elif a > 0:
            worst = -math.inf
    return worst if worst != math.inf else 0.0


def compare_table(rows, other_rows):
    """This run beside another, per case both runs measured, with the
    differences (this run minus the other); pooled over those cases."""
    mine = rows[0]["label"] if rows else "this run"
    theirs = other_rows[0].get("label", "other") if other_rows else "other"
    measured = lambda r: r["case"] != "pooled" and str(r.get("detect_exit")) == "0"
    by_case = {r["case"]: r for r in other_rows if measured(r)}
    pairs = [(r, by_case[r["case"]]) for r in rows if measured(r) and r["case"] in by_case]
    if len(pairs) > 1:
        pairs.append((pooled_from_sums([p[0] for p in pairs]),
                      pooled_from_sums([p[1] for p in pairs])))
    head = ["case"]
    for _, title, _, _ in COMPARED:
        head += ["%s: %s" % (title, theirs), mine, "change"]
    head.append("worst second")
    lines = ["| " + " | ".join(head) + " |", "|" + "|".join("---" for _ in head) + "|"]
    for r, other in pairs:
        cells = [r["case"] if r["case"] != "pooled" else "**pooled**"]
        for key, _, show, unit in COMPARED:
            a, b = number(other.get(key)), number(r.get(key))
            change = "—"
            if a is not None and b is not None and math.isfinite(a) and math.isfinite(b):
                change = "%+.1f %s" % (b - a, unit)
            cells += [show(other.get(key)), show(r.get(key)), change]
        worst = worst_second(r, other)
        cells.append("—" if worst is None else "%+.2f dB" % worst)
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def setting(text):
    key, sep, value = text.partition("=")
    if not sep or not key.strip() or "[" in key or "\n" in text:
        raise argparse.ArgumentTypeError("%r is not KEY=VALUE" % text)
    return key.strip(), value.strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", default="logo-corpus", help="folder of make-logo-corpus.py")
    parser.add_argument("--cases", default="*",
                        help="comma-separated name patterns (shell wildcards); cases without a "
                             "logo are left out")
    parser.add_argument("--host", default="build/native/kestrimo-host", help="kestrimo-host to run")
    parser.add_argument("--out", default="see-through-results", help="folder for the results")
    parser.add_argument("--frames", type=int, help="use only the first N frames of every clip")
    parser.add_argument("--set", type=setting, action="append", default=[], metavar="KEY=VALUE",
                        help="a key for the channel's section after detect (repeatable)")
    parser.add_argument("--label", default="fill", help="the run's name in the tables (fill)")
    parser.add_argument("--compare", metavar="OTHER.csv",
                        help="results.csv of another run, printed beside this one")
    parser.add_argument("--check", action="store_true",
                        help="fail unless this run is no worse than --compare's, and gains on the seen pixels")
    parser.add_argument("--min-gain", type=float, default=6.0,
                        help="PSNR-Y over the seen pixels that --check asks above the other run (6 dB)")
    args = parser.parse_args()
    if args.check and not args.compare:
        parser.error("--check needs --compare")
    if args.frames is not None and args.frames < 1:
        parser.error("--frames must be at least 1")
    args.host = os.path.abspath(args.host)
    if not os.access(args.host, os.X_OK):
        parser.error("%s is not a program; build it or give --host" % args.host)
    other_rows = None
    if args.compare:
        with open(args.compare, newline="") as other:
            other_rows = list(csv.DictReader(other))
    with open(os.path.join(args.corpus, "cases.json")) as listing:
        cases = json.load(listing)
    patterns = [p.strip() for p in args.cases.split(",") if p.strip()]
    chosen = [c for c in cases if c.get("logo")
              and any(fnmatch.fnmatchcase(c["name"], p) for p in patterns)]
    if not chosen:
        parser.error("no case of %s matches %r and has a logo" % (args.corpus, args.cases))
    os.makedirs(args.out, exist_ok=True)
    rows, tallies = [], []
    started = time.monotonic()
    for case in chosen:
        begun = time.monotonic()
        work = os.path.join(args.out, case["name"])
        os.makedirs(work, exist_ok=True)
        row, tally = evaluate(case, args, work)
        rows.append(row)
        if tally:
            tallies.append(tally)
        print("%s: detect exit %s, %s (%.1f s)" % (case["name"], row["detect_exit"],
                                                  row["detect_summary"], time.monotonic() - begun),
              file=sys.stderr, flush=True)
    measured = [r for r in rows if r["detect_exit"] == 0]
    if len(measured) > 1:
        rows.append(pooled_row(args.label, measured, tallies))
    table = markdown(rows, args.label)
    print(table)
    text = table + "\n"
    if other_rows is not None:
        compared = compare_table(rows, other_rows)
        print("\n" + compared)
        text += "\n" + compared + "\n"
    with open(os.path.join(args.out, "results.md"), "w") as out:
        out.write(text)
    fields = []
    for row in rows:
        fields += [k for k in row if k not in fields]
    with open(os.path.join(args.out, "results.csv"), "w", newline="") as out:
        writer = csv.DictWriter(out, fieldnames=fields)
        writer.writeheader()
        for row in rows:
            writer.writerow(row)
    print("\n%d cases in %.1f s; results in %s" % (len(chosen), time.monotonic() - started,
                                                  args.out))
    if args.check:
        failures = check_against(rows, other_rows, args.min_gain)
        for failure in failures:
            print("FAILED: " + failure, file=sys.stderr)
        return 1 if failures else 0
    return 0


def check_against(rows, other_rows, min_gain):
    """What --check finds wrong, one line each."""
    by_case = {r["case"]: r for r in other_rows}
    failures = []
    for row in rows:
        other = by_case.get(row["case"])
        if row["case"] == "pooled" or other is None:
            continue
        if str(row.get("detect_exit")) != "0" or str(other.get("detect_exit")) != "0":
            failures.append("%s: not measured" % row["case"])
            continue
        for key in ("logo_psnr_db", "shot_start_psnr_db"):
            mine, theirs = number(row.get(key)), number(other.get(key))
            if mine is not None and theirs is not None and mine < theirs - 0.05:
                failures.append("%s: %s %.2f dB against %.2f dB" % (row["case"], key, mine, theirs))
        worst = worst_second(row, other)
        if worst is not None and worst < -0.1:
            failures.append("%s: a second %.2f dB under the other run" % (row["case"], worst))
        mine, theirs = number(row.get("seen_psnr_db")), number(other.get("seen_psnr_db"))
        if mine is not None and theirs is not None and math.isfinite(theirs) \
                and mine < theirs + min_gain:
            failures.append("%s: seen pixels %.2f dB, not %.1f dB over %.2f dB"
                            % (row["case"], mine, min_gain, theirs))
    return failures


if __name__ == "__main__":
    sys.exit(main())
