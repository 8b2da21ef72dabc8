#!/usr/bin/python3
"""Writes test clips for logo detection made from real pictures, with the truth known.

Each case is a clip of real footage, or of photographs moved under a virtual
camera (pans, zooms, hard cuts), with a broadcast-like logo laid over it:

  NAME.y4m        the clip with the logo (YUV4MPEG2, planar 4:2:2, C422)
  NAME-clean.y4m  the same clip without it
  NAME-logo.png   the logo as RGBA at frame size: colour, and opacity as
                  alpha (0 outside the logo)

and a "no logo" case per source, whose NAME.y4m is its own clean clip (no
-clean.y4m, no PNG). cases.json in the output folder describes every case
written: size, source, logo shape, opacity, corner and bounding box.

The cases named after a condition of everyday television (adbreak-,
letterbox-, pillarbox-, clock-, tag-, still-, pan-) add to that, each once
with a logo and once without:

  adbreak-    the logo away for the middle third, cut out and back in at
              the cuts of an ad break made of other photographs; faded out
              and in over FADE frames around the middle third; or away for
              the first third (an ad break first). cases.json: "presence",
              the logo's opacity factor per frame as runs [first, end,
              factor] (end excluded; frames not listed do not exist): the
              clip's alpha in a frame is round(PNG alpha x factor), and a
              frame at factor 0 is the clean frame itself; "source" gets
              "ad_break" [first, end] and "ad_files".
  letterbox-, pillarbox-
              black bars (Y 16, U V 128) around a 2.35:1 picture or a 4:3
              picture in a 16:9 frame; the logo in the picture's corner.
              cases.json: "picture", the picture's [x0, y0, x1, y1], and
              "picture_runs", [first, end, [x0, y0, x1, y1] or null] (no
              bars). letterbox-late-: the whole frame first, then after a cut
              at a third a letterboxed film, the logo staying where it was
              (over the bar then); it has "picture_runs" only.
  clock-, tag-
              a clock (HH:MM:SS, a new second every 25 frames) or a LIVE tag
              24 SD pixels beside the logo (or where it would be).
              cases.json: "overlays", each with its kind, box [x0, y0, x1,
              y1], opacity, the clock's "text" as runs, and the tag's own
              RGBA truth picture NAME-tag.png. The overlays belong to the
              programme: they are in NAME-clean.y4m too.
  still-      a fixed camera over a table with sensor noise, a box from
              another photograph moved across it by hand, over the logo too.
  pan-        an HD pan sideways over a brick wall on its side: long mortar
              lines that keep their place while the picture moves.

A case that has a condition says it in "conditions"; the keys above are
missing where they do not apply (no key "presence": the logo shows at its
full opacity in every frame).

The cases camera-, zoom- and those ending in -opaque carry opaque logos over
a moving camera (zoom-: every shot a zoom in or out), a fixed one and a
film, to measure how much of what the logo hides the picture had shown
before. Every case with a logo whose frames all come straight from the
virtual camera (photos, no bars, no ad break) also gets

  NAME-camera.json
              the camera: per frame [shot, cx, cy, w], the window in the
              photograph (its centre and width, photo pixel centres at whole
              numbers), and the shots (first frame, end, photo, photo size).
              Frame pixel (i, j) shows the photo at x = cx - w / 2 + (i +
              0.5) * w / width - 0.5 and y = cy - w * height / width / 2 +
              (j + 0.5) * w / width - 0.5, clamped to the photo. cases.json
              names it in "files" as "camera".

The pictures come from Debian's packages (opencv-doc, python3-skimage); the
letters from fonts-dejavu-core; ffmpeg decodes the videos. Run with Debian's
/usr/bin/python3 (python3-numpy, python3-pil). Everything is deterministic.

Colour: the logo is blended in RGB, out = a * L + (1 - a) * clean, with a and
L exactly as stored in the PNG (8-bit). RGB goes to YUV with BT.601 in the
limited (studio) range, Y 16..235 and U, V 16..240, as broadcast recordings
carry it; U and V of a 4:2:2 pair are the mean of the pair's two pixels. The
conversion is affine, so in Y the blend holds as well:
Y(out) = a * Y(L) + (1 - a) * Y(clean), up to rounding. (kestrimo-host's
snapshots show YUV with the full-range formula, so these clips look slightly
flat there, like any TV recording.)
"""
import argparse
import fnmatch
import json
import math
import os
import shutil
import subprocess
import sys
import time

try:
    import numpy as np
except ImportError:
    sys.exit("make-logo-corpus: numpy is missing: install the Debian package python3-numpy "
             "and run this script with /usr/bin/python3")
try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    sys.exit("make-logo-corpus: Pillow is missing: install the Debian package python3-pil "
             "and run this script with /usr/bin/python3")

OPENCV_DATA = "/usr/share/doc/opencv-doc/examples/data"
SKIMAGE_DATA = "/usr/lib/python3/dist-packages/skimage/data"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
PACKAGE_OF = {OPENCV_DATA: "opencv-doc", SKIMAGE_DATA: "python3-skimage",
              os.path.dirname(FONT): "fonts-dejavu-core"}

RATE = "25:1"
SIZES = {"sd": (720, 576), "hd": (1920, 1080), "vga": (640, 480)}

# Real video. start: the first frame used.
VIDEOS = {
    "film": dict(path=OPENCV_DATA + "/Megamind.avi", start=24, still=False,
                 what="animated feature film excerpt, 720x528 at 23.976 fps: a restaurant "
                      "scene, shot/reverse shot with cuts, dark warm picture"),
    "street": dict(path=OPENCV_DATA + "/vtest.avi", start=0, still=True,
                   what="fixed surveillance camera, 768x576 at 10 fps: pedestrians "
                        "crossing a campus road and lawn, background never moves"),
    "tree": dict(path=OPENCV_DATA + "/tree.avi", start=0, still=True,
                 what="fixed webcam, 320x240 at 15 fps: a tree through a window, bright sky, "
                      "a hand passes in front"),
}

# A fixed camera over a table, and a box held in front of it; a pan over
# brickwork turned on its side, so that its long mortar lines run across.
STILL = dict(scene=OPENCV_DATA + "/stuff.jpg", thing=OPENCV_DATA + "/box.png",
             what="fixed camera over a table (a photograph, with sensor noise); a cardboard "
                  "box (cut from another photograph) moved across it by hand")
PAN = dict(path=SKIMAGE_DATA + "/brick.png",
           what="slow sideways pan over a brick wall turned on its side: long, nearly "
                "horizontal mortar lines that stay in place while the camera moves")

