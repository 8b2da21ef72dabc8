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

RED = (214, 28, 44)
BLUE = (24, 92, 204)
ORANGE = (242, 142, 22)
GREEN = (30, 160, 84)
WHITE = (245, 245, 245)


def case(name, source, size, shape=None, opacity=None, corner=None, colour=None, text=None,
         seed=1):
    logo = None
    if shape:
        logo = dict(shape=shape, opacity=opacity, corner=corner, colour=colour, text=text)
    return dict(name=name, source=source, size=size, logo=logo, seed=seed)


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
]


def missing_package(path):
    for folder, package in PACKAGE_OF.items():
        if path.startswith(folder):
            return package
    return None


def check_inputs(cases):
    """Every file the cases need, or an error naming the package to install."""
    needed = {FONT}
    for c in cases:
        needed.update(PHOTOS if c["source"] == "photos" else [VIDEOS[c["source"]]["path"]])
    problems = []
    for path in sorted(needed):
        if not os.path.isfile(path):
            package = missing_package(path)
            problems.append("%s is missing: install the Debian package %s" % (path, package))
    if any(c["source"] != "photos" for c in cases) and not shutil.which("ffmpeg"):
        problems.append("ffmpeg is missing: install the Debian package ffmpeg")
    if problems:
        sys.exit("make-logo-corpus: " + "\n  ".join(problems)
                 + "\n  (apt-get install opencv-doc python3-skimage fonts-dejavu-core ffmpeg)")


# ---------------------------------------------------------------------------
# The logo


