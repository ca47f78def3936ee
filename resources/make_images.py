#!/usr/bin/env python3
"""Draws the program's small images into resources/images/ and writes resources/images.qrc.

Every drawing uses a 16 x 16 unit grid; an image is rendered at the size of the list that uses it (main
toolbar 25 x 25, pane toolbar 20 x 20, collection tree 16 x 17, clip types 16 x 16), and again at twice
that size into NAME@2x.png for screens scaled to 200 % (the same drawing at double resolution).

Run it again after changing a drawing: python3 resources/make_images.py
"""
import colorsys
import math
import os
import struct
import zlib

SS = 4  # supersampling per axis
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")


class Canvas:
    def __init__(self, width=16, height=16):
        self.w, self.h = width, height
        # Drawing units: the 16-unit grid scaled to the smaller side, centred.
        self.scale = min(width, height) / 16.0
        self.dx = (width - 16 * self.scale) / 2
        self.dy = (height - 16 * self.scale) / 2
        self.px = [[(0, 0, 0, 0)] * (width * SS) for _ in range(height * SS)]

    def fill(self, inside, color):
        for y in range(self.h * SS):
            uy = ((y + 0.5) / SS - self.dy) / self.scale
            for x in range(self.w * SS):
                if inside(((x + 0.5) / SS - self.dx) / self.scale, uy):
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

    def halo(self, width=0.7, color=(255, 255, 255, 120)):
        """Puts a light rim on the transparent pixels around dark parts, so that outlines read on a dark
        toolbar as well as on a light one (on a light background the rim is hardly seen)."""
        W, H = self.w * SS, self.h * SS
        r = max(1, int(round(width * self.scale * SS)))
        dark = [[a > 0 and (0.299 * cr + 0.587 * cg + 0.114 * cb) < 115 for (cr, cg, cb, a) in row]
                for row in self.px]
        # A square dilation of the dark parts: along the rows, then along the columns.
        across = []
        for row in dark:
            prefix = [0]
            for v in row:
                prefix.append(prefix[-1] + v)
            across.append([prefix[min(W, x + r + 1)] - prefix[max(0, x - r)] > 0 for x in range(W)])
        for x in range(W):
            prefix = [0]
            for y in range(H):
                prefix.append(prefix[-1] + across[y][x])
            for y in range(H):
                if self.px[y][x][3] == 0 and prefix[min(H, y + r + 1)] - prefix[max(0, y - r)] > 0:
                    self.px[y][x] = color

    def png(self):
        self.halo()
        rows = []
        for y in range(self.h):
            row = bytearray([0])
            for x in range(self.w):
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
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)) +
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


ORANGE = (240, 140, 30, 255)
PAPER = (250, 250, 245, 255)


def shade(color, d):
    return tuple(max(0, min(255, v + d)) for v in color[:3]) + (255,)


def clipboard(c):
    c.rect(2.5, 2.5, 13.5, 15.5, (190, 140, 80, 255))
    c.frame(2.5, 2.5, 13.5, 15.5, (120, 80, 40, 255), 0.8)
    c.rect(4, 4.5, 12, 14.5, PAPER)
    c.rect(5.5, 1, 10.5, 4, GREY)


def pages(c):
    c.rect(1.5, 1, 9.5, 11, PAPER)
    c.frame(1.5, 1, 9.5, 11, GREY, 0.8)
    c.rect(6.5, 5, 14.5, 15, PAPER)
    c.frame(6.5, 5, 14.5, 15, GREY, 0.8)
    for y in (7.5, 9.5, 11.5):
        c.rect(8, y, 13, y + 0.8, DARK)


def arrow(c, x0, x1, y, color, w=1.6):
    # A horizontal arrow from x0 to x1 (pointing to x1).
    d = 1 if x1 > x0 else -1
    c.line(x0, y, x1 - d * 2.5, y, w, color)
    c.polygon([(x1, y), (x1 - d * 3.5, y - 3), (x1 - d * 3.5, y + 3)], color)


def pilcrow(c, color):
    c.disc(6, 5.5, 3, color)
    c.rect(6, 2.5, 7, 14, color)
    c.rect(9, 2.5, 10, 14, color)
    c.rect(6, 2.5, 11, 3.5, color)


def magnifier(c, color=BLUE):
    c.disc(6.5, 6.5, 4.5, (220, 235, 250, 255))
    c.ring(6.5, 6.5, 4.8, 1.4, color)
    c.line(10, 10, 14.5, 14.5, 2.4, DARK)


