#!/usr/bin/env python3
"""Draws Huesift's icon and writes it as resources/huesift.ico.

The picture is the program's own: a ring of the 90 palette hues laid out by
angle around the centre, like a torus whose colours have settled into a
gradient, with dark rims and a see-through hole. Each size (16, 32 and 48
pixels) is drawn directly at its own resolution with 4 x 4 supersampling for
soft edges, and stored as a 32-bit image with alpha plus the 1-bit mask older
systems read.

Run it again only to change the picture; the build uses the committed file:
    python3 resources/make_icon.py
"""

import math
import os
import struct

SIZES = (16, 32, 48)
SUPERSAMPLE = 4

# The palette ladders: 16 rising and 14 falling channel values per segment.
RISING = (0, 1, 2, 4, 8, 16, 32, 64, 128, 192, 224, 240, 248, 252, 254, 255)
FALLING = (254, 252, 248, 240, 224, 192, 128, 64, 32, 16, 8, 4, 2, 1)


def palette():
    colours = []
    for first, second in ((0, 1), (1, 2), (2, 0)):
        for value in RISING:
            rgb = [0, 0, 0]
            rgb[first], rgb[second] = 255, value
            colours.append(tuple(rgb))
        for value in FALLING:
            rgb = [0, 0, 0]
            rgb[first], rgb[second] = value, 255
            colours.append(tuple(rgb))
    return colours


PALETTE = palette()


def sample(x, y, size):
    """Colour and coverage (0 or 1) of one sub-pixel sample at (x, y)."""
    centre = size / 2.0
    dx, dy = x - centre, y - centre
    radius = math.hypot(dx, dy) / centre
    if radius > 0.97 or radius < 0.30:
        return (0, 0, 0), 0.0
    if radius > 0.86 or radius < 0.40:
        return (0, 0, 0), 1.0  # dark rims keep the disc readable on any background
    angle = (math.atan2(-dy, dx) / (2 * math.pi)) % 1.0
    return PALETTE[int(angle * len(PALETTE)) % len(PALETTE)], 1.0


def draw(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    step = 1.0 / SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = cover = 0.0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    colour, weight = sample(px + (sx + 0.5) * step, py + (sy + 0.5) * step, size)
                    red += colour[0] * weight
                    green += colour[1] * weight
                    blue += colour[2] * weight
                    cover += weight
            if cover == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = cover / (SUPERSAMPLE * SUPERSAMPLE)
                row.append((round(red / cover), round(green / cover), round(blue / cover), round(alpha * 255)))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: header, bottom-up BGRA pixels, then the AND mask."""
    rows = draw(size)
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         size * size * 4 + mask_stride * size, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        mask_row = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a < 128:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def icon_file():
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main():
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "huesift.ico")
    with open(target, "wb") as out:
        out.write(icon_file())


if __name__ == "__main__":
    main()