def logo_picture(logo, width, height):
    """The logo as (colour HxWx3 uint8, alpha HxW uint8) at frame size.

    Drawn at four times the size and brought down by the mean of each 4x4
    block (colour weighted by coverage), so its edges are anti-aliased."""
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

    # Down by 4 with the colour weighted by coverage.
    c = np.asarray(cover, np.float64) / 255.0
    premul = np.asarray(rgb, np.float64) * c[..., None]
    h, w = canvas_h // k, canvas_w // k
    c = c[:h * k, :w * k].reshape(h, k, w, k).mean(axis=(1, 3))
    premul = premul[:h * k, :w * k].reshape(h, k, w, k, 3).mean(axis=(1, 3))
    alpha = np.rint(c * logo["opacity"] * 255.0).astype(np.uint8)
    colour = np.where(c[..., None] > 0, np.rint(premul / np.maximum(c, 1e-9)[..., None]), 0)
    colour = np.where(alpha[..., None] > 0, colour, 0).clip(0, 255).astype(np.uint8)

    # Trim to what was drawn, then place it in its corner, inside the safe area.
    ys, xs = np.nonzero(alpha)
    colour = colour[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
    alpha = alpha[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
    lh, lw = alpha.shape
    mx, my = int(round(width * 0.07)), int(round(height * 0.065))
    corner = logo["corner"]
    x = {"left": mx, "right": width - mx - lw, "centre": (width - lw) // 2}[corner.split("-")[1]]
    y = {"top": my, "bottom": height - my - lh}[corner.split("-")[0]]
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


def camera_shots(count, width, height, seed):
    """The virtual camera's shots: (first frame, last frame + 1, photo, start
    window, end window); a window is (centre x, centre y, width) in the photo."""
    rng = np.random.default_rng(seed)
    shots, first, index = [], 0, int(rng.integers(len(PHOTOS)))
    while first < count:
        length = int(rng.integers(45, 80))
        photo = PHOTOS[index % len(PHOTOS)]
        index += 1 + int(rng.integers(2))
        with Image.open(photo) as picture:
            pw, ph = picture.size
        widest = min(pw, ph * width / height)
        windows = []
        for _ in range(2):
            w = widest / rng.uniform(1.0, 1.7)
            h = w * height / width
            windows.append((rng.uniform(w / 2, pw - w / 2), rng.uniform(h / 2, ph - h / 2), w))
        shots.append((first, min(count, first + length), photo, windows[0], windows[1]))
        first += length
    return shots


def photo_frames(shots, width, height):
    cache = {}
    for first, end, photo, a, b in shots:
        if photo not in cache:
            with Image.open(photo) as picture:
                cache[photo] = np.asarray(picture.convert("RGB"), np.float32)
        picture = cache[photo]
        ph, pw = picture.shape[:2]
        for frame in range(first, end):
            t = ease((frame - first) / max(1, end - first - 1))
            cx, cy, w = (a[i] + (b[i] - a[i]) * t for i in range(3))
            # A little hand-held shake, well under a pixel of the photo.
            cx += 0.4 * math.sin(frame * 0.37) + 0.25 * math.sin(frame * 0.91 + 1.0)
            cy += 0.3 * math.sin(frame * 0.29 + 2.0) + 0.2 * math.sin(frame * 1.13)
            step = w / width
            xs = cx - w / 2 + (np.arange(width) + 0.5) * step - 0.5
            ys = cy - w * height / width / 2 + (np.arange(height) + 0.5) * step - 0.5
            yield sample_bilinear(picture, xs, ys, pw, ph)


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
    if c["source"] == "photos":
        shots = camera_shots(frames, width, height, c["seed"])
        pictures = photo_frames(shots, width, height)
        meta["source"] = dict(
            kind="photographs", still_camera=False,
            what="photographs under a virtual camera: smooth pans and zooms, bilinear "
                 "sampling, hard cuts between photographs",
            cuts=[s[0] for s in shots[1:]],
            files=[dict(path=s[2], package=missing_package(s[2]), first_frame=s[0])
                   for s in shots])
    else:
        info = VIDEOS[c["source"]]
        pictures = video_frames(c["source"], width, height, frames)
        meta["source"] = dict(kind="video", still_camera=info["still"], what=info["what"],
                              files=[dict(path=info["path"], package=missing_package(info["path"]),
                                          first_frame=info["start"])])

    logo = c["logo"]
    clip_path = os.path.join(out_dir, name + ".y4m")
    if logo is None:
        meta["logo"] = None
        meta["files"] = dict(clip=name + ".y4m")
        with open(clip_path, "wb") as clip:
            clip.write(y4m_header(width, height))
            for picture in pictures:
                clip.write(b"FRAME\n")
                for plane in rgb_to_yuv422(picture):
                    clip.write(plane.tobytes())
        return meta

    colour, alpha = logo_picture(logo, width, height)
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
    # Only the logo's box changes; its columns are widened to whole chroma pairs.
    box = (bbox[0] & ~1, bbox[1], (bbox[2] + 1) & ~1, bbox[3])
    x0, y0, x1, y1 = box
    with open(clip_path, "wb") as clip, \
            open(os.path.join(out_dir, name + "-clean.y4m"), "wb") as clean_clip:
        clip.write(y4m_header(width, height))
        clean_clip.write(y4m_header(width, height))
        for picture in pictures:
            planes = rgb_to_yuv422(picture)
            clean_clip.write(b"FRAME\n")
            for plane in planes:
                clean_clip.write(plane.tobytes())
            ly, lu, lv = rgb_to_yuv422(blend_region(picture, colour, alpha, box))
            planes[0][y0:y1, x0:x1] = ly
            planes[1][y0:y1, x0 // 2:x1 // 2] = lu
            planes[2][y0:y1, x0 // 2:x1 // 2] = lv
            clip.write(b"FRAME\n")
            for plane in planes:
                clip.write(plane.tobytes())
    return meta


def describe(c):
    w, h = SIZES[c["size"]]
    if c["logo"] is None:
        return "%-22s %4dx%-4d %-6s no logo" % (c["name"], w, h, c["source"])
    logo = c["logo"]
    return "%-22s %4dx%-4d %-6s %-7s %3d%% %-13s %r" % (
        c["name"], w, h, c["source"], logo["shape"], round(logo["opacity"] * 100),
        logo["corner"], logo["text"])


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
