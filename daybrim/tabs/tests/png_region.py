#!/usr/bin/env python3
"""Compares a rectangle of two PNG screenshots (8-bit RGB or RGBA, as the Today
screen writes them) and prints how many of its pixels differ by more than a
tolerance in any channel.

  png_region.py A.png B.png X0 Y0 X1 Y1 [TOLERANCE]
  png_region.py --colours A.png X0 Y0 X1 Y1

The second form prints how many different colours the rectangle of one
screenshot holds (1: one flat colour).
"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG")
    pos, idat, width, height, channels = 8, b"", 0, 0, 3
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6):
                raise ValueError(path + ": only 8-bit RGB(A)")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        f, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if f == 1:
                line[x] = (line[x] + a) & 255
            elif f == 2:
                line[x] = (line[x] + b) & 255
            elif f == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, channels, rows


def colours(path, x0, y0, x1, y1):
    w, h, ch, rows = read_png(path)
    seen = set()
    for y in range(max(0, y0), min(y1, h)):
        for x in range(max(0, x0), min(x1, w)):
            seen.add(bytes(rows[y][x * ch:x * ch + 3]))
    return len(seen)


def main():
    if sys.argv[1] == "--colours":
        print(colours(sys.argv[2], *(int(v) for v in sys.argv[3:7])))
        return 0
    a, b = read_png(sys.argv[1]), read_png(sys.argv[2])
    x0, y0, x1, y1 = (int(v) for v in sys.argv[3:7])
    tol = int(sys.argv[7]) if len(sys.argv) > 7 else 24
    if a[:2] != b[:2]:
        print("size differs")
        return 2
    n = 0
    for y in range(max(0, y0), min(y1, a[1])):
        ra, rb = a[3][y], b[3][y]
        for x in range(max(0, x0), min(x1, a[0])):
            pa, pb = x * a[2], x * b[2]
            if any(abs(ra[pa + k] - rb[pb + k]) > tol for k in range(3)):
                n += 1
    print(n)
    return 0


if __name__ == "__main__":
    sys.exit(main())
