#!/usr/bin/env python3
"""Draws the settings window's icons and bitmaps into resources/.

Standard library only. The pictures are built from simple shapes on small
pixel canvases, then written as Windows .ico (one image, palette colours and
a transparency mask) and .bmp files. The build uses the committed output;
run this again after changing a picture:

    python3 scripts/draw-resources.py
"""

import math
import os
import struct
import sys

# The 16 colours of the standard VGA palette, in their usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

BLACK = (0, 0, 0)
DARK_RED = (128, 0, 0)
RED = (255, 0, 0)
OLIVE = (128, 128, 0)
YELLOW = (255, 255, 0)
NAVY = (0, 0, 128)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
WHITE = (255, 255, 255)
AQUA = (0, 255, 255)


def palette_256():
    """VGA colours, then a 6x6x6 colour cube, then greys: 256 entries."""
    colours = list(VGA)
    steps = (0, 51, 102, 153, 204, 255)
    colours += [(r, g, b) for r in steps for g in steps for b in steps]
    colours += [(8 + 10 * i,) * 3 for i in range(256 - len(colours))]
    return colours


class Canvas:
    """A small picture; None marks a transparent pixel."""

    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def fill(self, inside, colour):
        for y in range(self.height):
            for x in range(self.width):
                if inside(x, y):
                    self.pixels[y][x] = colour

    def outline(self, inside, colour):
        """Colours the pixels of a shape that touch its outside."""
        def shape(x, y):
            return 0 <= x < self.width and 0 <= y < self.height and inside(x, y)
        edge = [(x, y) for y in range(self.height) for x in range(self.width)
                if shape(x, y) and not all(shape(x + dx, y + dy)
                                           for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
        for x, y in edge:
            self.pixels[y][x] = colour

    def stamp(self, rows, left, top, colour):
        """Copies a pattern of '#' marks."""
        for dy, row in enumerate(rows):
            for dx, mark in enumerate(row):
                if mark == '#':
                    self.pixels[top + dy][left + dx] = colour

    def transformed(self, mapping):
        """A copy whose pixel (x, y) comes from mapping(x, y) of this one."""
        out = Canvas(self.width, self.height)
        for y in range(self.height):
            for x in range(self.width):
                sx, sy = mapping(x, y)
                out.pixels[y][x] = self.pixels[sy][sx]
        return out

    def mirrored_x(self):
        return self.transformed(lambda x, y: (self.width - 1 - x, y))

    def mirrored_y(self):
        return self.transformed(lambda x, y: (x, self.height - 1 - y))

    def transposed(self):
        return self.transformed(lambda x, y: (y, x))


def in_polygon(points):
    """Point-in-polygon test at pixel centres (even-odd rule)."""
    def inside(x, y):
        px, py = x + 0.5, y + 0.5
        result = False
        for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
            if (y1 > py) != (y2 > py):
                cross = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
                if px < cross:
                    result = not result
        return result
    return inside


# --- the pictures -----------------------------------------------------------

def arrow_up():
    c = Canvas(16, 16)
    c.fill(in_polygon([(8, 1), (15, 8), (10.5, 8), (10.5, 15), (5.5, 15), (5.5, 8), (1, 8)]),
           DARK_RED)
    return c


def arrow_into_nw_corner():
    c = Canvas(16, 16)
    c.fill(lambda x, y: (y == 0 and x < 11) or (x == 0 and y < 11), DARK_RED)
    head = in_polygon([(2.5, 2.5), (10.5, 2.5), (2.5, 10.5)])
    shaft = lambda x, y: abs(x - y) <= 1 and 5 <= x + y <= 26
    c.fill(lambda x, y: head(x, y) or shaft(x, y), DARK_RED)
    return c


LETTERS = {
    'X': ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    'Y': ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
}
PLUS = ["...##...", "...##...", "...##...", "########", "########", "...##...", "...##...",
        "...##..."]
MINUS = ["........", "........", "........", "########", "########", "........", "........",
         "........"]


def letter_and_sign(letter, sign):
    c = Canvas(16, 16)
    c.stamp(LETTERS[letter], 1, 1, DARK_RED)
    c.stamp(sign, 7, 7, DARK_RED)
    return c


def ring():
    c = Canvas(16, 16)
    c.fill(lambda x, y: 4.3 <= math.hypot(x - 7.5, y - 7.5) <= 6.8, DARK_RED)
    return c


def red_cross():
    c = Canvas(16, 16)
    arms = lambda x, y: 2 <= x <= 13 and 2 <= y <= 13 and (abs(x - y) <= 1 or abs(x + y - 15) <= 1)
    c.fill(arms, RED)
    return c


def open_folder():
    c = Canvas(16, 16)
    back = lambda x, y: (1 <= x <= 12 and 4 <= y <= 13) or (2 <= x <= 6 and 2 <= y <= 4)
    c.fill(back, OLIVE)
    c.outline(back, BLACK)
    front = in_polygon([(4, 7), (16, 7), (13, 14), (1, 14)])
    c.fill(front, YELLOW)
    c.outline(front, BLACK)
    return c


def move_glyph():
    """Two overlapping rectangles on the dialog's face colour."""
    c = Canvas(15, 12, SILVER)
    first = lambda x, y: 1 <= x <= 9 and 1 <= y <= 7
    second = lambda x, y: 5 <= x <= 13 and 4 <= y <= 10
    c.fill(first, WHITE)
    c.outline(first, BLACK)
    c.fill(second, WHITE)
    c.outline(second, DARK_RED)
    return c


def magnifier_glyph():
    c = Canvas(15, 12, SILVER)
    lens = lambda x, y: math.hypot(x - 5, y - 4.5) <= 4.2
    c.fill(lens, AQUA)
    c.outline(lens, BLACK)
    c.fill(lambda x, y: abs((x - 5) - (y - 4.5)) <= 0.9 and 8 <= x <= 13 and y <= 11, BLACK)
    c.fill(lambda x, y: (x, y) in ((3, 3), (4, 2), (3, 2)), WHITE)
    return c


def emblem():
    """A television screen whose corner logo is struck out: the plug-in's job."""
    c = Canvas(32, 32, (212, 208, 200))
    cabinet = lambda x, y: 1 <= x <= 30 and 3 <= y <= 26
    c.fill(cabinet, (60, 60, 70))
    c.outline(cabinet, (20, 20, 24))
    for y in range(6, 24):
        for x in range(4, 28):
            t = (y - 6) / 17
            c.pixels[y][x] = (int(40 + 60 * t), int(90 + 80 * t), int(200 - 40 * t))
    c.fill(lambda x, y: 5 <= x <= 26 and 17 <= y <= 23 and y >= 23 - (x - 5) // 2,
           (40, 140, 60))  # a hill in the picture
    c.fill(lambda x, y: 19 <= x <= 25 and 7 <= y <= 12, WHITE)   # the logo
    c.fill(lambda x, y: 19 <= x <= 25 and 7 <= y <= 12 and abs((x - 19) - (y - 7) * 6 / 5) <= 1,
           (220, 0, 0))
    c.fill(lambda x, y: (13 <= x <= 18 and 27 <= y <= 28) or (9 <= x <= 22 and y == 29),
           (60, 60, 70))  # the stand
    c.fill(lambda x, y: x == 27 and y in (25,), (60, 220, 60))   # the power light
    return c


# --- file formats ------------------------------------------------------------

def rgbquads(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def indexed_rows(canvas, palette, bits):
    """Bottom-up rows of palette indices, each padded to 4 bytes."""
    lookup = {colour: i for i, colour in enumerate(palette)}
    rows = []
    for y in reversed(range(canvas.height)):
        indices = [0 if p is None else lookup[p] for p in canvas.pixels[y]]
        if bits == 4:
            indices += [0] * (len(indices) % 2)
            row = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
        else:
            row = bytes(indices)
        rows.append(row + b"\0" * (-len(row) % 4))
    return b"".join(rows)


def mask_rows(canvas):
    """The AND mask: 1 where the icon is transparent; bottom-up, 4-byte rows."""
    rows = []
    for y in reversed(range(canvas.height)):
        bits = 0
        for x, p in enumerate(canvas.pixels[y]):
            if p is None:
                bits |= 1 << (31 - x)
        row = bits.to_bytes(4, "big")[: (canvas.width + 7) // 8]
        rows.append(row + b"\0" * (-len(row) % 4))
    return b"".join(rows)


def info_header(width, height, bits, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colours_used, 0)


def ico_bytes(canvas, bits):
    palette = VGA if bits == 4 else palette_256()
    xor = indexed_rows(canvas, palette, bits)
    mask = mask_rows(canvas)
    image = (info_header(canvas.width, canvas.height * 2, bits, len(xor) + len(mask), 0)
             + rgbquads(palette) + xor + mask)
    entry = struct.pack("<BBBBHHII", canvas.width, canvas.height, 16 if bits == 4 else 0, 0,
                        1, bits, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


def bmp_bytes(canvas, bits):
    if bits == 24:
        rows = []
        for y in reversed(range(canvas.height)):
            row = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in canvas.pixels[y])
            rows.append(row + b"\0" * (-len(row) % 4))
        body, palette = b"".join(rows), b""
    else:
        body, palette = indexed_rows(canvas, VGA, bits), rgbquads(VGA)
    header = info_header(canvas.width, canvas.height, bits, len(body), 16 if bits == 4 else 0)
    offset = 14 + len(header) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset) + header + palette + body


def pictures():
    """(file name, writer, canvas, bits per pixel) of every resource image."""
    up = arrow_up()
    left = up.transposed()
    nw = arrow_into_nw_corner()
    return [
        ("about.bmp", bmp_bytes, emblem(), 24),
        ("move-glyph.bmp", bmp_bytes, move_glyph(), 4),
        ("size-glyph.bmp", bmp_bytes, magnifier_glyph(), 4),
        ("browse.ico", ico_bytes, open_folder(), 4),
        ("up.ico", ico_bytes, up, 8),
        ("clear.ico", ico_bytes, red_cross(), 8),
        ("corner-se.ico", ico_bytes, nw.mirrored_x().mirrored_y(), 8),
        ("corner-nw.ico", ico_bytes, nw, 8),
        ("corner-ne.ico", ico_bytes, nw.mirrored_x(), 8),
        ("down.ico", ico_bytes, up.mirrored_y(), 8),
        ("left.ico", ico_bytes, left, 8),
        ("right.ico", ico_bytes, left.mirrored_x(), 8),
        ("corner-sw.ico", ico_bytes, nw.mirrored_y(), 8),
        ("height-minus.ico", ico_bytes, letter_and_sign('Y', MINUS), 8),
        ("width-plus.ico", ico_bytes, letter_and_sign('X', PLUS), 8),
        ("height-plus.ico", ico_bytes, letter_and_sign('Y', PLUS), 8),
        ("width-minus.ico", ico_bytes, letter_and_sign('X', MINUS), 8),
        ("reset.ico", ico_bytes, ring(), 8),
    ]


def main():
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    for name, writer, canvas, bits in pictures():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(writer(canvas, bits))
    return 0


if __name__ == "__main__":
    sys.exit(main())