# Photographs for the virtual camera, in the order they are first shot.
PHOTOS = [
    SKIMAGE_DATA + "/astronaut.png",
    OPENCV_DATA + "/building.jpg",
    SKIMAGE_DATA + "/coffee.png",
    OPENCV_DATA + "/aloeL.jpg",
    SKIMAGE_DATA + "/motorcycle_left.png",
    OPENCV_DATA + "/leuvenA.jpg",
    SKIMAGE_DATA + "/chelsea.png",
    OPENCV_DATA + "/messi5.jpg",
    SKIMAGE_DATA + "/rocket.jpg",
]

# The ads of an ad break: other photographs, shorter shots.
AD_PHOTOS = [
    OPENCV_DATA + "/fruits.jpg",
    OPENCV_DATA + "/smarties.png",
    OPENCV_DATA + "/baboon.jpg",
    OPENCV_DATA + "/home.jpg",
    OPENCV_DATA + "/starry_night.jpg",
    OPENCV_DATA + "/butterfly.jpg",
    OPENCV_DATA + "/graf1.png",
]

RED = (214, 28, 44)
BLUE = (24, 92, 204)
ORANGE = (242, 142, 22)
GREEN = (30, 160, 84)
WHITE = (245, 245, 245)


def case(name, source, size, shape=None, opacity=None, corner=None, colour=None, text=None,
         seed=1, presence=None, ad=False, bars=None, overlays=(), place=None, zoom=False):
    """A case. The conditions of everyday television, all optional:
    presence: "cut" (the logo away for the middle third, cut out and in),
      "fade" (faded out over FADE frames, away, faded back in) or "late" (no
      logo for the first third);
    ad: the stretch without the logo is an ad break of other photographs
      (without a logo: the middle third is);
    bars: "letterbox" or "pillarbox", black bars around the picture;
    overlays: "clock", "tag" beside the logo;
    place: for a case without a logo but with overlays, the logo (shape,
      corner, text) they are placed beside, as if it were there;
    zoom: the virtual camera zooms in or out in every shot (photos only)."""
    logo = None
    if shape:
        logo = dict(shape=shape, opacity=opacity, corner=corner, colour=colour, text=text)
    if place:
        place = dict(shape=place[0], opacity=1.0, corner=place[1], colour=WHITE, text=place[2])
    return dict(name=name, source=source, size=size, logo=logo, seed=seed, presence=presence,
                ad=ad, bars=bars, overlays=tuple(overlays), place=place, zoom=zoom)


CASES = [
    case("film-sd-mark-tl", "film", "sd", "mark", 1.00, "top-left", RED, "KTV"),
    case("film-sd-text-tr", "film", "sd", "text", 0.55, "top-right", WHITE, "NEWS 24"),
    case("film-sd-outline-bc", "film", "sd", "outline", 0.80, "bottom-centre", WHITE, "HD"),
    case("film-hd-mark-tr", "film", "hd", "mark", 0.80, "top-right", BLUE, "ONE"),
    case("film-sd-nologo", "film", "sd"),
    case("street-sd-mark-tr", "street", "sd", "mark", 0.30, "top-right", ORANGE, "K2"),
    case("street-sd-outline-bl", "street", "sd", "outline", 1.00, "bottom-left", WHITE, "TV5"),
    case("street-sd-text-tl", "street", "sd", "text", 0.80, "top-left", WHITE, "CITY"),
    case("street-hd-mark-br", "street", "hd", "mark", 0.55, "bottom-right", GREEN, "24"),
    case("street-sd-nologo", "street", "sd"),
    case("tree-vga-mark-br", "tree", "vga", "mark", 0.55, "bottom-right", RED, "NOVA"),
    case("tree-vga-text-tc", "tree", "vga", "text", 1.00, "top-centre", WHITE, "SPORT"),
    case("tree-vga-nologo", "tree", "vga"),
    case("photos-sd-outline-tr", "photos", "sd", "outline", 0.55, "top-right", WHITE, "ARTE",
         seed=11),
    case("photos-sd-mark-bc", "photos", "sd", "mark", 0.80, "bottom-centre", GREEN, "EDU", seed=12),
    case("photos-sd-text-bl", "photos", "sd", "text", 0.30, "bottom-left", WHITE, "KINO 1",
         seed=13),
    case("photos-hd-mark-tl", "photos", "hd", "mark", 1.00, "top-left", BLUE, "PRIMA", seed=14),
    case("photos-hd-text-br", "photos", "hd", "text", 0.30, "bottom-right", WHITE, "ZDR",
         seed=15),
    case("photos-hd-outline-tc", "photos", "hd", "outline", 0.80, "top-centre", WHITE, "HD",
         seed=16),
    case("photos-sd-nologo", "photos", "sd", seed=17),
    case("photos-hd-nologo", "photos", "hd", seed=18),
    # Everyday television: the logo away during an ad break, bars around the
    # picture, a clock or a second overlay beside the logo, a fixed camera
    # with something moved in front of it, a pan over lines.
    case("adbreak-sd-mark-tl", "film", "sd", "mark", 1.00, "top-left", RED, "KTV",
         presence="cut", ad=True, seed=21),
    case("adbreak-sd-text-tr", "photos", "sd", "text", 0.55, "top-right", WHITE, "NEWS 24",
         presence="fade", seed=22),
    case("adbreak-sd-mark-br", "film", "sd", "mark", 0.80, "bottom-right", BLUE, "ONE",
         presence="late", ad=True, seed=23),
    case("adbreak-sd-nologo", "film", "sd", ad=True, seed=24),
    case("letterbox-sd-mark-tr", "photos", "sd", "mark", 0.80, "top-right", GREEN, "EDU",
         bars="letterbox", seed=25),
    case("letterbox-sd-nologo", "photos", "sd", bars="letterbox", seed=26),
    case("letterbox-late-sd-outline-tl", "film", "sd", "outline", 1.00, "top-left", WHITE, "HD",
         bars="letterbox-late", seed=30),
    case("letterbox-late-sd-nologo", "film", "sd", bars="letterbox-late", seed=31),
    case("pillarbox-hd-text-tl", "film", "hd", "text", 0.55, "top-left", WHITE, "CITY",
         bars="pillarbox"),
    case("pillarbox-hd-nologo", "film", "hd", bars="pillarbox"),
    case("clock-sd-mark-tl", "film", "sd", "mark", 0.80, "top-left", ORANGE, "K2",
         overlays=["clock"]),
    case("clock-sd-nologo", "film", "sd", overlays=["clock"], place=("mark", "top-left", "K2")),
    case("tag-sd-text-tr", "photos", "sd", "text", 0.55, "top-right", WHITE, "KINO 1",
         overlays=["tag"], seed=27),
    case("tag-sd-nologo", "photos", "sd", overlays=["tag"], place=("text", "top-right", "KINO 1"),
         seed=28),
    case("still-sd-mark-bl", "still", "sd", "mark", 0.80, "bottom-left", RED, "NOVA", seed=29),
    case("still-sd-nologo", "still", "sd", seed=29),
    case("pan-hd-text-tr", "pan", "hd", "text", 0.55, "top-right", WHITE, "SPORT"),
    case("pan-hd-nologo", "pan", "hd"),
    # Opaque logos over a moving camera, a zooming one, a fixed one and a
    # film: what the picture showed before the logo covered it.
    case("camera-sd-mark-tr", "photos", "sd", "mark", 1.00, "top-right", RED, "KTV", seed=41),
    case("camera-sd-text-bl", "photos", "sd", "text", 1.00, "bottom-left", WHITE, "KINO 1",
         seed=42),
    case("camera-hd-text-tl", "photos", "hd", "text", 1.00, "top-left", WHITE, "NEWS 24",
         seed=43),
    case("camera-hd-mark-br", "photos", "hd", "mark", 1.00, "bottom-right", BLUE, "ONE", seed=44),
    case("zoom-sd-mark-tl", "photos", "sd", "mark", 1.00, "top-left", GREEN, "EDU", seed=45,
         zoom=True),
    case("still-sd-mark-tr-opaque", "still", "sd", "mark", 1.00, "top-right", ORANGE, "K2",
         seed=46),
    case("film-sd-text-br-opaque", "film", "sd", "text", 1.00, "bottom-right", WHITE, "SPORT"),
]

