#!/usr/bin/env python3
"""Draws the application icon and writes it as cadro.ico next to this script.

One image, 32x32 at 8 bits per pixel with its own 256-colour palette and the 1-bit AND mask
(40 + 1024 + 1024 + 128 = 2216 bytes of image data). The picture: a dark grey hand-held meter seen
face on, a pale green-grey LCD panel with dark digits in its upper half, two dark round buttons below
it, and transparent corners. Standard library only, so the icon can be rebuilt anywhere.
"""

import os
import struct
import sys

SIZE = 32

# Palette slots the drawing uses; the rest of the 256 entries are a grey ramp.
COLOURS = {
    "clear": (0, 0, 0),          # under the mask: black in the XOR image, as the mask requires
    "outline": (24, 24, 26),
    "body": (64, 64, 68),
    "light": (104, 104, 110),    # top-left bevel
    "shade": (42, 42, 45),       # bottom-right bevel
    "bezel": (30, 32, 32),       # frame round the panel
    "lcd": (184, 200, 172),      # pale green-grey
    "lcd_dim": (164, 180, 154),  # unlit segments
    "digit": (28, 40, 30),
    "button": (22, 22, 24),
    "button_hi": (80, 80, 86),
}
NAMES = list(COLOURS)
INDEX = {name: i for i, name in enumerate(NAMES)}

# Seven-segment digits in a 4x7 cell: a top, b top right, c bottom right, d bottom, e bottom left,
# f top left, g middle.
SEGMENTS = {"1": "bc", "2": "abged", "5": "afgcd", "0": "abcdef", "8": "abcdefg"}


def palette():
    entries = [COLOURS[name] for name in NAMES]
    ramp = len(entries)
    while len(entries) < 256:
        level = (len(entries) - ramp) * 255 // (255 - ramp)
        entries.append((level, level, level))
    return entries


def inside_rounded(x, y, left, top, right, bottom, radius):
    """True when the pixel centre (x, y) lies in the rounded rectangle [left, right] x [top, bottom]."""
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 + 0.5


def draw_digit(pixels, digit, left, top, colour):
    on = SEGMENTS[digit]
    strokes = {
        "a": [(left + i, top) for i in range(4)],
        "d": [(left + i, top + 6) for i in range(4)],
        "g": [(left + i, top + 3) for i in range(4)],
        "f": [(left, top + i) for i in range(4)],
        "b": [(left + 3, top + i) for i in range(4)],
        "e": [(left, top + 3 + i) for i in range(4)],
        "c": [(left + 3, top + 3 + i) for i in range(4)],
    }
    # Unlit segments first, so a corner shared with a lit segment ends up lit.
    for lit in (False, True):
        for segment, points in strokes.items():
            if (segment in on) == lit:
                for x, y in points:
                    pixels[y][x] = colour if lit else INDEX["lcd_dim"]


def draw():
    """Returns rows top to bottom of palette indices, and a matching grid of transparency flags."""
    clear = INDEX["clear"]
    pixels = [[clear] * SIZE for _ in range(SIZE)]
    transparent = [[True] * SIZE for _ in range(SIZE)]

    left, top, right, bottom = 5, 1, 26, 30
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside_rounded(x, y, left, top, right, bottom, 5):
                continue
            transparent[y][x] = False
            if not inside_rounded(x, y, left + 1, top + 1, right - 1, bottom - 1, 4):
                pixels[y][x] = INDEX["outline"]
            elif not inside_rounded(x, y, left + 2, top + 2, right - 1, bottom - 1, 3):
                pixels[y][x] = INDEX["light"]
            elif not inside_rounded(x, y, left + 1, top + 1, right - 2, bottom - 2, 3):
                pixels[y][x] = INDEX["shade"]
            else:
                pixels[y][x] = INDEX["body"]

    # The LCD panel fills the upper half of the face.
    for y in range(4, 16):
        for x in range(8, 24):
            edge = y in (4, 15) or x in (8, 23)
            pixels[y][x] = INDEX["bezel"] if edge else INDEX["lcd"]
    for i, digit in enumerate("250"):
        draw_digit(pixels, digit, 10 + i * 4 + i, 6, INDEX["digit"])

    # Two round buttons side by side below the panel, symmetric about the body's centre line.
    for cx in (11.5, 19.5):
        cy = 22.5
        for y in range(18, 28):
            for x in range(6, 26):
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                if d2 <= 3.0 ** 2:
                    pixels[y][x] = INDEX["button"]
                    if d2 <= 1.0 and x < cx and y < cy:
                        pixels[y][x] = INDEX["button_hi"]
    return pixels, transparent


def icon_bytes():
    pixels, transparent = draw()
    colours = palette()
    xor_size = SIZE * SIZE
    and_stride = ((SIZE + 31) // 32) * 4
    and_size = and_stride * SIZE
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, xor_size + and_size, 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    # Both bitmaps are stored bottom row first.
    xor = b"".join(bytes(row) for row in reversed(pixels))
    mask = bytearray()
    for row in reversed(transparent):
        bits = 0
        for x, clear in enumerate(row):
            if clear:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    image = header + table + xor + bytes(mask)
    assert len(image) == 2216, len(image)

    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "cadro.ico")
    with open(target, "wb") as out:
        out.write(icon_bytes())


if __name__ == "__main__":
    main()
