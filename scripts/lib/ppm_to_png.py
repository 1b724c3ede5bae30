#!/usr/bin/env python3
"""Converts a binary PPM (P6, 8 bits per channel) into a PNG, with nothing
but Python's standard library.
    python3 scripts/lib/ppm_to_png.py INPUT.ppm OUTPUT.png
"""

import struct
import sys
import zlib


def read_ppm(path):
    with open(path, "rb") as source:
        data = source.read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        start = position
        while not data[position:position + 1].isspace():
            position += 1
        fields.append(data[start:position])
    position += 1  # the single whitespace after the maximum value
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position:position + width * height * 3]
    if len(pixels) != width * height * 3:
        raise ValueError(f"{path}: truncated")
    return width, height, pixels


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def write_png(path, width, height, pixels):
    stride = width * 3
    rows = b"".join(b"\0" + pixels[y * stride:(y + 1) * stride] for y in range(height))
    with open(path, "wb") as target:
        target.write(b"\x89PNG\r\n\x1a\n")
        target.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        target.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        target.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: ppm_to_png.py INPUT.ppm OUTPUT.png")
    write_png(sys.argv[2], *read_ppm(sys.argv[1]))


if __name__ == "__main__":
    main()