FADE = 12          # frames of a fade out or in
OVERLAY_GAP = 24   # SD pixels between the logo and a clock or tag beside it
CLOCK_START = 20 * 3600 + 41 * 60 + 7   # 20:41:07


def missing_package(path):
    for folder, package in PACKAGE_OF.items():
        if path.startswith(folder):
            return package
    return None


def check_inputs(cases):
    """Every file the cases need, or an error naming the package to install."""
    needed = {FONT}
    for c in cases:
        if c["source"] == "photos":
            needed.update(PHOTOS)
        elif c["source"] == "still":
            needed.update([STILL["scene"], STILL["thing"]])
        elif c["source"] == "pan":
            needed.add(PAN["path"])
        else:
            needed.add(VIDEOS[c["source"]]["path"])
        if c["ad"]:
            needed.update(AD_PHOTOS)
    problems = []
    for path in sorted(needed):
        if not os.path.isfile(path):
            package = missing_package(path)
            problems.append("%s is missing: install the Debian package %s" % (path, package))
    if any(c["source"] in VIDEOS for c in cases) and not shutil.which("ffmpeg"):
        problems.append("ffmpeg is missing: install the Debian package ffmpeg")
    if problems:
        sys.exit("make-logo-corpus: " + "\n  ".join(problems)
                 + "\n  (apt-get install opencv-doc python3-skimage fonts-dejavu-core ffmpeg)")


# ---------------------------------------------------------------------------
# The logo


def reduce_by(k, rgb, cover, opacity):
    """(colour, alpha) of a drawing made k times too large: colour (RGB
    picture) and coverage (L picture) brought down by the mean of each k x k
    block, the colour weighted by coverage, alpha the coverage times opacity."""
    c = np.asarray(cover, np.float64) / 255.0
    premul = np.asarray(rgb, np.float64) * c[..., None]
    h, w = c.shape[0] // k, c.shape[1] // k
    c = c[:h * k, :w * k].reshape(h, k, w, k).mean(axis=(1, 3))
    premul = premul[:h * k, :w * k].reshape(h, k, w, k, 3).mean(axis=(1, 3))
    alpha = np.rint(c * opacity * 255.0).astype(np.uint8)
    colour = np.where(c[..., None] > 0, np.rint(premul / np.maximum(c, 1e-9)[..., None]), 0)
    colour = np.where(alpha[..., None] > 0, colour, 0).clip(0, 255).astype(np.uint8)
    return colour, alpha


