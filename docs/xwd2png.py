#!/usr/bin/env python3
"""Turns an X window dump (xwd, true colour, 24 or 32 bits a pixel) into a PNG,
optionally cut to a rectangle, so that the screenshots need no image suite.

    xwd2png.py IN.xwd OUT.png [WIDTHxHEIGHT+X+Y]
"""
import re
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    (header_size, version, _format, _depth, width, height, _xoffset, byte_order, _unit, _bit_order, _pad,
     bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask, blue_mask, _bits_rgb, _entries,
     ncolors) = struct.unpack(">20I", data[:80])
    if version != 7 or bits_per_pixel not in (24, 32):
        sys.exit(f"xwd2png: {path}: only true-colour dumps of version 7 are read")
    pixels = data[header_size + 12 * ncolors:]
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"
    shifts = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(width):
            raw = line[x * step:(x + 1) * step]
            value = int.from_bytes(raw, "little" if order == "<" else "big")
            row += bytes((value & mask) >> shift for mask, shift in shifts)
        rows.append(row)
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\0" + bytes(row) for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    width, height, rows = read_xwd(sys.argv[1])
    if len(sys.argv) == 4:
        m = re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", sys.argv[3])
        if not m:
            sys.exit("xwd2png: the rectangle reads WIDTHxHEIGHT+X+Y")
        w, h, x, y = map(int, m.groups())
        w, h = min(w, width - x), min(h, height - y)
        rows = [row[3 * x:3 * (x + w)] for row in rows[y:y + h]]
        width, height = w, h
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
