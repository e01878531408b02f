#!/usr/bin/python3
"""Converts a 24- or 32-bit TrueColor X window dump (xwd) into a PNG file.

usage: xwd_to_png.py INPUT.xwd OUTPUT.png
"""
import struct
import sys

from PIL import Image


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def convert(source, target):
    data = open(source, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, version = fields[0], fields[1]
    if version != 7:
        raise SystemExit(f"{source}: not an X11 window dump (version {version})")
    width, height = fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    colours = fields[19]
    if bits_per_pixel not in (24, 32):
        raise SystemExit(f"{source}: {bits_per_pixel} bits per pixel, expected 24 or 32")
    pixels = data[header_size + 12 * colours:]
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    shifts = [shift_of(mask) for mask in masks]
    out = bytearray()
    for row in range(height):
        line = pixels[row * bytes_per_line:(row + 1) * bytes_per_line]
        for column in range(width):
            value = int.from_bytes(line[column * step:(column + 1) * step], order)
            out += bytes((value & mask) >> shift for mask, shift in zip(masks, shifts))
    Image.frombytes("RGB", (width, height), bytes(out)).save(target)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    convert(sys.argv[1], sys.argv[2])