def logo_picture(logo, width, height, picture=None):
    """The logo as (colour HxWx3 uint8, alpha HxW uint8) at frame size.

    Drawn at four times the size and brought down by the mean of each 4x4
    block (colour weighted by coverage), so its edges are anti-aliased. Its
    size follows the frame's height; picture (x, y, width, height), the
    picture between bars, is where its corner is (default the frame)."""
    k = 4
    unit = height / 576.0 * k  # one SD pixel at the drawing scale
    shape, text = logo["shape"], logo["text"]
    fill = tuple(logo["colour"])
    canvas_w, canvas_h = int(420 * unit), int(90 * unit)
    rgb = Image.new("RGB", (canvas_w, canvas_h), 0)
    cover = Image.new("L", (canvas_w, canvas_h), 0)
    paint, mask = ImageDraw.Draw(rgb), ImageDraw.Draw(cover)
    pad = int(4 * unit)

    def both(method, *args, colour, **kwargs):
        getattr(paint, method)(*args, fill=colour, **kwargs)
        getattr(mask, method)(*args, fill=255, **kwargs)

    if shape == "mark":
        # A coloured disc with a white sign in it, the letters a few pixels to its right.
        d = 46 * unit
        both("ellipse", (pad, pad, pad + d, pad + d), colour=fill)
        cx, cy, r = pad + d / 2, pad + d / 2, d * 0.26
        paint.polygon([(cx - r * 0.7, cy - r), (cx - r * 0.7, cy + r), (cx + r, cy)], fill=WHITE)
        font = ImageFont.truetype(FONT, int(34 * unit))
        x = pad + d + 6 * unit
        box = font.getbbox(text)
        both("text", (x, pad + d / 2 - (box[1] + box[3]) / 2), text, colour=WHITE, font=font)
    elif shape == "outline":
        # A thin rounded frame with outlined letters in it.
        font = ImageFont.truetype(FONT, int(30 * unit))
        box = font.getbbox(text)
        inner_w, inner_h = box[2] - box[0], box[3] - box[1]
        line = max(k, int(round(2.2 * unit)))
        frame = (pad, pad, pad + inner_w + 28 * unit, pad + inner_h + 24 * unit)
        paint.rounded_rectangle(frame, radius=12 * unit, outline=fill, width=line)
        mask.rounded_rectangle(frame, radius=12 * unit, outline=255, width=line)
        origin = (pad + 14 * unit - box[0], pad + 12 * unit - box[1])
        stroke = max(k, int(round(1.4 * unit)))
        letters = Image.new("L", cover.size, 0)
        ImageDraw.Draw(letters).text(origin, text, font=font, fill=255, stroke_width=stroke,
                                     stroke_fill=255)
        inside = Image.new("L", cover.size, 0)
        ImageDraw.Draw(inside).text(origin, text, font=font, fill=255)
        ring = np.clip(np.asarray(letters, np.int16) - np.asarray(inside, np.int16), 0, 255)
        ring = Image.fromarray(ring.astype(np.uint8))
        rgb.paste(fill, (0, 0), ring)
        cover.paste(255, (0, 0), ring)
    elif shape == "text":
        font = ImageFont.truetype(FONT, int(36 * unit))
        both("text", (pad, pad), text, colour=fill, font=font)
    else:
        raise ValueError(shape)

    colour, alpha = reduce_by(k, rgb, cover, logo["opacity"])

    # Trim to what was drawn, then place it in its corner, inside the safe
    # area of the picture (the whole frame, or the picture between bars).
    ys, xs = np.nonzero(alpha)
    colour = colour[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
    alpha = alpha[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
    lh, lw = alpha.shape
    rx, ry, rw, rh = picture if picture else (0, 0, width, height)
    mx, my = int(round(rw * 0.07)), int(round(rh * 0.065))
    corner = logo["corner"]
    x = rx + {"left": mx, "right": rw - mx - lw, "centre": (rw - lw) // 2}[corner.split("-")[1]]
    y = ry + {"top": my, "bottom": rh - my - lh}[corner.split("-")[0]]
    full_colour = np.zeros((height, width, 3), np.uint8)
    full_alpha = np.zeros((height, width), np.uint8)
    full_colour[y:y + lh, x:x + lw] = colour
    full_alpha[y:y + lh, x:x + lw] = alpha
    return full_colour, full_alpha


# ---------------------------------------------------------------------------
# Pictures: real video, or photographs under a virtual camera


def video_frames(source, width, height, count):
    """RGB frames of a real video, scaled to cover the frame size and cropped
    to it; played again from the start when it runs out."""
    info = VIDEOS[source]
    chain = ("trim=start_frame=%d,setpts=PTS-STARTPTS,"
             "scale=%d:%d:force_original_aspect_ratio=increase:flags=bicubic+accurate_rnd,"
             "crop=%d:%d,format=rgb24" % (info["start"], width, height, width, height))
    command = ["ffmpeg", "-v", "error", "-nostdin", "-stream_loop", "-1", "-i", info["path"],
               "-an", "-vf", chain, "-frames:v", str(count), "-f", "rawvideo", "-"]
    size = width * height * 3
    with subprocess.Popen(command, stdout=subprocess.PIPE) as ffmpeg:
        for index in range(count):
            data = ffmpeg.stdout.read(size)
            if len(data) != size:
                ffmpeg.kill()
                raise RuntimeError("ffmpeg gave %d frames of %s, %d wanted"
                                   % (index, info["path"], count))
            yield np.frombuffer(data, np.uint8).reshape(height, width, 3)
        ffmpeg.stdout.close()
    if ffmpeg.returncode not in (0, None):
        raise RuntimeError("ffmpeg failed on %s" % info["path"])


def ease(t):
    return 0.5 - 0.5 * math.cos(math.pi * t)


def camera_shots(count, width, height, seed, photos=PHOTOS, lengths=(45, 80), zoom=False):
    """The virtual camera's shots: (first frame, last frame + 1, photo, start
    window, end window); a window is (centre x, centre y, width) in the photo.
    Two windows drawn anywhere make pans with some zoom; with zoom, one
    window is nearly the widest and the other 1.6 to 2.2 times narrower, in
    either order, their centres a little apart: the camera zooms in or out."""
    rng = np.random.default_rng(seed)
    shots, first, index = [], 0, int(rng.integers(len(photos)))
    while first < count:
        length = int(rng.integers(*lengths))
        photo = photos[index % len(photos)]
        index += 1 + int(rng.integers(2))
        with Image.open(photo) as picture:
            pw, ph = picture.size
        widest = min(pw, ph * width / height)
        windows = []
        if zoom:
            wide, close = widest / rng.uniform(1.0, 1.15), widest / rng.uniform(1.6, 2.2)
            h = wide * height / width
            cx, cy = rng.uniform(wide / 2, pw - wide / 2), rng.uniform(h / 2, ph - h / 2)
            # The close window inside the wide one, off its centre by up to a tenth.
            dx, dy = rng.uniform(-0.1, 0.1, 2) * (wide - close)
            windows = [(cx, cy, wide), (cx + dx, cy + dy * height / width, close)]
            if rng.integers(2):
                windows.reverse()
        for _ in range(0 if zoom else 2):
            w = widest / rng.uniform(1.0, 1.7)
            h = w * height / width
            windows.append((rng.uniform(w / 2, pw - w / 2), rng.uniform(h / 2, ph - h / 2), w))
        shots.append((first, min(count, first + length), photo, windows[0], windows[1]))
        first += length
    return shots


def camera_windows(shots):
    """(shot index, centre x, centre y, width) of the window in the photo, per
    frame: the shot's two windows eased into each other, with a little shake."""
    for index, (first, end, _, a, b) in enumerate(shots):
        for frame in range(first, end):
            t = ease((frame - first) / max(1, end - first - 1))
            cx, cy, w = (a[i] + (b[i] - a[i]) * t for i in range(3))
            # A little hand-held shake, well under a pixel of the photo.
            cx += 0.4 * math.sin(frame * 0.37) + 0.25 * math.sin(frame * 0.91 + 1.0)
            cy += 0.3 * math.sin(frame * 0.29 + 2.0) + 0.2 * math.sin(frame * 1.13)
            yield index, cx, cy, w


def photo_frames(shots, width, height):
    """Frame pixel (i, j) shows the photo at x = cx - w / 2 + (i + 0.5) * step
    - 0.5, y = cy - w * height / width / 2 + (j + 0.5) * step - 0.5 (step = w /
    width; photo pixel centres at whole numbers), clamped to the photo,
    sampled bilinearly."""
    cache = {}
    for index, cx, cy, w in camera_windows(shots):
        photo = shots[index][2]
        if photo not in cache:
            with Image.open(photo) as picture:
                cache[photo] = np.asarray(picture.convert("RGB"), np.float32)
        picture = cache[photo]
        ph, pw = picture.shape[:2]
        step = w / width
        xs = cx - w / 2 + (np.arange(width) + 0.5) * step - 0.5
        ys = cy - w * height / width / 2 + (np.arange(height) + 0.5) * step - 0.5
        yield sample_bilinear(picture, xs, ys, pw, ph)


def camera_truth(c, frames, width, height):
    """The virtual camera of a case whose every frame is a photograph under
    it (no bars, no ad break), for NAME-camera.json; None for other cases."""
    if c["source"] != "photos" or c["bars"] or c["ad"]:
        return None
    shots = camera_shots(frames, width, height, c["seed"], zoom=c["zoom"])
    listed = []
    for first, end, photo, _, _ in shots:
        with Image.open(photo) as picture:
            listed.append(dict(first=first, end=end, photo=photo, photo_size=list(picture.size)))
    return dict(width=width, height=height, shots=listed,
                frames=[list(window) for window in camera_windows(shots)],
                note="frames: [shot, cx, cy, w] per frame, the window in the photo; frame "
                     "pixel (i, j) shows the photo at x = cx - w / 2 + (i + 0.5) * w / width "
                     "- 0.5, y = cy - w * height / width / 2 + (j + 0.5) * w / width - 0.5 "
                     "(photo pixel centres at whole numbers), clamped to [0, photo size - 1], "
                     "sampled bilinearly; a new shot starts after a cut")


def sample_bilinear(picture, xs, ys, pw, ph):
    xs = np.clip(xs, 0, pw - 1)
    ys = np.clip(ys, 0, ph - 1)
    x0 = np.minimum(xs.astype(np.int32), pw - 2)
    y0 = np.minimum(ys.astype(np.int32), ph - 2)
    fx = (xs - x0).astype(np.float32)[None, :, None]
    fy = (ys - y0).astype(np.float32)[:, None, None]
    rows = picture[y0] * (1 - fy) + picture[y0 + 1] * fy
    out = rows[:, x0] * (1 - fx) + rows[:, x0 + 1] * fx
    return np.rint(out).clip(0, 255).astype(np.uint8)


def cover_picture(path, width, height):
    """A photograph as RGB float32, scaled to cover width x height and cropped
    to it around its centre."""
    with Image.open(path) as picture:
        picture = picture.convert("RGB")
        scale = max(width / picture.width, height / picture.height)
        w, h = max(width, round(picture.width * scale)), max(height, round(picture.height * scale))
        picture = picture.resize((w, h), Image.BICUBIC)
        x, y = (w - width) // 2, (h - height) // 2
        return np.asarray(picture.crop((x, y, x + width, y + height)), np.float32)


def hand_path(count, width, height, rng):
    """(centre x, centre y, scale factor) per frame of a thing held by hand:
    in from the right, across the top, down to the bottom-left corner (where
    it rests a moment), along the bottom, back up to the middle and out on
    the left; with a tremor and the distance to the camera drifting a little."""
    stops = [(1.35, 0.30), (0.72, 0.20), (0.38, 0.32), (0.20, 0.80), (0.21, 0.79),
             (0.50, 0.76), (0.80, 0.80), (0.76, 0.44), (0.45, 0.50), (-0.35, 0.55)]
    points = np.array([(x * width, y * height) for x, y in stops])
    lengths = np.hypot(*np.diff(points, axis=0).T) + 0.12 * width  # a stop costs time too
    lengths *= rng.uniform(0.8, 1.25, len(lengths))
    ends = np.concatenate([[0], np.cumsum(lengths)]) / lengths.sum()
    padded = np.concatenate([points[:1], points, points[-1:]])
    phase = rng.uniform(0, 2 * math.pi, 4)
    path = []
    for frame in range(count):
        t = frame / max(1, count - 1)
        i = min(len(lengths) - 1, int(np.searchsorted(ends, t, side="right")) - 1)
        u = ease((t - ends[i]) / (ends[i + 1] - ends[i]))
        p0, p1, p2, p3 = padded[i], padded[i + 1], padded[i + 2], padded[i + 3]
        # Catmull-Rom through the stops.
        x, y = 0.5 * (2 * p1 + (p2 - p0) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u * u
                      + (3 * p1 - p0 - 3 * p2 + p3) * u ** 3)
        x += 1.6 * math.sin(frame * 0.83 + phase[0]) + 0.9 * math.sin(frame * 2.1 + phase[1])
        y += 1.3 * math.sin(frame * 0.71 + phase[2]) + 0.8 * math.sin(frame * 1.7 + phase[3])
        path.append((x, y, 1.0 + 0.05 * math.sin(frame * 0.045 + phase[0])))
    return path


def still_frames(width, height, count, seed):
    """A fixed camera over a table photograph, with a little sensor noise, and
    a box from another photograph moved across it by hand."""
    scene = cover_picture(STILL["scene"], width, height)
    with Image.open(STILL["thing"]) as thing:
        thing = np.asarray(thing.convert("RGB"), np.float32)
    th, tw = thing.shape[:2]
    size = 0.36 * height / th   # the box a little over a third of the frame high
    rng = np.random.default_rng(seed)
    for frame, (cx, cy, scale) in enumerate(hand_path(count, width, height, rng)):
        picture = scene.copy()
        s = size * scale
        left, top = cx - tw * s / 2, cy - th * s / 2
        x0, x1 = max(0, int(left)), min(width, int(math.ceil(left + tw * s)))
        y0, y1 = max(0, int(top)), min(height, int(math.ceil(top + th * s)))
        if x0 < x1 and y0 < y1:
            u = (np.arange(x0, x1) + 0.5 - left) / s - 0.5
            v = (np.arange(y0, y1) + 0.5 - top) / s - 0.5
            look = sample_bilinear(thing, u, v, tw, th).astype(np.float32)
            # Coverage of each frame pixel by the box's edges.
            ax = np.clip(np.minimum(u + 0.5, tw - 0.5 - u) * s + 0.5, 0, 1)
            ay = np.clip(np.minimum(v + 0.5, th - 0.5 - v) * s + 0.5, 0, 1)
            a = (ay[:, None] * ax[None, :])[..., None].astype(np.float32)
            picture[y0:y1, x0:x1] = a * look + (1 - a) * picture[y0:y1, x0:x1]
        picture += rng.normal(0.0, 1.6, picture.shape).astype(np.float32)
        yield np.rint(picture).clip(0, 255).astype(np.uint8)


def pan_frames(width, height, count):
    """The camera panning sideways at a steady pace over the brick wall turned
    on its side, its long mortar lines across the frame."""
    with Image.open(PAN["path"]) as picture:
        wall = np.rot90(np.asarray(picture.convert("RGB"), np.float32)).copy()
    ph, pw = wall.shape[:2]
    w = 0.74 * pw
    step = w / width
    h = height * step
    first, last = w / 2 + 4, pw - w / 2 - 4
    # A steady pace, speeding up over the first tenth and slowing over the last.
    t = (np.arange(count) + 0.5) / count
    pace = np.minimum(1.0, np.minimum(t, 1 - t) / 0.1)
    travelled = np.concatenate([[0.0], np.cumsum(pace)[:-1]])
    travelled /= max(travelled[-1], 1e-9)
    for frame in range(count):
        cx = first + (last - first) * travelled[frame]
        xs = cx - w / 2 + (np.arange(width) + 0.5) * step - 0.5
        ys = ph / 2 - h / 2 + (np.arange(height) + 0.5) * step - 0.5
        yield sample_bilinear(wall, xs, ys, pw, ph)


def picture_area(c, width, height):
    """The picture between the black bars (x, y, width, height), or None."""
    if c["bars"] in ("letterbox", "letterbox-late"):
        # 2.35:1 inside the frame's 16:9 (HD) or 4:3 (SD) display.
        shown = 16 / 9 if width / height > 1.5 else 4 / 3
        h = int(round(height * shown / 2.35 / 2)) * 2
        return (0, (height - h) // 2, width, h)
    if c["bars"] == "pillarbox":
        # 4:3 inside a 16:9 frame (square pixels).
        w = int(round(height * 4 / 3 / 2)) * 2
        return ((width - w) // 2, 0, w, height)
    return None


def presence_factors(kind, frames):
    """The logo's opacity factor per frame (0 away .. 1 shown)."""
    a, b = frames // 3, 2 * frames // 3
    factors = [1.0] * frames
    if kind == "late":
        factors[:a] = [0.0] * a
    elif kind in ("cut", "fade"):
        factors[a:b] = [0.0] * (b - a)
    if kind == "fade":
        for k in range(FADE):
            if a + k < b:
                factors[a + k] = (FADE - k) / (FADE + 1)
            if b + k < frames:
                factors[b + k] = (k + 1) / (FADE + 1)
    return factors


def ad_stretch(c, frames):
    """(first, end) of the ad break, or None."""
    if not c["ad"]:
        return None
    a, b = frames // 3, 2 * frames // 3
    return (0, a) if c["presence"] == "late" else (a, b)


def runs(values):
    """[[first, end, value], ...] of the runs of equal values (end excluded)."""
    out = []
    for index, value in enumerate(values):
        if out and out[-1][2] == value:
            out[-1][1] = index + 1
        else:
            out.append([index, index + 1, value])
    return out


def programme(c, frames, width, height):
    """(RGB frames, source description) of the programme alone, at the size
    of the picture."""
    if c["source"] == "photos":
        shots = camera_shots(frames, width, height, c["seed"], zoom=c["zoom"])
        return photo_frames(shots, width, height), dict(
            kind="photographs", still_camera=False,
            what="photographs under a virtual camera: %s, bilinear sampling, hard cuts "
                 "between photographs" % ("a zoom in or out in every shot" if c["zoom"]
                                          else "smooth pans and zooms"),
            cuts=[s[0] for s in shots[1:]],
            files=[dict(path=s[2], package=missing_package(s[2]), first_frame=s[0])
                   for s in shots])
    if c["source"] == "still":
        return still_frames(width, height, frames, c["seed"]), dict(
            kind="still", still_camera=True, what=STILL["what"],
            files=[dict(path=STILL["scene"], package=missing_package(STILL["scene"]), role="scene"),
                   dict(path=STILL["thing"], package=missing_package(STILL["thing"]),
                        role="moved object")])
    if c["source"] == "pan":
        return pan_frames(width, height, frames), dict(
            kind="pan", still_camera=False, what=PAN["what"],
            files=[dict(path=PAN["path"], package=missing_package(PAN["path"]))])
    info = VIDEOS[c["source"]]
    return video_frames(c["source"], width, height, frames), dict(
        kind="video", still_camera=info["still"], what=info["what"],
        files=[dict(path=info["path"], package=missing_package(info["path"]),
                    first_frame=info["start"])])


def bars_from(c, frames):
    """The first frame with bars."""
    return frames // 3 if c["bars"] == "letterbox-late" else 0


def case_pictures(c, frames, width, height, area):
    """(RGB frames at frame size, source description): the programme, between
    bars when area says so, with the ad break in its place."""
    if c["bars"] == "letterbox-late":
        return late_bars(c, frames, width, height, area)
    stretch = ad_stretch(c, frames)
    ad_frames = stretch[1] - stretch[0] if stretch else 0
    if area:
        shown, source = programme(c, frames - ad_frames, area[2], area[3])
        x, y, w, h = area

        def framed(pictures):
            for picture in pictures:
                full = np.zeros((height, width, 3), np.uint8)
                full[y:y + h, x:x + w] = picture
                yield full
        shown = framed(shown)
    else:
        shown, source = programme(c, frames - ad_frames, width, height)
    if not stretch:
        return shown, source
    shots = camera_shots(ad_frames, width, height, c["seed"] + 100, AD_PHOTOS, (20, 40))
    ads = photo_frames(shots, width, height)
    first, end = stretch

    def spliced():
        for frame in range(frames):
            yield next(ads) if first <= frame < end else next(shown)
    # The programme goes on after the break where it stopped.
    programme_cuts = [f if f < first else f + ad_frames for f in source.get("cuts", [])]
    break_cuts = [f for f in (first, end) if 0 < f < frames]
    source["cuts"] = sorted(set(programme_cuts + break_cuts + [first + s[0] for s in shots[1:]]))
    source["ad_break"] = [first, end]
    source["ad_files"] = [dict(path=s[2], package=missing_package(s[2]), first_frame=first + s[0])
                          for s in shots]
    return spliced(), source


def late_bars(c, frames, width, height, area):
    """Photographs over the whole frame, then after a cut at a third of the
    clip the programme letterboxed."""
    lead = bars_from(c, frames)
    shots = camera_shots(lead, width, height, c["seed"])
    opening = photo_frames(shots, width, height)
    x, y, w, h = area
    shown, source = programme(c, frames - lead, w, h)

    def spliced():
        for frame in range(frames):
            if frame < lead:
                yield next(opening)
            else:
                full = np.zeros((height, width, 3), np.uint8)
                full[y:y + h, x:x + w] = next(shown)
                yield full
    source["cuts"] = sorted(set([s[0] for s in shots[1:]] + ([lead] if 0 < lead < frames else [])
                                + [lead + f for f in source.get("cuts", [])]))
    source["opening"] = [0, lead]
    source["opening_files"] = [dict(path=s[2], package=missing_package(s[2]), first_frame=s[0])
                               for s in shots]
    return spliced(), source


# ---------------------------------------------------------------------------
# A clock and a tag beside the logo


def drawn_text(text, height, font_px, colour, opacity, plate=None):
    """(colour, alpha) of a line of text of font_px SD pixels, drawn at four
    times the size; on a rounded plate of colour plate when given. Not trimmed:
    the text's origin is at the same place whatever the text."""
    k = 4
    unit = height / 576.0 * k
    font = ImageFont.truetype(FONT, int(font_px * unit))
    box = font.getbbox("00:00:00" if plate is None else text)
    pad = int(round(6 * unit)) if plate else int(2 * unit)
    canvas_w = int(box[2] - box[0] + 2 * pad + 4 * unit)
    canvas_h = int(box[3] - box[1] + 2 * pad + 4 * unit)
    canvas_w, canvas_h = canvas_w // k * k + k, canvas_h // k * k + k
    rgb = Image.new("RGB", (canvas_w, canvas_h), 0)
    cover = Image.new("L", (canvas_w, canvas_h), 0)
    origin = (pad - box[0], pad - box[1])
    if plate:
        shape = (0, 0, box[2] - box[0] + 2 * pad, box[3] - box[1] + 2 * pad)
        ImageDraw.Draw(rgb).rounded_rectangle(shape, radius=4 * unit, fill=tuple(plate))
        ImageDraw.Draw(cover).rounded_rectangle(shape, radius=4 * unit, fill=255)
    ImageDraw.Draw(rgb).text(origin, text, font=font, fill=tuple(colour))
    ImageDraw.Draw(cover).text(origin, text, font=font, fill=255)
    return reduce_by(k, rgb, cover, opacity)


def overlay_layers(c, frames, width, height, beside):
    """The overlays of a case beside the logo's box: a list of (truth, layer
    per frame), truth the dict for cases.json and a layer (x, y, colour,
    alpha) to blend over the picture."""
    if not c["overlays"]:
        return []
    bx0, by0, bx1, by1 = beside
    gap = int(round(OVERLAY_GAP * height / 576.0))
    left_side = (bx0 + bx1) / 2 < width / 2
    out = []
    for kind in c["overlays"]:
        if kind == "clock":
            texts = ["%02d:%02d:%02d" % ((t // 3600) % 24, (t // 60) % 60, t % 60)
                     for t in (CLOCK_START + f // 25 for f in range(frames))]
            drawn = {t: drawn_text(t, height, 26, WHITE, 0.90) for t in sorted(set(texts))}
            cw = next(iter(drawn.values()))[1].shape[1]
            ch = next(iter(drawn.values()))[1].shape[0]
            union = np.zeros((ch, cw), bool)
            for _, alpha in drawn.values():
                union |= alpha > 0
            ys, xs = np.nonzero(union)
            # The drawn digits' box, gap pixels beside the logo, centred on it.
            x = bx1 + gap - xs.min() if left_side else bx0 - gap - xs.max() - 1
            y = (by0 + by1) // 2 - (ys.min() + ys.max() + 1) // 2
            box = [int(x + xs.min()), int(y + ys.min()), int(x + xs.max() + 1), int(y + ys.max() + 1)]
            truth = dict(kind="clock", what="white digits HH:MM:SS at 90 %, a new second every "
                                            "25 frames", opacity=0.90, box=box,
                         text=runs(texts), truth=None)
            layers = [(x, y) + drawn[t] for t in texts]
        elif kind == "tag":
            colour, alpha = drawn_text("LIVE", height, 20, WHITE, 0.90, plate=RED)
            ys, xs = np.nonzero(alpha)
            colour = colour[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
            alpha = alpha[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
            h, w = alpha.shape
            # Under the logo, gap pixels away, on the logo's outer side.
            y = by1 + gap if by0 < height / 2 else by0 - gap - h
            x = bx0 if left_side else bx1 - w
            box = [int(x), int(y), int(x + w), int(y + h)]
            truth = dict(kind="tag", text="LIVE", what="white letters on a red plate, at 90 %",
                         opacity=0.90, box=box, truth=c["name"] + "-tag.png")
            layers = [(x, y, colour, alpha)] * frames
        else:
            raise ValueError(kind)
        out.append((truth, layers))
    return out


def with_overlays(picture, overlays, frame):
    """The picture with the frame's overlays blended over it (RGB, as the logo)."""
    if not overlays:
        return picture
    picture = picture.copy()
    for _, layers in overlays:
        x, y, colour, alpha = layers[frame]
        h, w = alpha.shape
        a = alpha[..., None].astype(np.float32) / 255.0
        under = picture[y:y + h, x:x + w].astype(np.float32)
        picture[y:y + h, x:x + w] = np.rint(a * colour + (1 - a) * under).astype(np.uint8)
    return picture


def save_overlay_truths(overlays, width, height, out_dir):
    """Each static overlay's RGBA picture at frame size."""
    for truth, layers in overlays:
        if truth["truth"]:
            x, y, colour, alpha = layers[0]
            h, w = alpha.shape
            full = np.zeros((height, width, 4), np.uint8)
            full[y:y + h, x:x + w, :3] = colour
            full[y:y + h, x:x + w, 3] = alpha
            Image.fromarray(full, "RGBA").save(os.path.join(out_dir, truth["truth"]),
                                               optimize=False)


# ---------------------------------------------------------------------------
# YUV 4:2:2 and the files


def rgb_to_yuv422(rgb):
    """Planar Y, U, V (BT.601, limited range) of an RGB picture of even width."""
    rgb = rgb.astype(np.float32)
    r, g, b = rgb[..., 0], rgb[..., 1], rgb[..., 2]
    y = 16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0
    u = 128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0
    v = 128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0
    u = (u[:, 0::2] + u[:, 1::2]) * 0.5
    v = (v[:, 0::2] + v[:, 1::2]) * 0.5
    return [np.rint(p).clip(0, 255).astype(np.uint8) for p in (y, u, v)]


def blend_region(clean, colour, alpha, box):
    """The logo laid over clean within box (x0, y0, x1, y1; x0, x1 even), as RGB."""
    x0, y0, x1, y1 = box
    a = alpha[y0:y1, x0:x1, None].astype(np.float32) / 255.0
    under = clean[y0:y1, x0:x1].astype(np.float32)
    return np.rint(a * colour[y0:y1, x0:x1] + (1 - a) * under).astype(np.uint8)


def y4m_header(width, height):
    return b"YUV4MPEG2 W%d H%d F%s Ip A1:1 C422\n" % (width, height, RATE.encode())


def write_case(c, frames, out_dir):
    width, height = SIZES[c["size"]]
    name = c["name"]
    meta = dict(name=name, width=width, height=height, frames=frames, rate=RATE,
                yuv="BT.601 limited range, 4:2:2 (chroma: mean of each horizontal pair)")
    area = picture_area(c, width, height)
    pictures, meta["source"] = case_pictures(c, frames, width, height, area)
    extra = {}
    if area:
        rect = [area[0], area[1], area[0] + area[2], area[1] + area[3]]
        lead = bars_from(c, frames)
        if lead == 0:
            extra["picture"] = rect
        extra["picture_runs"] = ([[0, lead, None]] if lead else []) + [[lead, frames, rect]]
        if lead:
            area = None   # the logo keeps its place in the frame when the bars come

    logo = c["logo"]
    clip_path = os.path.join(out_dir, name + ".y4m")
    beside = logo or c["place"]
    overlays = []
    if beside and c["overlays"]:
        where = np.nonzero(logo_picture(beside, width, height, area)[1])
        overlays = overlay_layers(c, frames, width, height,
                                  (where[1].min(), where[0].min(), where[1].max() + 1,
                                   where[0].max() + 1))
        save_overlay_truths(overlays, width, height, out_dir)
        extra["overlays"] = [truth for truth, _ in overlays]
    if logo is None:
        meta["logo"] = None
        meta["files"] = dict(clip=name + ".y4m")
        meta.update(extra)
        if conditions(c):
            meta["conditions"] = conditions(c)
        with open(clip_path, "wb") as clip:
            clip.write(y4m_header(width, height))
            for index, picture in enumerate(pictures):
                clip.write(b"FRAME\n")
                for plane in rgb_to_yuv422(with_overlays(picture, overlays, index)):
                    clip.write(plane.tobytes())
        return meta

    colour, alpha = logo_picture(logo, width, height, area)
    truth = np.dstack([colour, alpha])
    Image.fromarray(truth, "RGBA").save(os.path.join(out_dir, name + "-logo.png"), optimize=False)
    ys, xs = np.nonzero(alpha)
    bbox = [int(xs.min()), int(ys.min()), int(xs.max()) + 1, int(ys.max()) + 1]
    meta["logo"] = dict(shape=logo["shape"], text=logo["text"], colour=list(logo["colour"]),
                        opacity=logo["opacity"], corner=logo["corner"], bbox=bbox,
                        bbox_note="x0, y0, x1, y1 with x1, y1 excluded",
                        pixels=int(len(xs)),
                        solid_pixels=int((alpha >= round(logo["opacity"] * 255)).sum()))
    meta["files"] = dict(clip=name + ".y4m", clean=name + "-clean.y4m", truth=name + "-logo.png")
    camera = camera_truth(c, frames, width, height)
    if camera:
        meta["files"]["camera"] = name + "-camera.json"
        with open(os.path.join(out_dir, meta["files"]["camera"]), "w") as listing:
            json.dump(camera, listing)
            listing.write("\n")
    factors = presence_factors(c["presence"], frames) if c["presence"] else None
    if factors:
        extra["presence"] = runs([round(f, 4) for f in factors])
    meta.update(extra)
    if conditions(c):
        meta["conditions"] = conditions(c)
    # Only the logo's box changes; its columns are widened to whole chroma pairs.
    box = (bbox[0] & ~1, bbox[1], (bbox[2] + 1) & ~1, bbox[3])
    x0, y0, x1, y1 = box
    with open(clip_path, "wb") as clip, \
            open(os.path.join(out_dir, name + "-clean.y4m"), "wb") as clean_clip:
        clip.write(y4m_header(width, height))
        clean_clip.write(y4m_header(width, height))
        for index, picture in enumerate(pictures):
            picture = with_overlays(picture, overlays, index)
            planes = rgb_to_yuv422(picture)
            clean_clip.write(b"FRAME\n")
            for plane in planes:
                clean_clip.write(plane.tobytes())
            factor = factors[index] if factors else 1.0
            if factor > 0:
                faded = alpha if factor == 1.0 else np.rint(alpha * factor).astype(np.uint8)
                ly, lu, lv = rgb_to_yuv422(blend_region(picture, colour, faded, box))
                planes[0][y0:y1, x0:x1] = ly
                planes[1][y0:y1, x0 // 2:x1 // 2] = lu
                planes[2][y0:y1, x0 // 2:x1 // 2] = lv
            clip.write(b"FRAME\n")
            for plane in planes:
                clip.write(plane.tobytes())
    return meta


def conditions(c):
    """The everyday-television conditions of a case, in words ("" for none)."""
    said = []
    if c["source"] == "still":
        said.append("fixed camera, a box moved across it by hand")
    if c["source"] == "pan":
        said.append("sideways pan over horizontal lines")
    if c["zoom"]:
        said.append("the camera zooms in or out")
    if c["presence"]:
        said.append({"cut": "logo away for the middle third",
                     "fade": "logo faded out and in around the middle third",
                     "late": "no logo for the first third"}[c["presence"]])
    if c["ad"]:
        said.append("ad break")
    if c["bars"] == "letterbox-late":
        said.append("letterbox from a cut at a third, the logo staying in its place")
    elif c["bars"]:
        said.append(c["bars"])
    said += list(c["overlays"])
    return ", ".join(said)


def describe(c):
    w, h = SIZES[c["size"]]
    more = ("  (%s)" % conditions(c)) if conditions(c) else ""
    if c["logo"] is None:
        return "%-22s %4dx%-4d %-6s no logo%s" % (c["name"], w, h, c["source"], more)
    logo = c["logo"]
    return "%-22s %4dx%-4d %-6s %-7s %3d%% %-13s %r%s" % (
        c["name"], w, h, c["source"], logo["shape"], round(logo["opacity"] * 100),
        logo["corner"], logo["text"], more)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="logo-corpus", help="output folder (made if missing)")
    parser.add_argument("--frames", type=int, default=200, help="frames per clip (200)")
    parser.add_argument("--cases", default="*",
                        help="comma-separated name patterns (shell wildcards), e.g. 'street-*,"
                             "photos-sd-*'")
    parser.add_argument("--list", action="store_true", help="list the cases and stop")
    args = parser.parse_args()
    patterns = [p.strip() for p in args.cases.split(",") if p.strip()]
    chosen = [c for c in CASES if any(fnmatch.fnmatchcase(c["name"], p) for p in patterns)]
    if args.list:
        for c in chosen:
            print(describe(c))
        return
    if not chosen:
        parser.error("no case matches %r (see --list)" % args.cases)
    if args.frames < 1:
        parser.error("--frames must be at least 1")
    check_inputs(chosen)
    os.makedirs(args.out, exist_ok=True)
    described = []
    started = time.monotonic()
    for c in chosen:
        begun = time.monotonic()
        described.append(write_case(c, args.frames, args.out))
        print("%s  %.1f s" % (describe(c), time.monotonic() - begun), flush=True)
    with open(os.path.join(args.out, "cases.json"), "w") as listing:
        json.dump(described, listing, indent=1)
        listing.write("\n")
    print("%d cases, %d frames each, in %s (%.1f s)"
          % (len(chosen), args.frames, args.out, time.monotonic() - started))


if __name__ == "__main__":
    main()
