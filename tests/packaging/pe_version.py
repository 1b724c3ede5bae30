#!/usr/bin/env python3
"""Prints the version a Windows program's version resource holds, without Windows.

Reads the fixed file information (its signature 0xFEEF04BD) and the strings
FileVersion and ProductVersion that follow it in the resource, one NAME=VALUE
a line; exits 1 when the file has no version resource.
    pe_version.py FILE
"""
import struct
import sys

FIXED_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def utf16_value_after(data, key, start):
    """The zero-terminated UTF-16 string after `key` in a String entry, or None."""
    found = data.find(key.encode("utf-16-le") + b"\0\0", start)
    if found < 0:
        return None
    at = found + 2 * len(key) + 2
    at += (-at) % 4  # the value starts on a 32-bit boundary
    end = at
    while end + 1 < len(data) and data[end : end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: pe_version.py FILE")
    data = open(sys.argv[1], "rb").read()
    fixed = data.find(FIXED_INFO_SIGNATURE)
    if fixed < 0:
        print(f"no version resource in {sys.argv[1]}")
        sys.exit(1)
    _, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, fixed)
    print(f"FixedFileVersion={file_ms >> 16}.{file_ms & 0xFFFF}.{file_ls >> 16}.{file_ls & 0xFFFF}")
    print(f"FixedProductVersion={product_ms >> 16}.{product_ms & 0xFFFF}.{product_ls >> 16}.{product_ls & 0xFFFF}")
    for key in ("FileVersion", "ProductVersion"):
        print(f"{key}={utf16_value_after(data, key, fixed) or ''}")


main()
