#!/usr/bin/python3
"""Measures the plug-in's live logo search on a logo corpus.

For every case of a folder written by make-logo-corpus.py, kestrimo_live_search
runs the search the settings window starts over NAME.y4m (looped until the
search ends) and says what it found. Against the truth in cases.json:

  a case with a logo passes when the search found a mask whose keyed pixels
  cover at least 90 % of the logo's true bounding box, and not half or more
  of an overlay of the programme beside it (a clock left out); on a still
  camera, also when the search says it cannot tell (too little movement);
  a case without a logo passes when the search ended without a result (for
  any reason), or when what it found is the programme's own LIVE tag (box
  overlap 0.5 or more), which nothing tells from a logo; a clock alone, its
  seconds changing, is no logo.

A search without an outcome after the program's frames fails. Prints a
Markdown table, one row per case; with --check exits 1 when a case fails.
Runs Debian's /usr/bin/python3 (python3-numpy, for the shared clip measures).
"""
import argparse
import fnmatch
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))  # also when loaded by path
from clip_measures import overlap

COVERED = 0.9          # share of the true box the found mask must cover
OVERLAY_OVERLAP = 0.5  # box overlap that names a found box after a programme overlay,
                       # and share of one that a logo's mask must not take in
SECONDS = 300          # per case; the search itself decides within about 20 s of frames


def covered(found, truth):
    """Share of the box truth (x1, y1 excluded) that the box found covers."""
    ix = max(0, min(found[2], truth[2]) - max(found[0], truth[0]))
    iy = max(0, min(found[3], truth[3]) - max(found[1], truth[1]))
    area = (truth[2] - truth[0]) * (truth[3] - truth[1])
    return ix * iy / area if area else 0.0


def box_text(box):
    return "%d..%d, %d..%d" % (box[0], box[2] - 1, box[1], box[3] - 1) if box else "none"


def overlay_named(box, case):
    """The kind of the programme's overlay (clock, tag) that a found box is, or None."""
    for item in case.get("overlays") or []:
        if overlap(box, item["box"]) >= OVERLAY_OVERLAP:
            return item["kind"]
    return None


def run_search(program, clip):
    """What kestrimo_live_search printed, as a dict, and its time in seconds."""
    started = time.monotonic()
    done = subprocess.run([program, clip], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=SECONDS)
    seconds = time.monotonic() - started
    if done.returncode != 0:
        raise SystemExit("evaluate-live-search: %s: exit %d: %s"
                         % (clip, done.returncode, done.stderr.decode(errors="replace").strip()))
    return json.loads(done.stdout), seconds


def judge(case, result):
    """(passed, note) for a case and the search's result."""
    if result["outcome"] == "timeout":
        return False, "no outcome after %d frames" % result["frames"]
    found = result["outcome"] == "found"
    box = result["box"] if found else None
    logo = case.get("logo")
    if logo:
        if not found and case["source"].get("still_camera") and result["reason"] == "TooLittleMovement":
            return True, "cannot tell on a still camera"
        if not found:
            return False, "logo not found"
        if box is None:
            return False, "found, but the mask keys no frame pixel"
        share = covered(box, logo["bbox"])
        if share < COVERED:
            return False, "covers %.0f%% of the logo's box" % (100 * share)
        for item in case.get("overlays") or []:
            if covered(box, item["box"]) >= OVERLAY_OVERLAP:
                return False, "takes in the programme's %s" % item["kind"]
        return True, "covers %.0f%% of the logo's box" % (100 * share)
    if not found:
        return True, ""
    named = overlay_named(box, case) if box else None
    if named == "tag":
        return True, "the programme's tag"  # still, like a logo: nothing tells them apart
    if named:
        return False, "the programme's %s, which is no logo" % named
    return False, "a mask where there is no logo"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", default="logo-corpus", help="folder of make-logo-corpus.py")
    parser.add_argument("--cases", default="*", help="comma-separated name patterns (shell wildcards)")
    parser.add_argument("--program", default="build/native/kestrimo_live_search",
                        help="kestrimo_live_search to run")
    parser.add_argument("--check", action="store_true", help="exit 1 when a case fails")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    if not os.access(program, os.X_OK):
        parser.error("%s is not a program; build the target kestrimo_live_search or give --program"
                     % program)
    with open(os.path.join(args.corpus, "cases.json")) as listing:
        cases = json.load(listing)
    patterns = [p.strip() for p in args.cases.split(",") if p.strip()]
    chosen = [c for c in cases if any(fnmatch.fnmatchcase(c["name"], p) for p in patterns)]
    if not chosen:
        parser.error("no case of %s matches %r" % (args.corpus, args.cases))
    lines = ["| case | outcome (reason) | found box (x, y) | true box (x, y) | frames | pass |",
             "|---|---|---|---|---|---|"]
    failed = []
    started = time.monotonic()
    for case in chosen:
        result, seconds = run_search(program, os.path.join(args.corpus, case["files"]["clip"]))
        passed, note = judge(case, result)
        outcome = "%s (%s)" % (result["outcome"], result["reason"])
        found = box_text(result["box"]) if result["outcome"] == "found" else "—"
        truth = box_text(case["logo"]["bbox"]) if case.get("logo") else "no logo"
        verdict = ("pass" if passed else "FAIL") + (": " + note if note else "")
        lines.append("| %s | %s | %s | %s | %d | %s |"
                     % (case["name"], outcome, found, truth, result["frames"], verdict))
        if not passed:
            failed.append("%s: %s, %s" % (case["name"], outcome, note))
        print("%s: %s %s (%.1f s)" % (case["name"], outcome, found, seconds), file=sys.stderr,
              flush=True)
    print("\n".join(lines))
    print("\n%d cases in %.1f s, %d failed" % (len(chosen), time.monotonic() - started, len(failed)))
    if args.check and failed:
        print("\n".join(["evaluate-live-search: failed:"] + failed), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
