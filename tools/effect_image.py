#!/usr/bin/env python3
"""Writes the effect editor's particle sprite Data/爆発.png: a 64 x 64 RGBA fireball, a hot
white-yellow core fading through orange to a transparent red rim, drawn additively by the
editor. Run it again after changing the picture; the output is the same on every run.
"""
import math
import os
import struct
import sys
import zlib

SIZE = 64


def chunk(kind, data):
    c = kind + data
    return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples, top to bottom."""
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)
    head = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def fireball():
    rows = []
    c = (SIZE - 1) / 2.0
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d = math.hypot(x - c, y - c) / (SIZE / 2.0)
            # A little fixed ripple on the rim so the sprites do not look like discs.
            d += 0.06 * math.sin(math.atan2(y - c, x - c) * 7)
            t = max(0.0, 1.0 - d)
            r = min(255, int(255 * min(1.0, t * 2.2)))
            g = min(255, int(255 * t * t * 1.6))
            b = min(255, int(255 * max(0.0, t - 0.6) * 2.0))
            a = min(255, int(255 * t ** 0.8))
            row.append((r, g, b, a))
        rows.append(row)
    return rows


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Data")
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "爆発.png")
    write_png(out, SIZE, SIZE, fireball())


if __name__ == "__main__":
    main()
