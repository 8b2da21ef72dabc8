#!/usr/bin/python3
"""Measures how the plug-in treats frames without the logo, on a logo corpus.

For every case of a folder written by make-logo-corpus.py whose logo is away
or fading in part of the clip (its "presence" in cases.json):

1. `kestrimo-host detect --write 1` runs on NAME.y4m into a fresh settings
   file, with the mask picture and logo model beside it. The channel's
   section must then have LogoPresenceCheck=1; where detect did not write it,
   it is added here, and the output says so.
2. The plug-in runs over the clip twice: with those settings, and with the
   same settings without LogoPresenceCheck (a channel set up before the
   check existed). Each output is compared, frame by frame, with the input
   and with NAME-clean.y4m:
   - frames where the truth has no logo (factor 0): PSNR-Y of the output
     against the input over the plug-in's area (the logo's box grown by 2
     pixels, and every pixel either run changed); the lowest
     of these frames, and the share of them whose output is the input byte
     for byte;
   - frames with the logo at its full opacity (factor 1): PSNR-Y over the
     logo's box grown by 2 pixels against the clean clip, with the check and
     without it;
   - a frame is "processed" when the output differs from the input (the
     plug-in changes nothing outside its area). The logo appears at the
     first frame with factor >= 0.5 (the clip's first frame counts when it
     shows the logo) and disappears at the first with factor < 0.5 after
     that; on latency: frames from an appearance to the first processed
     frame, off latency: from a disappearance to the first frame left
     unchanged (the largest over the clip; "never" when it does not come
     before the next change); switches: the times the plug-in started
     processing (from not processing before the first frame), per
     appearance: 1 when it switches on once for each appearance and stays
     on, below 1 when it never switches off.

With --check, exits 1 unless, in every case, detect found the logo (its box
over the logo's at 0.7 intersection over union or more), frames
without the logo come out at 45 dB or more (PSNR-Y against the input), and
frames with the logo are no worse with the check than without it (0.1 dB).

Prints a Markdown table and writes it with a CSV of the same rows into --out,
with each case's settings, mask, model and a picture NAME-frames.png: frame
by frame crops around the logo's box (framed in cyan), twice the size, of a
frame in the middle of the stretch without the logo and of one with it: the
input, the output with the check and the output without it.

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
    sys.exit("evaluate-presence: %s: install the Debian packages python3-numpy and python3-pil "
             "and run with /usr/bin/python3" % error)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))  # also when loaded by path
from clip_measures import Y4m, feed, frame_rgb, overlap, psnr

RATE = 25.0            # frames per second of the corpus
BORDER = 2             # frame pixels around the logo box for PSNR-Y
REQUIRED_DB = 45.0     # frames without the logo, against the input
TOLERANCE_DB = 0.1     # frames with the logo, with the check against without it
CROP = 16              # frame pixels around the logo box in the pictures
REACH = 48             # frame pixels around the logo box kept of every frame to measure
KEY = "LogoPresenceCheck"
MIN_OVERLAP = 0.7      # detect's box against the logo's, intersection over union


def factors_of(case, frames):
    """The logo's opacity factor per frame, from the case's presence runs."""
    factors = [1.0] * case["frames"]
    for first, end, factor in case.get("presence", []):
        factors[first:end] = [factor] * (end - first)
    return factors[:frames]


# ---------------------------------------------------------------------------
# detect and the settings


def run_detect(host, clip, work, frames):
    """detect --write 1 into fresh files in work: (exit code, summary line, settings path)."""
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


def section_lines(text, section):
    """(index of the section's header line, index after its last line) in lines, or None."""
    lines = text.split("\n")
    start = None
    for index, line in enumerate(lines):
        name = line.strip()
        if name.startswith("[") and name.endswith("]"):
            if start is not None:
                return lines, start, index
            if name[1:-1] == section:
                start = index
    return (lines, start, len(lines)) if start is not None else (lines, None, None)


def with_presence(settings, path, on):
    """A copy of settings whose channel 1 has LogoPresenceCheck=1 (on) or
    no such key (off); the value the file had ("1", "0", None)."""
    with open(settings, "rb") as source:
        text = source.read().decode("latin-1")
    lines, start, end = section_lines(text, "1")
    if start is None:
        raise SystemExit("evaluate-presence: %s has no section [1]" % settings)
    had = None
    kept = lines[:start + 1]
    for line in lines[start + 1:end]:
        if line.strip().startswith(KEY + "="):
            had = line.strip().split("=", 1)[1].strip()
            continue
        kept.append(line)
    if on:
        newline = "\r" if lines[start].endswith("\r") else ""
        kept.insert(start + 1, KEY + "=1" + newline)
    kept += lines[end:]
    with open(path, "wb") as target:
        target.write("\n".join(kept).encode("latin-1"))
    return had


# ---------------------------------------------------------------------------
# A run of the plug-in


def measure_run(host, settings, case, folder, frames, reach, keep=()):
    """Runs the plug-in over the clip with settings; per frame: processed
    (the output is not the input) and the Y of output, input and clean clip
    within reach (x0, y0, x1, y1); the union of changed pixels; and the
    frames of keep (input, output)."""
    clip_path = os.path.join(folder, case["files"]["clip"])
    clean_path = os.path.join(folder, case["files"]["clean"])
    process = subprocess.Popen([host, "--channel", "1", "--settings", settings],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    feeder = threading.Thread(target=feed, args=(clip_path, process.stdin, frames), daemon=True)
    feeder.start()
    errors = []
    drain = threading.Thread(target=lambda: errors.append(process.stderr.read()), daemon=True)
    drain.start()
    x0, y0, x1, y1 = reach
    result = dict(processed=[], planes=[], kept={})
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
                raise SystemExit("evaluate-presence: %s: the plug-in gave more frames than the clip"
                                 % case["name"])
            y_out, y_in = got_out[0], got_in[0]
            result["processed"].append(got_out[1] != got_in[1])
            changed |= y_out != y_in
            result["planes"].append(tuple(p[y0:y1, x0:x1].copy()
                                          for p in (y_out, y_in, got_clean[0])))
            if index in keep:
                result["kept"][index] = (got_in[1], got_out[1])
            index += 1
        process.stdout.close()
    code = process.wait()
    drain.join()
    feeder.join()
    if code != 0:
        raise SystemExit("evaluate-presence: %s: the plug-in run ended with exit code %d: %s"
                         % (case["name"], code,
                            (errors[0] if errors else b"").decode(errors="replace").strip()))
    if index < (case["frames"] if frames is None else min(frames, case["frames"])):
        raise SystemExit("evaluate-presence: %s: the plug-in gave %d frames of %d"
                         % (case["name"], index, case["frames"] if frames is None else frames))
    result["changed"] = changed
    return result


def sse(a, b, where=None):
    d = a.astype(np.float64) - b.astype(np.float64)
    return float(np.sum((d if where is None else d[where]) ** 2))


# ---------------------------------------------------------------------------
# Switching


def events(factors):
    """(appearances, disappearances): frame indices where the logo comes
    (factor >= 0.5; the first frame counts) and goes (factor < 0.5)."""
    shown = [f >= 0.5 for f in factors]
    comes = [i for i, s in enumerate(shown) if s and (i == 0 or not shown[i - 1])]
    goes = [i for i, s in enumerate(shown) if not s and i > 0 and shown[i - 1]]
    return comes, goes


def latencies(processed, starts, want, bounds):
    """Frames from each start to the first frame whose processed flag is
    want, before the next change in bounds (None: it never comes)."""
    out = []
    for start in starts:
        stop = min([b for b in bounds if b > start] + [len(processed)])
        found = next((i for i in range(start, stop) if processed[i] == want), None)
        out.append(None if found is None else found - start)
    return out


def switches_on(processed):
    """The times processing starts, from not processing before the first frame."""
    return sum(1 for i, p in enumerate(processed) if p and (i == 0 or not processed[i - 1]))


# ---------------------------------------------------------------------------
# Pictures


def framed_crop(data, width, height, area, box):
    rgb = frame_rgb(data, width, height)
    x0, y0, x1, y1 = box[0] - 1, box[1] - 1, box[2], box[3]   # one pixel outside the box
    cyan = (0, 255, 255)
    rgb[y0, x0:x1 + 1] = cyan
    rgb[y1, x0:x1 + 1] = cyan
    rgb[y0:y1 + 1, x0] = cyan
    rgb[y0:y1 + 1, x1] = cyan
    a0, b0, a1, b1 = area
    return rgb[b0:b1, a0:a1]


def draw_frames(path, rows, width, height, box):
    """Rows of (input, with the check, without it) crops around box, twice the size."""
    area = (max(0, box[0] - CROP), max(0, box[1] - CROP), min(width, box[2] + CROP),
            min(height, box[3] + CROP))
    lines = []
    for frames in rows:
        crops = [framed_crop(data, width, height, area, box) for data in frames]
        gap = np.full((crops[0].shape[0], 6, 3), 255, np.uint8)
        lines.append(np.concatenate(sum([[c, gap] for c in crops], [])[:-1], axis=1))
        lines.append(np.full((6, lines[-1].shape[1], 3), 255, np.uint8))
    image = Image.fromarray(np.concatenate(lines[:-1], axis=0), "RGB")
    image.resize((image.width * 2, image.height * 2), Image.NEAREST).save(path)


# ---------------------------------------------------------------------------
# One case


def middle_of(indices):
    """The middle frame of the longest run of consecutive frames in indices."""
    best, run = [], []
    for index in indices:
        run = run + [index] if run and index == run[-1] + 1 else [index]
        if len(run) > len(best):
            best = run
    return best[len(best) // 2] if best else None


def evaluate(case, args, work):
    name = case["name"]
    w, h = case["width"], case["height"]
    frames = min(args.frames or case["frames"], case["frames"])
    factors = factors_of(case, frames)
    absent = [i for i, f in enumerate(factors) if f == 0]
    shown = [i for i, f in enumerate(factors) if f == 1]
    row = dict(case=name, conditions=case.get("conditions", ""), frames=frames,
               absent_frames=len(absent), shown_frames=len(shown), detect_exit="",
               detect_summary="", key_added="", psnr_absent_min_db="", unchanged_absent_pct="",
               box_overlap="", psnr_on_db="", psnr_off_db="", latency_on="", latency_off="", switches="",
               appearances="", misses=[])
    clip = os.path.join(args.corpus, case["files"]["clip"])
    code, summary, settings, found = run_detect(args.host, clip, work, frames)
    row.update(detect_exit=code, detect_summary=summary)
    if code != 0:
        row["misses"].append("detect found no logo (exit %d: %s)" % (code, summary))
        return row
    row["box_overlap"] = overlap(found, case["logo"]["bbox"]) if found else 0.0
    if row["box_overlap"] < MIN_OVERLAP:
        row["misses"].append("detect's box overlaps the logo's by %.2f only (%s)"
                             % (row["box_overlap"], summary))
    on_ini, off_ini = os.path.join(work, "presence-on.ini"), os.path.join(work, "presence-off.ini")
    had = with_presence(settings, on_ini, True)
    with_presence(settings, off_ini, False)
    if had != "1":
        row["key_added"] = "added" if had is None else "was %s, set to 1" % had
        print("evaluate-presence: %s: detect did not write %s=1 (%s); it is %s for the run"
              % (name, KEY, "no such key" if had is None else "it wrote " + had,
                 "added" if had is None else "set to 1"), file=sys.stderr)
    else:
        row["key_added"] = "written by detect"

    box = case["logo"]["bbox"]
    grown = [max(0, box[0] - BORDER), max(0, box[1] - BORDER), min(w, box[2] + BORDER),
             min(h, box[3] + BORDER)]
    away, logo_frame = middle_of(absent), middle_of(shown)
    keep = [i for i in (away, logo_frame) if i is not None]
    reach = [max(0, box[0] - REACH), max(0, box[1] - REACH), min(w, box[2] + REACH),
             min(h, box[3] + REACH)]
    off = measure_run(args.host, off_ini, case, args.corpus, frames, reach, keep)
    on = measure_run(args.host, on_ini, case, args.corpus, frames, reach, keep)

    # The plug-in's area: the grown box and whatever either run changed.
    union = off["changed"] | on["changed"]
    outside = union.copy()
    outside[reach[1]:reach[3], reach[0]:reach[2]] = False
    if outside.any():
        row["misses"].append("the plug-in changed %d pixels more than %d pixels from the logo's box"
                             % (int(outside.sum()), REACH))
    union[grown[1]:grown[3], grown[0]:grown[2]] = True
    mask = union[reach[1]:reach[3], reach[0]:reach[2]]
    inner = (grown[0] - reach[0], grown[1] - reach[1], grown[2] - reach[0], grown[3] - reach[1])

    # Frames without the logo: the output against the input.
    if absent:
        per_frame = [psnr(sse(on["planes"][i][0], on["planes"][i][1], mask), int(mask.sum()))
                     for i in absent]
        row["psnr_absent_min_db"] = min(per_frame)
        row["psnr_absent_all_db"] = psnr(sum(sse(on["planes"][i][0], on["planes"][i][1], mask)
                                             for i in absent), int(mask.sum()) * len(absent))
        row["psnr_absent_off_db"] = min(psnr(sse(off["planes"][i][0], off["planes"][i][1], mask),
                                             int(mask.sum())) for i in absent)
        row["unchanged_absent_pct"] = 100.0 * sum(not on["processed"][i] for i in absent) / len(absent)
        row["unchanged_absent_off_pct"] = \
            100.0 * sum(not off["processed"][i] for i in absent) / len(absent)
        if row["psnr_absent_min_db"] < REQUIRED_DB:
            row["misses"].append("frames without the logo at %.1f dB against the input, want %.0f"
                                 % (row["psnr_absent_min_db"], REQUIRED_DB))
    # Frames with the logo: the output against the clean clip, over the grown box.
    if shown:
        a0, b0, a1, b1 = inner
        pixels = (a1 - a0) * (b1 - b0) * len(shown)
        for key, result in (("psnr_on_db", on), ("psnr_off_db", off)):
            total = sum(sse(result["planes"][i][0][b0:b1, a0:a1], result["planes"][i][2][b0:b1, a0:a1])
                        for i in shown)
            row[key] = psnr(total, pixels)
        if row["psnr_on_db"] < row["psnr_off_db"] - TOLERANCE_DB:
            row["misses"].append("frames with the logo at %.2f dB with the check, %.2f without"
                                 % (row["psnr_on_db"], row["psnr_off_db"]))

    comes, goes = events(factors)
    row["appearances"] = len(comes)
    row["latency_on"] = latencies(on["processed"], comes, True, goes)
    row["latency_off"] = latencies(on["processed"], goes, False, comes)
    row["switches"] = switches_on(on["processed"]) / len(comes) if comes else None
    row["switches_off_run"] = switches_on(off["processed"]) / len(comes) if comes else None
    row["processed_frames"] = "".join("1" if p else "0" for p in on["processed"])

    rows = [(on["kept"][i][0], on["kept"][i][1], off["kept"][i][1]) for i in keep]
    draw_frames(os.path.join(work, name + "-frames.png"), rows, w, h, box)
    row["picture_frames"] = " and ".join("%d (factor %g)" % (i, factors[i]) for i in keep)
    return row


# ---------------------------------------------------------------------------
# The table


def fmt_db(value):
    if value is None or value == "":
        return "—"
    return "inf" if value == math.inf else "%.1f dB" % value


def fmt_latency(values):
    if values == "" or not values:
        return "—"
    if any(v is None for v in values):
        return "never"
    worst = max(values)
    return "%d (%.2f s)" % (worst, worst / RATE)


COLUMNS = ["case", "detect: box overlap", "frames without logo", "min PSNR-Y vs input", "unchanged",
           "frames with logo", "PSNR-Y with check", "PSNR-Y without", "latency on",
           "latency off", "switches per appearance"]


def markdown(rows):
    lines = ["| " + " | ".join(COLUMNS) + " |", "|" + "|".join("---" for _ in COLUMNS) + "|"]
    for r in rows:
        if r["psnr_on_db"] == "" and r["psnr_absent_min_db"] == "":
            cells = [r["case"], "no logo (exit %s)" % r["detect_exit"], str(r["absent_frames"]),
                     "—", "—", str(r["shown_frames"]),
                     "—", "—", "—", "—", "—"]
        else:
            cells = [r["case"], "%.2f" % r["box_overlap"], str(r["absent_frames"]),
                     fmt_db(r["psnr_absent_min_db"]),
                     "%.0f%%" % r["unchanged_absent_pct"] if r["unchanged_absent_pct"] != "" else "—",
                     str(r["shown_frames"]), fmt_db(r["psnr_on_db"]), fmt_db(r["psnr_off_db"]),
                     fmt_latency(r["latency_on"]), fmt_latency(r["latency_off"]),
                     "%.2f" % r["switches"] if r["switches"] is not None else "—"]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", default="logo-corpus", help="folder of make-logo-corpus.py")
    parser.add_argument("--cases", default="*",
                        help="comma-separated name patterns (shell wildcards); only cases whose "
                             "logo comes and goes are measured")
    parser.add_argument("--host", default="build/native/kestrimo-host", help="kestrimo-host to run")
    parser.add_argument("--out", default="presence-results", help="folder for the results")
    parser.add_argument("--frames", type=int, help="use only the first N frames of every clip")
    parser.add_argument("--check", action="store_true",
                        help="exit 1 unless every case meets the requirements")
    args = parser.parse_args()
    if args.frames is not None and args.frames < 1:
        parser.error("--frames must be at least 1")
    args.host = os.path.abspath(args.host)
    if not os.access(args.host, os.X_OK):
        parser.error("%s is not a program; build it or give --host" % args.host)
    with open(os.path.join(args.corpus, "cases.json")) as listing:
        cases = json.load(listing)
    patterns = [p.strip() for p in args.cases.split(",") if p.strip()]
    chosen = [c for c in cases if any(fnmatch.fnmatchcase(c["name"], p) for p in patterns)
              and c.get("logo") and c.get("presence")
              and any(run[2] < 1 for run in c["presence"])]
    if not chosen:
        parser.error("no case of %s matches %r and has a logo that comes and goes"
                     % (args.corpus, args.cases))
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
    print(table)
    with open(os.path.join(args.out, "results.md"), "w") as out:
        out.write(table + "\n")
    fields = []
    for row in rows:
        fields += [k for k in row if k not in fields]
    with open(os.path.join(args.out, "results.csv"), "w", newline="") as out:
        writer = csv.DictWriter(out, fieldnames=fields)
        writer.writeheader()
        for row in rows:
            writer.writerow(dict(row, misses="; ".join(row["misses"])))
    misses = ["%s: %s" % (r["case"], m) for r in rows for m in r["misses"]]
    print("\n%d cases in %.1f s; results in %s" % (len(rows), time.monotonic() - started, args.out))
    if args.check and misses:
        print("\n".join(["evaluate-presence: missed:"] + misses), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