def tube(c):
    # A glue tube lying on its side.
    c.polygon([(2, 6), (10, 5), (10, 11), (2, 10)], (230, 230, 235, 255))
    c.frame(2, 5.5, 10, 10.5, GREY, 0.7)
    c.rect(10, 6.5, 12.5, 9.5, ORANGE)
    c.polygon([(12.5, 7.2), (15, 7.8), (15, 8.2), (12.5, 8.8)], ORANGE)


def ball(c, color):
    c.disc(8, 8.5, 5, color)
    c.disc(6.5, 7, 1.6, shade(color, 90))


def check(c, color, w=2.2):
    c.line(3, 8.5, 6.5, 12.5, w, color)
    c.line(6.5, 12.5, 13, 4, w, color)


def star(c, cx, cy, r, color):
    pts = []
    for k in range(10):
        rr = r if k % 2 == 0 else r * 0.45
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    c.polygon(pts, color)


def letter_a(c, x, y, h, color, w=1.4):
    # A capital A of height h standing on y.
    c.line(x, y, x + h * 0.4, y - h, w, color)
    c.line(x + h * 0.4, y - h, x + h * 0.8, y, w, color)
    c.line(x + h * 0.2, y - h * 0.4, x + h * 0.6, y - h * 0.4, w, color)


