#!/usr/bin/env python3
"""Renders the application icon's PNG sizes into icons/ from the same shapes as the SVG beside it.

The drawing is a few rounded rectangles on a 64 x 64 grid; keep SHAPES and the SVG in step.
Run it again after changing the drawing: python3 resources/desktop/make_icons.py
"""
import os
import struct
import zlib

SHAPES = [  # x, y, width, height, corner radius, colour (as in io.github.quorvanti.Brindlex.svg)
    (10, 8, 44, 52, 5, (0x8d, 0x6e, 0x4a)),
    (15, 14, 34, 41, 2, (0xfd, 0xfd, 0xfb)),
    (22, 4, 20, 12, 3, (0x5d, 0x6b, 0x78)),
    (27, 7, 10, 4, 2, (0x8d, 0x6e, 0x4a)),
    (20, 23, 24, 4, 1, (0x3b, 0x7d, 0xd8)),
    (20, 32, 24, 4, 1, (0x3b, 0x7d, 0xd8)),
    (20, 41, 16, 4, 1, (0x3b, 0x7d, 0xd8)),
]
SS = 4  # supersampling per axis


def inside(px, py, shape):
    x, y, w, h, r, _ = shape
    if not (x <= px < x + w and y <= py < y + h):
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def render(size):
    rows = []
    n = size * SS
    for j in range(size):
        row = bytearray([0])
        for i in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(SS):
                for si in range(SS):
                    px = (i * SS + si + 0.5) * 64 / n
                    py = (j * SS + sj + 0.5) * 64 / n
                    colour = None
                    for shape in SHAPES:
                        if inside(px, py, shape):
                            colour = shape[5]
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            a = acc[3]
            if a:
                row += bytes([round(acc[0] / a), round(acc[1] / a), round(acc[2] / a), round(255 * a / (SS * SS))])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    raw = zlib.compress(b"".join(rows), 9)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", raw) + chunk(b"IEND", b""))


here = os.path.dirname(os.path.abspath(__file__))
os.makedirs(os.path.join(here, "icons"), exist_ok=True)
for size in (16, 24, 32, 48, 64, 128, 256):
    with open(os.path.join(here, "icons", f"io.github.quorvanti.Brindlex-{size}.png"), "wb") as f:
        f.write(render(size))
