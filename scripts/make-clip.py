#!/usr/bin/env python3
"""Writes a generated test clip: a drifting gradient, a moving square and a
static bright "logo" near the top-left corner (x 80..140, y 70..120 at 720x576,
scaled with the frame size).

Formats: y4m (YUV4MPEG2, planar 4:2:2), yuyv422 (raw packed Y0 U Y1 V) and
bgr24 (raw B G R); raw frames are packed with rows top-down.
"""
import argparse
import sys

PERIOD = 512  # the gradient repeats every PERIOD pixels


def triangle(count, phase=0):
    """Bytes that rise 0..255 and fall back, PERIOD long, repeated."""
    return bytes(min(255, abs((i + phase) % PERIOD - PERIOD // 2)) for i in range(count))


class Scene:
    """Where the moving and the static shapes are in a given frame."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        sx = width / 720.0
        sy = height / 576.0
        self.logo = self._box(80 * sx, 70 * sy, 140 * sx, 120 * sy)
        self.logo_core = self._box(95 * sx, 85 * sy, 125 * sx, 105 * sy)
        self.square_side = max(1, min(width, height) // 9)

    def _box(self, x0, y0, x1, y1):
        clamp = lambda v, hi: max(0, min(int(round(v)), hi))
        return (clamp(x0, self.width), clamp(y0, self.height),
                clamp(x1, self.width), clamp(y1, self.height))

    def square(self, frame):
        side = self.square_side
        span_x = max(1, self.width - side)
        span_y = max(1, self.height - side)
        x = (frame * 9) % span_x
        y = (self.height // 2 + frame * 5) % span_y
        return (x, y, x + side, y + side)

    def drift(self, frame, row):
        return (frame * 4 + row // 2) % PERIOD

    def shapes(self, frame):
        """(box, level) pairs, painted in order: square, logo, logo core."""
        return [(self.square(frame), 0), (self.logo, 1), (self.logo_core, 2)]


def fill(plane, stride, box, value, xdiv=1):
    x0, y0, x1, y1 = box
    x0, x1 = x0 // xdiv, (x1 + xdiv - 1) // xdiv
    if x1 <= x0:
        return
    run = bytes([value]) * (x1 - x0)
    for row in range(y0, y1):
        plane[row * stride + x0: row * stride + x1] = run


def yuv_frame(scene, frame, luma_ramp, u_ramp, v_ramp):
    w, h = scene.width, scene.height
    cw = (w + 1) // 2
    y = bytearray(w * h)
    u = bytearray(cw * h)
    v = bytearray(cw * h)
    for row in range(h):
        off = scene.drift(frame, row)
        y[row * w:(row + 1) * w] = luma_ramp[off:off + w]
        coff = off // 2
        u[row * cw:(row + 1) * cw] = u_ramp[coff:coff + cw]
        v[row * cw:(row + 1) * cw] = v_ramp[coff:coff + cw]
    levels = {0: (40, 200, 90), 1: (235, 128, 128), 2: (190, 110, 150)}
    for box, level in scene.shapes(frame):
        ly, lu, lv = levels[level]
        fill(y, w, box, ly)
        fill(u, cw, box, lu, 2)
        fill(v, cw, box, lv, 2)
    return y, u, v


def bgr_frame(scene, frame, bgr_ramp):
    w, h = scene.width, scene.height
    out = bytearray(3 * w * h)
    for row in range(h):
        off = 3 * scene.drift(frame, row)
        out[3 * row * w:3 * (row + 1) * w] = bgr_ramp[off:off + 3 * w]
    colours = {0: (200, 60, 30), 1: (250, 250, 250), 2: (40, 200, 230)}
    for (x0, y0, x1, y1), level in scene.shapes(frame):
        run = bytes(colours[level]) * (x1 - x0)
        for row in range(y0, y1):
            out[3 * (row * w + x0):3 * (row * w + x1)] = run
    return out


def pack_yuyv(scene, y, u, v):
    w, h = scene.width, scene.height
    cw = w // 2
    out = bytearray(2 * w * h)
    for row in range(h):
        line = out[2 * row * w:2 * (row + 1) * w]
        line[0::4] = y[row * w:(row + 1) * w:2]
        line[2::4] = y[row * w + 1:(row + 1) * w:2]
        line[1::4] = u[row * cw:(row + 1) * cw]
        line[3::4] = v[row * cw:(row + 1) * cw]
        out[2 * row * w:2 * (row + 1) * w] = line
    return out


def write_clip(out, width, height, frames, fmt):
    scene = Scene(width, height)
    luma_ramp = bytes(16 + b * 219 // 255 for b in triangle(width + PERIOD))
    u_ramp = bytes(16 + b * 224 // 255 for b in triangle(width + PERIOD, 128))
    v_ramp = bytes(16 + b * 224 // 255 for b in triangle(width + PERIOD, 300))
    bgr_ramp = bytes(c for i in range(width + PERIOD)
                     for c in (luma_ramp[i], u_ramp[i], v_ramp[i]))
    if fmt == "y4m":
        out.write(b"YUV4MPEG2 W%d H%d F25:1 Ip A1:1 C422\n" % (width, height))
    for frame in range(frames):
        if fmt == "bgr24":
            out.write(bgr_frame(scene, frame, bgr_ramp))
            continue
        y, u, v = yuv_frame(scene, frame, luma_ramp, u_ramp, v_ramp)
        if fmt == "y4m":
            out.write(b"FRAME\n")
            out.write(y)
            out.write(u)
            out.write(v)
        else:
            out.write(pack_yuyv(scene, y, u, v))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--width", type=int, default=720)
    parser.add_argument("--height", type=int, default=576)
    parser.add_argument("--frames", type=int, default=50)
    parser.add_argument("--format", choices=("y4m", "yuyv422", "bgr24"), default="y4m")
    parser.add_argument("output", nargs="?", default="-", help="file, or '-' for stdout")
    args = parser.parse_args()
    if args.width < 1 or args.height < 1 or args.frames < 0:
        parser.error("width and height must be positive, frames not negative")
    if args.format == "yuyv422" and args.width % 2:
        parser.error("yuyv422 needs an even width")
    if args.output == "-":
        write_clip(sys.stdout.buffer, args.width, args.height, args.frames, args.format)
        sys.stdout.buffer.flush()
    else:
        with open(args.output, "wb") as out:
            write_clip(out, args.width, args.height, args.frames, args.format)


if __name__ == "__main__":
    main()