def draw(name, width=16, height=16):
    c = Canvas(width, height)
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
        check(c, GREEN)
    elif name == "NO":
        c.ring(8, 8, 7, 2, RED)
        c.line(3.5, 12.5, 12.5, 3.5, 2, RED)
    elif name == "BLUEBALL":
        c.disc(8, 8, 5, BLUE)
        c.disc(6.5, 6.5, 1.5, (150, 190, 255, 255))
    # --- the pane toolbar
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
    elif name == "TB_WORDWRAP":
        for y in (3, 7, 11):
            c.rect(2, y, 10 if y != 11 else 6, y + 1, DARK)
        c.line(10, 3.5, 13, 3.5, 1, BLUE)
        c.line(13, 3.5, 13, 11.5, 1, BLUE)
        c.line(13, 11.5, 9, 11.5, 1, BLUE)
        c.polygon([(9, 9.5), (7, 11.5), (9, 13.5)], BLUE)
    elif name == "TB_SIZEWINDOW":
        c.frame(1, 1, 15, 15, DARK, 1)
        c.line(4, 4, 12, 12, 1.2, BLUE)
        c.polygon([(3, 3), (7, 3), (3, 7)], BLUE)
        c.polygon([(13, 13), (9, 13), (13, 9)], BLUE)
    elif name == "TB_FONT":
        c.line(3, 14, 8, 2, 1.8, DARK)
        c.line(8, 2, 13, 14, 1.8, DARK)
        c.line(5, 10, 11, 10, 1.5, DARK)
    elif name == "TB_NEW":
        page(c)
        star(c, 11.5, 4.5, 4, YELLOW)
    elif name == "TB_CUT":
        c.line(5, 1.5, 10.5, 10, 1.3, GREY)
        c.line(11, 1.5, 5.5, 10, 1.3, GREY)
        c.ring(4.5, 12, 2.6, 1.2, RED)
        c.ring(11.5, 12, 2.6, 1.2, RED)
    elif name == "TB_COPY":
        pages(c)
    elif name == "TB_PASTE":
        clipboard(c)
        for y in (7, 9, 11):
            c.rect(5.5, y, 10.5, y + 0.8, DARK)
    elif name in ("TB_SHIFTLEFT", "TB_SHIFTRIGHT"):
        for y in (2, 13):
            c.rect(2, y, 14, y + 1, DARK)
        if name == "TB_SHIFTLEFT":
            c.rect(6, 6, 14, 7, DARK)
            c.rect(6, 9, 14, 10, DARK)
            c.polygon([(1.5, 8), (5, 5), (5, 11)], BLUE)
        else:
            c.rect(2, 6, 10, 7, DARK)
            c.rect(2, 9, 10, 10, DARK)
            c.polygon([(14.5, 8), (11, 5), (11, 11)], BLUE)
    elif name in ("TB_NOCRLF", "TB_NOCRLF_LARGE"):
        pilcrow(c, DARK)
        c.line(2, 14, 14, 2, 1.8, RED)
    elif name == "TB_CASE":
        letter_a(c, 1, 13, 10, DARK)
        c.ring(12, 10.2, 2.6, 1.2, BLUE)
        c.rect(13.8, 7.5, 15, 13, BLUE)
    elif name == "TB_CHOOSE":
        for i, y in enumerate((2, 6, 10)):
            c.rect(1, y, 12, y + 3, BLUE if i == 1 else (225, 225, 225, 255))
            c.frame(1, y, 12, y + 3, GREY, 0.6)
        c.polygon([(9, 7), (9, 15.5), (11, 13.5), (12.5, 16), (14, 15), (12.5, 12.7), (15, 12.5)], DARK)
    elif name == "TB_QPTAB":
        arrow(c, 1, 12, 8, DARK)
        c.rect(13, 3, 14.5, 13, DARK)
    elif name == "TB_QPENTER":
        c.line(13, 2, 13, 10, 1.6, DARK)
        c.line(13, 10, 5, 10, 1.6, DARK)
        c.polygon([(1.5, 10), (5.5, 6.5), (5.5, 13.5)], DARK)
    elif name == "TB_QPDOPASTE":
        clipboard(c)
        arrow(c, 5, 15.5, 10, GREEN, 1.8)
    # --- the main toolbar
    elif name == "TB_ERASE":
        c.polygon([(1, 10), (8, 3), (14, 9), (7, 16)], (240, 150, 170, 255))
        c.polygon([(1, 10), (4.5, 6.5), (10.5, 12.5), (7, 16)], (120, 150, 220, 255))
        c.line(2, 15.3, 15, 15.3, 0.8, GREY)
    elif name == "TB_PRINT":
        c.rect(4, 1, 12, 6, PAPER)
        c.frame(4, 1, 12, 6, GREY, 0.6)
        c.rect(1, 6, 15, 12, GREY)
        c.rect(4, 10, 12, 15, PAPER)
        c.frame(4, 10, 12, 15, DARK, 0.6)
        c.disc(13, 8, 0.8, GREEN)
    elif name == "TB_GLUE":
        c.rect(5, 6, 11, 15, (230, 230, 235, 255))
        c.frame(5, 6, 11, 15, GREY, 0.7)
        c.rect(6.5, 3, 9.5, 6, ORANGE)
        c.polygon([(7.3, 3), (8, 0.5), (8.7, 3)], ORANGE)
        c.rect(6, 9, 10, 12, BLUE)
    elif name == "TB_GLUE_TIPPED":
        tube(c)
        c.disc(13.5, 12, 2.2, (250, 250, 250, 255))
        c.ring(13.5, 12, 2.2, 0.6, GREY)
    elif name == "TB_MAGNIFY":
        magnifier(c)
        c.line(4.5, 6.5, 8.5, 6.5, 1.2, BLUE)
        c.line(6.5, 4.5, 6.5, 8.5, 1.2, BLUE)
    elif name == "TB_MOVE":
        folder(c, YELLOW)
        arrow(c, 1, 13, 10, BLUE)
    elif name == "TB_THUMBNAIL":
        for x in (1.5, 8.5):
            for y in (1.5, 8.5):
                c.rect(x, y, x + 6, y + 6, (120, 180, 240, 255))
                c.polygon([(x, y + 6), (x + 3, y + 3), (x + 6, y + 6)], GREEN)
                c.frame(x, y, x + 6, y + 6, DARK, 0.6)
    elif name == "TB_REPORT":
        for y in (2, 6, 10, 14):
            c.rect(1, y - 1, 3, y + 1, BLUE)
            c.rect(5, y - 0.5, 15, y + 0.5, DARK)
    elif name == "TB_BLANK":
        pass
    elif name == "TB_SEARCH":
        page(c, [GREY] * 4)
        magnifier(c, RED)
    # --- the collection tree
    elif name == "YELLOWBALL":
        ball(c, YELLOW)
    elif name == "PINKBALL":
        ball(c, (240, 120, 170, 255))
    elif name == "TV_GREY":
        ball(c, (160, 160, 160, 255))
    elif name == "TV_CHECK_GREEN":
        check(c, GREEN)
    elif name == "TV_CHECK_BOTH":
        check(c, GREEN)
        c.disc(12.5, 12.5, 3, ORANGE)
        c.ring(12.5, 12.5, 3, 0.7, shade(ORANGE, -80))
    elif name == "TV_NEWCLIP":
        star(c, 8, 8.5, 6.5, ORANGE)
        c.disc(8, 9, 2, YELLOW)
    elif name == "TV_REJECTCLIP":
        c.ring(8, 8.5, 6.5, 1.8, RED)
        c.line(3.8, 12.7, 12.2, 4.3, 1.8, RED)
    elif name == "TV_FOLDER":
        folder(c, YELLOW)
    elif name == "TV_SEARCH":
        magnifier(c)
    elif name == "TV_TRASH":
        c.rect(2, 3, 14, 4.5, GREY)
        c.rect(6, 1.5, 10, 3, GREY)
        c.polygon([(3, 5), (13, 5), (12, 15.5), (4, 15.5)], (170, 170, 175, 255))
        for x in (6, 8, 10):
            c.rect(x - 0.4, 7, x + 0.4, 14, DARK)
    elif name == "TV_RECYCLE":
        for k in range(3):
            a0 = -math.pi / 2 + k * 2 * math.pi / 3
            p0 = (8 + 6 * math.cos(a0 + 0.35), 8.5 + 6 * math.sin(a0 + 0.35))
            p1 = (8 + 6 * math.cos(a0 + 1.75), 8.5 + 6 * math.sin(a0 + 1.75))
            c.line(p0[0], p0[1], p1[0], p1[1], 1.6, GREEN)
            a2 = a0 + 2.05
            tip = (8 + 6 * math.cos(a2), 8.5 + 6 * math.sin(a2))
            c.disc(tip[0], tip[1], 1.6, GREEN)
    elif name == "TV_SAFE":
        c.polygon([(8, 1), (14, 3.5), (13, 10), (8, 15.5), (3, 10), (2, 3.5)], (60, 120, 200, 255))
        c.polygon([(8, 2.5), (12.6, 4.4), (11.8, 9.6), (8, 14), (8, 2.5)], (110, 160, 230, 255))
        check(c, WHITE, 1.5)
    elif name == "TV_TIME":
        c.disc(8, 8.5, 6.5, PAPER)
        c.ring(8, 8.5, 6.5, 1.2, DARK)
        c.line(8, 8.5, 8, 4, 1.2, DARK)
        c.line(8, 8.5, 11, 10, 1.2, RED)
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
            c.rect(1, 2, 15, 5, shade(color, -40))
            c.frame(2, 4, 14, 14, DARK, 0.8)
    else:
        raise ValueError(name)
    return c


