#!/usr/bin/python3
"""Measures the removal with a logo model gone stale in part, on a logo corpus.

A channel that changes a part of its logo (a new colour for a word, a
sub-title beside the mark) keeps a model that no longer fits that part. For
every case of a folder written by make-logo-corpus.py:

1. `kestrimo-host detect --write 1` runs on NAME.y4m into a fresh settings
   file, with its mask picture and logo model (it turns on LogoPresenceCheck).
2. A stale copy of the model has the colour of its right third (the model's
   pixels with some opacity) replaced by a dark blue.
3. The plug-in runs over the clip three times: without the model (the fill),
   with the stale model and with detect's own. Each output is compared with
   NAME-clean.y4m by PSNR-Y over the logo's pixels (the truth's) in its
   right third and over the rest.

Prints a Markdown table. With --check, exits 1 unless, in every case, the
stale third comes out no more than TOLERANCE_DB under the fill's. Runs
Debian's /usr/bin/python3 (python3-numpy, python3-pil).
"""
import argparse
import json
import os
import struct
import subprocess
import sys

try:
    import numpy as np
    from PIL import Image
except ImportError as error:
    sys.exit("evaluate-stale-model: %s: install the Debian packages python3-numpy and "
             "python3-pil and run with /usr/bin/python3" % error)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))  # also when loaded by path
from clip_measures import Y4m, psnr

STALE_BGR = (96, 16, 16)   # the stale part's colour, B, G, R
TOLERANCE_DB = 1.0         # the stale third under the fill's, at most


def right_third(columns_used):
    """The first column of the right third of the columns that hold something."""
    columns = np.nonzero(columns_used)[0]
    return columns[0] + 2 * (columns[-1] + 1 - columns[0]) // 3


def write_stale(model, stale):
    """The model BMP (32 bits, alpha the opacity) with its right third recoloured."""
    data = bytearray(open(model, "rb").read())
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    bits, = struct.unpack_from("<H", data, 28)
    if bits != 32:
        sys.exit("evaluate-stale-model: %s: not a 32-bit model picture" % model)
    pixels = np.frombuffer(data, np.uint8, abs(width) * abs(height) * 4, offset)
    pixels = pixels.reshape(abs(height), abs(width), 4).copy()
    part = pixels[:, right_third(pixels[..., 3].max(axis=0) > 0):]
    shown = part[..., 3] > 0
    for k in range(3):
        part[..., k][shown] = STALE_BGR[k]
    data[offset:offset + pixels.size] = pixels.tobytes()
    with open(stale, "wb") as out:
        out.write(data)


def with_model(settings, path, model):
    """A copy of the settings whose LogoModelFile is `model`, or none."""
    lines = []
    with open(settings, "rb") as source:
        for line in source.read().split(b"\n"):
            if line.startswith(b"LogoModelFile="):
                if model is None:
                    continue
                line = b"LogoModelFile=" + model.encode() + (b"\r" if line.endswith(b"\r") else b"")
            lines.append(line)
    with open(path, "wb") as target:
        target.write(b"\n".join(lines))
    return path


def measure(host, settings, clip, clean, parts):
    """PSNR-Y of the plug-in's output against the clean clip over each part."""
    with open(clip, "rb") as stdin:
        process = subprocess.Popen([host, "--channel", "1", "--settings", settings], stdin=stdin,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    sse = {name: 0.0 for name in parts}
    count = {name: 0 for name in parts}
    with open(clean, "rb") as clean_file:
        out, reference = Y4m(process.stdout, "the plug-in's output"), Y4m(clean_file, clean)
        while True:
            got = out.frame()
            if got is None:
                break
            want = reference.frame()
            for name, where in parts.items():
                error = got[0][where].astype(np.float64) - want[0][where]
                sse[name] += float((error * error).sum())
                count[name] += int(where.sum())
    process.wait()
    return {name: psnr(sse[name], count[name]) for name in parts}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", required=True, help="folder written by make-logo-corpus.py")
    parser.add_argument("--host", default="build/tool/kestrimo-host", help="kestrimo-host to run")
    parser.add_argument("--out", required=True, help="folder for the settings and models")
    parser.add_argument("--check", action="store_true",
                        help="exit 1 when a stale third comes out worse than the fill's")
    args = parser.parse_args()
    missed = []
    with open(os.path.join(args.corpus, "cases.json")) as listing:
        cases = [c for c in json.load(listing) if c.get("logo")]
    print("| case | fill: third / rest | stale model: third / rest | own model: third / rest |")
    print("|---|---|---|---|")
    for case in cases:
        work = os.path.join(args.out, case["name"])
        os.makedirs(work, exist_ok=True)
        settings, mask = os.path.join(work, "detect.ini"), os.path.join(work, "mask.bmp")
        model, stale = os.path.join(work, "model.bmp"), os.path.join(work, "stale.bmp")
        for old in (mask, model):
            if os.path.exists(old):
                os.remove(old)
        with open(settings, "wb") as fresh:
            fresh.write(b"[COMMON]\r\n")
        clip = os.path.join(args.corpus, case["files"]["clip"])
        subprocess.run([args.host, "detect", "-i", clip, "--mask", mask, "--write", "1",
                        "--settings", settings, "--model", model],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not os.path.exists(model):
            print("| %s | no model written | | |" % case["name"])
            continue
        write_stale(model, stale)
        truth = Image.open(os.path.join(args.corpus, case["files"]["truth"])).convert("RGBA")
        logo = np.asarray(truth)[..., 3] > 0
        third = logo.copy()
        third[:, :right_third(logo.any(axis=0))] = False
        parts = {"third": third, "rest": logo & ~third}
        clean = os.path.join(args.corpus, case["files"]["clean"])
        cells, thirds = [], {}
        for run, path in (("fill", None), ("stale", stale), ("own", model)):
            got = measure(args.host, with_model(settings, os.path.join(work, run + ".ini"), path),
                          clip, clean, parts)
            thirds[run] = got["third"]
            cells.append("%.2f / %.2f dB" % (got["third"], got["rest"]))
        print("| %s | %s |" % (case["name"], " | ".join(cells)), flush=True)
        if thirds["stale"] < thirds["fill"] - TOLERANCE_DB:
            missed.append("%s: the stale third at %.2f dB, the fill's at %.2f dB"
                          % (case["name"], thirds["stale"], thirds["fill"]))
    if args.check and missed:
        print("evaluate-stale-model: missed:\n" + "\n".join(missed), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
