#!/usr/bin/env python3
"""Draws the Today screen's dark theme picture: a 24-bit bitmap file, small (the
Today screen stretches it smoothly over its view), for light text to read on.

    make_today_theme.py OUT.bmp

Deep slate at the top, near-black at the bottom, with a faint warm glow near the
top right that picks up the dark skin's amber. Drawn here in plain Python, so the
same script always writes the same bytes.
"""
import math
import struct
import sys

WIDTH, HEIGHT = 120, 160
TOP, BOTTOM = (44, 50, 62), (12, 14, 19)
GLOW, GLOW_AT, GLOW_RADIUS, GLOW_STRENGTH = (245, 166, 35), (0.82, 0.12), 0.55, 0.10


def pixel(x, y):
    """(r, g, b) at (x, y), y from the top."""
    t = y / (HEIGHT - 1)
    base = [a + (b - a) * t for a, b in zip(TOP, BOTTOM)]
    dx, dy = x / WIDTH - GLOW_AT[0], (y / HEIGHT - GLOW_AT[1]) * HEIGHT / WIDTH
    g = GLOW_STRENGTH * max(0.0, 1.0 - math.hypot(dx, dy) / GLOW_RADIUS) ** 2
    return tuple(int(round(c + (w - c) * g)) for c, w in zip(base, GLOW))


def bmp(width, height, pixel):
    """The bytes of a bottom-up 24-bit BMP file."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    bits = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(bits), 0, 0, 14 + len(header)) + header + bits


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__.strip())
    with open(argv[1], "wb") as f:
        f.write(bmp(WIDTH, HEIGHT, pixel))


if __name__ == "__main__":
    main(sys.argv)