# Each image is drawn at the size of the list that uses it. The collection tree has no image "B13".
TOOLBAR = ["TB_ERASE", "TB_PRINT", "TB_GLUE", "TB_MAGNIFY", "TB_MOVE", "TB_THUMBNAIL", "TB_REPORT", "TB_BLANK",
           "TB_SEARCH", "TB_NOCRLF_LARGE", "TB_GLUE_TIPPED"]
MAG_TOOLBAR = ["TB_TACK1", "TB_TACK0", "TB_TACK2", "TB_WORDWRAP", "TB_SIZEWINDOW", "TB_NEW", "TB_CUT", "TB_COPY",
               "TB_PASTE", "TB_SHIFTLEFT", "TB_SHIFTRIGHT", "TB_NOCRLF", "TB_CASE", "TB_FONT", "TB_CHOOSE",
               "TB_QPTAB", "TB_QPENTER", "TB_QPDOPASTE"]
COLLECTIONS = (["YELLOWBALL", "PINKBALL", "TV_CHECK_BOTH", "TV_CHECK_GREEN", "TV_NEWCLIP", "TV_REJECTCLIP",
                "TV_FOLDER", "TV_SEARCH", "TV_TRASH", "TV_RECYCLE", "TV_SAFE", "TV_TIME"] +
               ["B%d" % i for i in range(1, 34) if i != 13] + ["TV_GREY"])
CLIPS = ["CF_TEXT", "CF_RTF", "CF_BITMAP", "CF_WMF", "CF_OLE", "CF_UNKNOWN", "CF_HDROP", "CF_HTML", "CF_BINARY",
         "CHECKMARK", "NO", "BLUEBALL"]
SIZES = {}
for names, size in ((TOOLBAR, (25, 25)), (MAG_TOOLBAR, (20, 20)), (COLLECTIONS, (16, 17)), (CLIPS, (16, 16))):
    for n in names:
        SIZES[n] = size
NAMES = TOOLBAR + MAG_TOOLBAR + COLLECTIONS + CLIPS


def main():
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        base = old[:-7] if old.endswith("@2x.png") else old[:-4]
        if old.endswith(".png") and base not in SIZES:
            os.remove(os.path.join(OUT, old))
    for name in NAMES:
        w, h = SIZES[name]
        with open(os.path.join(OUT, name + ".png"), "wb") as f:
            f.write(draw(name, w, h).png())
        with open(os.path.join(OUT, name + "@2x.png"), "wb") as f:
            f.write(draw(name, 2 * w, 2 * h).png())
    with open(os.path.join(HERE, "images.qrc"), "w") as f:
        f.write('<!DOCTYPE RCC><RCC version="1.0">\n<qresource prefix="/">\n')
        for name in NAMES:
            f.write('    <file>images/%s.png</file>\n' % name)
            f.write('    <file>images/%s@2x.png</file>\n' % name)
        f.write("</qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
