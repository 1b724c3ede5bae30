#!/usr/bin/env python3
"""Saves what an X window shows (the root window by default) as a PNG, read
through Xlib with nothing but Python's standard library. Expects a 24- or
32-bit true-colour screen, as Xvfb's -screen 0 WxHx24 gives.
    DISPLAY=:N python3 scripts/lib/x11_grab.py [--window ID] [--half] OUTPUT.png
--half halves the picture (each 2 x 2 block averaged).
"""

import argparse
import ctypes
import ctypes.util
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ppm_to_png import write_png  # noqa: E402

Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as this script reads.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.POINTER(ctypes.c_ubyte)), ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("rest", ctypes.c_byte * 256)]


def grab(window_id):
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("x11_grab.py: cannot open the display")
    window = window_id if window_id else xlib.XDefaultRootWindow(display)
    attributes = XWindowAttributes()
    if not xlib.XGetWindowAttributes(display, window, ctypes.byref(attributes)):
        sys.exit("x11_grab.py: no such window")
    image = xlib.XGetImage(display, window, 0, 0, attributes.width, attributes.height, ALL_PLANES, Z_PIXMAP)
    if not image:
        sys.exit("x11_grab.py: the window could not be read")
    info = image.contents
    if info.bits_per_pixel != 32 or (info.red_mask, info.green_mask, info.blue_mask) != (0xFF0000, 0xFF00, 0xFF):
        sys.exit("x11_grab.py: needs a 24-bit true-colour screen")
    width, height, stride = info.width, info.height, info.bytes_per_line
    raw = ctypes.string_at(info.data, stride * height)
    rgb = bytearray(width * height * 3)
    for y in range(height):
        row = raw[y * stride:y * stride + width * 4]
        out = y * width * 3
        # Little-endian words: blue, green, red, pad.
        rgb[out:out + width * 3:3] = row[2::4]
        rgb[out + 1:out + width * 3:3] = row[1::4]
        rgb[out + 2:out + width * 3:3] = row[0::4]
    return width, height, bytes(rgb)


def halve(width, height, rgb):
    half_width, half_height = width // 2, height // 2
    out = bytearray(half_width * half_height * 3)
    for y in range(half_height):
        for x in range(half_width):
            for c in range(3):
                total = sum(rgb[((2 * y + dy) * width + 2 * x + dx) * 3 + c] for dy in (0, 1) for dx in (0, 1))
                out[(y * half_width + x) * 3 + c] = (total + 2) // 4
    return half_width, half_height, bytes(out)


def main():
    parser = argparse.ArgumentParser(description="Saves an X window's picture as a PNG.")
    parser.add_argument("--window", type=lambda text: int(text, 0), default=0)
    parser.add_argument("--half", action="store_true")
    parser.add_argument("output")
    arguments = parser.parse_args()
    picture = grab(arguments.window)
    if arguments.half:
        picture = halve(*picture)
    write_png(arguments.output, *picture)


if __name__ == "__main__":
    main()
