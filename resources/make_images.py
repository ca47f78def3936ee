#!/usr/bin/env python3
"""Draws the program's small images (16 x 16 PNG) into resources/images/ and writes resources/images.qrc.

Run it again after changing a drawing: python3 resources/make_images.py
"""
import colorsys
import math
import os
import struct
import zlib

SIZE = 16
SS = 4  # supersampling per axis
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * (SIZE * SS) for _ in range(SIZE * SS)]

    def fill(self, inside, color):
        n = SIZE * SS
        for y in range(n):
            for x in range(n):
                if inside((x + 0.5) / SS, (y + 0.5) / SS):
                    self.px[y][x] = color

    def rect(self, x0, y0, x1, y1, color):
        self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, color)

    def frame(self, x0, y0, x1, y1, color, w=1.0):
        self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1 and
                  (x < x0 + w or x > x1 - w or y < y0 + w or y > y1 - w), color)

    def disc(self, cx, cy, r, color):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)

    def ring(self, cx, cy, r, w, color):
        self.fill(lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)

    def line(self, x0, y0, x1, y1, w, color):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
        self.fill(inside, color)

    def polygon(self, points, color):
        def inside(x, y):
            c = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self.fill(inside, color)

    def png(self):
        rows = []
        for y in range(SIZE):
            row = bytearray([0])
            for x in range(SIZE):
                acc = [0, 0, 0, 0]
                for sy in range(SS):
                    for sx in range(SS):
                        r, g, b, a = self.px[y * SS + sy][x * SS + sx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                a = acc[3]
                if a == 0:
                    row += bytes(4)
                else:
                    row += bytes([acc[0] // a, acc[1] // a, acc[2] // a, a // (SS * SS)])
            rows.append(bytes(row))
        raw = b"".join(rows)

        def chunk(kind, data):
            c = struct.pack(">I", len(data)) + kind + data
            return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


WHITE = (255, 255, 255, 255)
GREY = (120, 120, 120, 255)
DARK = (50, 50, 50, 255)
BLUE = (40, 90, 200, 255)
RED = (200, 40, 40, 255)
GREEN = (40, 150, 60, 255)
YELLOW = (240, 200, 60, 255)


def page(c, lines=None):
    c.polygon([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], WHITE)
    c.frame(3, 1, 13, 15, GREY, 0.8)
    for i, col in enumerate(lines or []):
        c.rect(5, 5 + 2 * i, 11, 5.8 + 2 * i, col)


def folder(c, color):
    c.rect(1, 3, 7, 5, color)
    c.rect(1, 5, 15, 14, color)
    c.frame(1, 5, 15, 14, tuple(max(0, v - 70) for v in color[:3]) + (255,), 0.8)


def draw(name):
    c = Canvas()
    if name == "CF_TEXT":
        page(c, [DARK] * 5)
    elif name == "CF_RTF":
        page(c, [RED, BLUE, GREEN, DARK, BLUE])
    elif name == "CF_BITMAP":
        c.rect(1, 3, 15, 13, (120, 180, 240, 255))
        c.polygon([(1, 13), (6, 7), (10, 11), (12, 9), (15, 13)], GREEN)
        c.disc(12, 6, 1.6, YELLOW)
        c.frame(1, 3, 15, 13, DARK, 0.8)
    elif name == "CF_WMF":
        c.rect(1, 8, 8, 15, BLUE)
        c.disc(11, 5, 4, RED)
        c.polygon([(8, 15), (12, 8), (15, 15)], GREEN)
    elif name == "CF_OLE":
        c.rect(1, 1, 10, 10, BLUE)
        c.rect(6, 6, 15, 15, YELLOW)
        c.frame(6, 6, 15, 15, DARK, 0.8)
    elif name == "CF_UNKNOWN":
        page(c)
        c.ring(8, 7, 2.6, 1.2, GREY)
        c.rect(4, 5, 6, 9, WHITE)
        c.rect(7.4, 9, 8.6, 10.5, GREY)
        c.rect(7.4, 11.6, 8.6, 12.8, GREY)
    elif name == "CF_HDROP":
        folder(c, YELLOW)
    elif name == "CF_HTML":
        c.disc(8, 8, 7, (60, 140, 220, 255))
        c.ring(8, 8, 7, 0.8, (20, 60, 140, 255))
        c.line(1, 8, 15, 8, 0.8, WHITE)
        c.line(8, 1, 8, 15, 0.8, WHITE)
        c.ring(8, 8, 3.5, 0.8, WHITE)
    elif name == "CF_BINARY":
        c.rect(1, 2, 15, 14, DARK)
        for i, bit in enumerate("0110100110010110"):
            x, y = 2.5 + (i % 4) * 3, 3.5 + (i // 4) * 2.6
            if bit == "1":
                c.rect(x, y, x + 1.8, y + 1.6, (80, 230, 120, 255))
    elif name == "CHECKMARK":
        c.line(3, 8, 7, 12, 2.2, GREEN)
        c.line(7, 12, 13, 4, 2.2, GREEN)
    elif name == "NO":
        c.ring(8, 8, 7, 2, RED)
        c.line(3.5, 12.5, 12.5, 3.5, 2, RED)
    elif name == "BLUEBALL":
        c.disc(8, 8, 5, BLUE)
        c.disc(6.5, 6.5, 1.5, (150, 190, 255, 255))
    elif name.startswith("TB_TACK"):
        state = name[-1]
        head = {"0": RED, "1": GREY, "2": YELLOW}[state]
        if state == "1":  # lying: not pinned
            c.line(2, 13, 8, 7, 1.2, DARK)
            c.polygon([(7, 4), (12, 9), (10, 11), (5, 6)], head)
        else:  # pushed in: pinned
            c.line(8, 9, 8, 15, 1.2, DARK)
            c.rect(4, 7, 12, 9, head)
            c.rect(6, 2, 10, 7, head)
    elif name == "TB_COLLECTION":
        folder(c, (150, 110, 60, 255))
        c.line(5, 10, 11, 10, 1.2, WHITE)
        c.polygon([(10, 7.5), (13, 10), (10, 12.5)], WHITE)
    elif name == "TB_WORDWRAP":
        for y in (3, 7, 11):
            c.rect(2, y, 10 if y != 11 else 6, y + 1, DARK)
        c.line(10, 3.5, 13, 3.5, 1, BLUE)
        c.line(13, 3.5, 13, 11.5, 1, BLUE)
        c.line(13, 11.5, 9, 11.5, 1, BLUE)
        c.polygon([(9, 9.5), (7, 11.5), (9, 13.5)], BLUE)
    elif name == "TB_EXPAND":
        c.frame(1, 1, 15, 15, DARK, 1)
        c.line(4, 4, 12, 12, 1.2, BLUE)
        c.polygon([(3, 3), (7, 3), (3, 7)], BLUE)
        c.polygon([(13, 13), (9, 13), (13, 9)], BLUE)
    elif name == "TB_FONT":
        c.line(3, 14, 8, 2, 1.8, DARK)
        c.line(8, 2, 13, 14, 1.8, DARK)
        c.line(5, 10, 11, 10, 1.5, DARK)
    elif name.startswith("TV_STATE"):
        index = int(name[8:])
        if index in (3, 4):  # favourite
            pts = []
            for k in range(10):
                r = 7 if k % 2 == 0 else 3
                a = -math.pi / 2 + k * math.pi / 5
                pts.append((8 + r * math.cos(a), 8.5 + r * math.sin(a)))
            c.polygon(pts, YELLOW if index == 4 else (250, 170, 20, 255))
        if index in (3, 5):  # holds the last clip
            c.disc(12, 12, 3, GREEN)
    elif name.startswith("B") and name[1:].isdigit():
        n = int(name[1:])
        r, g, b = colorsys.hsv_to_rgb(((n - 1) * 0.61803) % 1.0, 0.55, 0.9)
        color = (int(r * 255), int(g * 255), int(b * 255), 255)
        if n % 3 == 0:
            c.disc(8, 8, 6.5, color)
            c.ring(8, 8, 6.5, 0.8, DARK)
        elif n % 3 == 1:
            folder(c, color)
        else:
            c.rect(2, 4, 14, 14, color)
            c.rect(1, 2, 15, 5, tuple(max(0, v - 40) for v in color[:3]) + (255,))
            c.frame(2, 4, 14, 14, DARK, 0.8)
    else:
        raise ValueError(name)
    return c


NAMES = (["CF_TEXT", "CF_RTF", "CF_BITMAP", "CF_WMF", "CF_OLE", "CF_UNKNOWN", "CF_HDROP", "CF_HTML",
          "CF_BINARY", "CHECKMARK", "NO", "BLUEBALL", "TB_TACK0", "TB_TACK1", "TB_TACK2", "TB_COLLECTION",
          "TB_WORDWRAP", "TB_EXPAND", "TB_FONT", "TV_STATE3", "TV_STATE4", "TV_STATE5"] +
         ["B%d" % i for i in range(1, 34)])


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in NAMES:
        with open(os.path.join(OUT, name + ".png"), "wb") as f:
            f.write(draw(name).png())
    with open(os.path.join(HERE, "images.qrc"), "w") as f:
        f.write('<!DOCTYPE RCC><RCC version="1.0">\n<qresource prefix="/">\n')
        for name in NAMES:
            f.write('    <file>images/%s.png</file>\n' % name)
        f.write("</qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
