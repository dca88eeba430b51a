#!/usr/bin/env python3
"""Writes the 2D map editor's sample images into Data/MAP2_２Ｄマップ/:

  草.psd   32 x 32 grass tile
  川.psd   32 x 32 water tile
  cat.psd  64 x 192 sample character, three 64 x 64 poses one under the other

as PSD files (version 1, RGB with an alpha channel, 8 bits, raw image data), the form the
program's PSD reader takes. Run it again after changing a picture; the output is the same
on every run.
"""
import os
import struct
import sys


def write_psd(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples, top to bottom."""
    head = b"8BPS" + struct.pack(">H6xHIIHH", 1, 4, height, width, 8, 3)
    body = struct.pack(">III", 0, 0, 0) + struct.pack(">H", 0)
    planes = b"".join(bytes(p[c] for row in pixels for p in row) for c in range(4))
    with open(path, "wb") as f:
        f.write(head + body + planes)


def grass():
    rows = []
    for y in range(32):
        row = []
        for x in range(32):
            # A field green with short darker blades on a fixed pattern.
            blade = ((x * 7 + y * 3) % 11 == 0) or ((x * 5 + y * 13) % 17 == 0)
            g = 150 + ((x * 3 + y * 5) % 7) * 6
            row.append((40, g - 50, 30, 255) if blade else (70, g, 50, 255))
        rows.append(row)
    return rows


def water():
    rows = []
    for y in range(32):
        row = []
        for x in range(32):
            # Deep blue with light wave crests every eight rows.
            crest = (y + (x // 4) % 3) % 8 == 0
            row.append((170, 210, 255, 255) if crest else (30, 80 + (y % 8) * 6, 200, 255))
        rows.append(row)
    return rows


def cat_pose(pose):
    """One 64 x 64 pose: body, head, ears, eyes and a tail whose tip moves with the pose."""
    clear = (0, 0, 0, 0)
    fur, dark, eye = (235, 150, 60, 255), (120, 70, 30, 255), (20, 20, 20, 255)
    img = [[clear] * 64 for _ in range(64)]

    def disc(cx, cy, r, col):
        for y in range(max(0, cy - r), min(64, cy + r + 1)):
            for x in range(max(0, cx - r), min(64, cx + r + 1)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    img[y][x] = col

    bob = (0, -2, 2)[pose]
    disc(32, 42 + bob, 15, fur)                     # body
    disc(32, 22 + bob, 12, fur)                     # head
    for side in (-1, 1):                            # ears
        for k in range(7):
            for x in range(32 + side * (5 + k // 2), 32 + side * (12 - k // 2) + side, side):
                img[max(0, 12 + bob - 7 + k)][x] = fur
    disc(27, 21 + bob, 2, eye)
    disc(37, 21 + bob, 2, eye)
    disc(32, 26 + bob, 1, dark)                     # nose
    tip = (4, 10, 0)[pose]
    for t in range(14):                             # tail
        disc(46 + t // 2, 52 - t - (tip * t) // 14, 2, dark)
    for fx in (24, 40):                             # feet
        disc(fx, 56 + bob // 2, 4, dark)
    return img


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "Data", "MAP2_２Ｄマップ")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_psd(os.path.join(out, "草.psd"), 32, 32, grass())
    write_psd(os.path.join(out, "川.psd"), 32, 32, water())
    cat = cat_pose(0) + cat_pose(1) + cat_pose(2)
    write_psd(os.path.join(out, "cat.psd"), 64, 192, cat)


if __name__ == "__main__":
    main()
