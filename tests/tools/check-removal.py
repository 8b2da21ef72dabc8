#!/usr/bin/env python3
"""Checks a clip that went through the plug-in with a rectangle mask: inside
the clip's logo the output differs from the input, outside the processing
area it is identical; and a before/after snapshot is a sound PNG of twice the
frame width whose halves differ the same way.

usage: check-removal.py SETTINGS INPUT OUTPUT FORMAT WIDTH HEIGHT [SNAPSHOT FRAME]
FORMAT is y4m or bgr24. The area follows the plug-in's placement rule with
EdgeBlur 0: size = the rectangle scaled from the 768 x 576 reference raster,
centred on the scaled MaskPosX/MaskPosY.
"""
import struct
import sys
import zlib


def mul_div(a, b, c):
    """a * b / c rounded half away from zero, as the plug-in scales."""
    product = a * b
    half = c // 2
    q = (abs(product) + half) // c
    return q if product >= 0 else -q


def channel_settings(path, channel="1"):
    values, section = {}, None
    for line in open(path, encoding="latin-1").read().splitlines():
        line = line.strip()
        if line.startswith("["):
            section = line.strip("[]")
        elif section == channel and "=" in line:
            key, value = line.split("=", 1)
            values.setdefault(key, int(value) if value.lstrip("-").isdigit() else value)
    return values


def processing_area(settings, width, height):
    sw = mul_div(width, settings["RectMaskSizeX"], 768)
    sh = mul_div(height, settings["RectMaskSizeY"], 576)
    px = mul_div(width, settings["MaskPosX"], 768)
    py = mul_div(height, settings["MaskPosY"], 576)
    x0, y0 = px - sw // 2, py - sh // 2
    return x0, y0, x0 + sw, y0 + sh


def logo_box(width, height):
    """Where scripts/make-clip.py draws the static logo."""
    sx, sy = width / 720.0, height / 576.0
    clamp = lambda v, hi: max(0, min(int(round(v)), hi))
    return (clamp(80 * sx, width), clamp(70 * sy, height),
            clamp(140 * sx, width), clamp(120 * sy, height))


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)


def frames(path, fmt, width, height):
    """Yields each frame as a list of (plane bytes, plane width, x scale)."""
    data = open(path, "rb").read()
    if fmt == "y4m":
        at = data.index(b"\n") + 1
        luma, chroma = width * height, width // 2 * height
        while at < len(data):
            at = data.index(b"\n", at) + 1
            y = data[at:at + luma]
            u = data[at + luma:at + luma + chroma]
            v = data[at + luma + chroma:at + luma + 2 * chroma]
            at += luma + 2 * chroma
            yield [(y, width, 1), (u, width // 2, 2), (v, width // 2, 2)]
    else:
        size = 3 * width * height
        for at in range(0, len(data), size):
            frame = data[at:at + size]
            yield [(frame[c::3], width, 1) for c in range(3)]


def compare_planes(before, after, height, area, logo, what):
    """Changed pixels inside the logo; nothing changed outside the area."""
    x0, y0, x1, y1 = area
    changed = total = 0
    for (a, pitch, scale), (b, _, _) in zip(before, after):
        for y in range(height):
            row_a, row_b = a[y * pitch:(y + 1) * pitch], b[y * pitch:(y + 1) * pitch]
            if row_a == row_b:
                continue
            for x in range(pitch):
                if row_a[x] == row_b[x]:
                    continue
                inside = y0 <= y < y1 and x0 < scale * x + scale and scale * x < x1
                if not inside:
                    fail(f"{what}: pixel ({scale * x}, {y}) outside the area {area} changed")
        if scale == 1:
            for y in range(logo[1], logo[3]):
                for x in range(logo[0], logo[2]):
                    total += 1
                    changed += a[y * pitch + x] != b[y * pitch + x]
    if changed * 2 < total:
        fail(f"{what}: only {changed} of {total} logo samples changed")


def png_predictor(kind, left, up, up_left):
    """The value a PNG row filter (0 None .. 4 Paeth) adds back to a byte."""
    if kind == 4:
        p = left + up - up_left
        pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
        return left if pa <= pb and pa <= pc else up if pb <= pc else up_left
    return (0, left, up, (left + up) // 2)[kind]


def png_halves(path, width, height):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("snapshot is not a PNG file")
    at, idat, chunks = 8, b"", []
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) != crc:
            fail(f"snapshot chunk {kind} has a bad CRC")
        chunks.append((kind, body))
        idat += body if kind == b"IDAT" else b""
        at += 12 + length
    if chunks[0][0] != b"IHDR" or chunks[-1][0] != b"IEND":
        fail("snapshot chunks are out of order")
    w, h, depth, colour = struct.unpack(">IIBB", chunks[0][1][:10])
    if (w, h, depth, colour) != (2 * width, height, 8, 2):
        fail(f"snapshot is {w}x{h} depth {depth} colour {colour}, expected {2 * width}x{height} RGB")
    raw = zlib.decompress(idat)
    stride = 3 * w
    rows, previous = [], bytearray(stride)
    for y in range(h):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind > 4:
            fail(f"snapshot row {y} uses filter {kind}, which PNG does not have")
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up, up_left = previous[i], previous[i - 3] if i >= 3 else 0
            line[i] = (line[i] + png_predictor(kind, left, up, up_left)) & 255
        rows.append(bytes(line))
        previous = line
    half = 3 * width
    left = b"".join(r[:half] for r in rows)
    right = b"".join(r[half:] for r in rows)
    return [(left[c::3], width, 1) for c in range(3)], [(right[c::3], width, 1) for c in range(3)]


def main():
    settings_path, input_path, output_path, fmt = sys.argv[1:5]
    width, height = int(sys.argv[5]), int(sys.argv[6])
    settings = channel_settings(settings_path)
    area = processing_area(settings, width, height)
    logo = logo_box(width, height)
    if not (area[0] < logo[0] and area[1] < logo[1] and logo[2] < area[2] and logo[3] < area[3]):
        fail(f"the settings' area {area} does not surround the logo {logo} with a border")
    count = 0
    for index, (a, b) in enumerate(zip(frames(input_path, fmt, width, height),
                                       frames(output_path, fmt, width, height))):
        compare_planes(a, b, height, area, logo, f"frame {index}")
        count += 1
    if count == 0:
        fail("no frames")
    if len(sys.argv) > 7:
        before, after = png_halves(sys.argv[7], width, height)
        if fmt == "y4m":  # a changed chroma sample shows in both pixels of its pair
            area = (area[0] - area[0] % 2, area[1], area[2] + area[2] % 2, area[3])
        compare_planes(before, after, height, area, logo, "snapshot")
    print(f"ok: {count} frames, area {area}, logo {logo}")


if __name__ == "__main__":
    main()
