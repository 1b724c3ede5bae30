#!/usr/bin/env python3
"""Draws the page's icons (web/icons/icon-192.png and icon-512.png) with the
program's own icon picture, as PNG files for the web app manifest.

Run it again only to change the picture; the build copies the committed files:
    python3 web/make_icons.py
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "resources"))

import make_icon  # noqa: E402  (the program's icon drawing)

SIZES = (192, 512)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    for size in SIZES:
        with open(os.path.join(HERE, "icons", f"icon-{size}.png"), "wb") as out:
            out.write(png(make_icon.draw(size)))


if __name__ == "__main__":
    main()
