#!/usr/bin/env python3
"""Writes a Windows icon file from square RGBA PNG pictures, one per size.

Usage: make-ico.py OUTPUT.ico PICTURE.png...

Pictures up to 64 pixels go in as 32-bit device-independent bitmaps, which
every version of the system and of Wine reads; larger ones keep their PNG
bytes, which the system has read inside icon files since Vista and which keep
the file small.
"""
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
LARGEST_BITMAP = 64


def chunks(data):
    pos = len(PNG_SIGNATURE)
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def header(data):
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError("not a PNG picture")
    for kind, body in chunks(data):
        if kind == b"IHDR":
            return struct.unpack(">IIBBBBB", body)
    raise ValueError("PNG picture without a header")


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def rgba_rows(data):
    """The picture's rows of RGBA bytes; only 8-bit RGBA without interlacing."""
    width, height, depth, colour, _, _, interlace = header(data)
    if depth != 8 or colour != 6 or interlace != 0:
        raise ValueError("only 8-bit RGBA PNG pictures without interlacing are taken")
    raw = zlib.decompress(b"".join(body for kind, body in chunks(data) if kind == b"IDAT"))
    stride = width * 4
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = previous[i]
            upper_left = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + ((left + up) >> 1)) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + paeth(left, up, upper_left)) & 0xFF
            elif kind != 0:
                raise ValueError("unknown PNG row filter %d" % kind)
        rows.append(bytes(line))
        previous = line
    return width, height, rows


def bitmap(data):
    """The icon entry as a bitmap: BGRA rows bottom-up, then the AND mask."""
    width, height, rows = rgba_rows(data)
    pixels = bytearray()
    for row in reversed(rows):
        for i in range(0, len(row), 4):
            r, g, b, a = row[i:i + 4]
            pixels += bytes((b, g, r, a))
    # The mask is all clear: the alpha channel says what shows. Its rows
    # are padded to whole 32-bit words.
    mask_stride = ((width + 31) // 32) * 4
    mask = bytes(mask_stride * height)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0,
                       len(pixels) + len(mask), 0, 0, 0, 0)
    return info + bytes(pixels) + mask


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: make-ico.py OUTPUT.ico PICTURE.png...\n")
        return 2
    entries = []
    for path in argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        width, height = header(data)[:2]
        if width != height or width > 256:
            raise SystemExit("%s: icons are square, 256 pixels at most" % path)
        body = data if width > LARGEST_BITMAP else bitmap(data)
        entries.append((width, body))
    entries.sort(key=lambda entry: entry[0])
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for side, body in entries:
        # 256 is written as 0 in the one-byte size fields.
        out += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    for _, body in entries:
        out += body
    with open(argv[1], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
