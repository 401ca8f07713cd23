#!/usr/bin/env python3
"""Draws the toolbar strip (nine 32x32 pictures, 288x32) and the application icon as PNG files.

Pure Python (no imaging library): shapes are filled on a 4x supersampled canvas and averaged
down. Run from this folder: python3 make_icons.py
"""
import math
import struct
import zlib

SS = 4  # supersampling factor


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w * SS, h * SS
        self.out_w, self.out_h = w, h
        self.px = [[(0, 0, 0, 0)] * self.w for _ in range(self.h)]

    def _blend(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def polygon(self, pts, c):
        """Even-odd fill of a polygon given in output pixels."""
        P = [(x * SS, y * SS) for x, y in pts]
        ys = [p[1] for p in P]
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(len(P)):
                x1, y1 = P[i]
                x2, y2 = P[(i + 1) % len(P)]
                if (y1 <= yc < y2) or (y2 <= yc < y1):
                    xs.append(x1 + (yc - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(max(0, int(round(a))), min(self.w, int(round(b)))):
                    self.px[y][x] = c

    def rect(self, x, y, w, h, c):
        self.polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], c)

    def ellipse(self, cx, cy, rx, ry, c, n=48):
        self.polygon([(cx + rx * math.cos(2 * math.pi * i / n),
                       cy + ry * math.sin(2 * math.pi * i / n)) for i in range(n)], c)

    def ring(self, cx, cy, r_out, r_in, c, n=48):
        pts = [(cx + r_out * math.cos(2 * math.pi * i / n), cy + r_out * math.sin(2 * math.pi * i / n)) for i in range(n + 1)]
        pts += [(cx + r_in * math.cos(-2 * math.pi * i / n), cy + r_in * math.sin(-2 * math.pi * i / n)) for i in range(n + 1)]
        self.polygon(pts, c)

    def line(self, x1, y1, x2, y2, width, c):
        dx, dy = x2 - x1, y2 - y1
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x1 + nx, y1 + ny), (x2 + nx, y2 + ny), (x2 - nx, y2 - ny), (x1 - nx, y1 - ny)], c)
        self.ellipse(x1, y1, width / 2, width / 2, c, 16)
        self.ellipse(x2, y2, width / 2, width / 2, c, 16)

    def polyline(self, pts, width, c):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], width, c)

    def pixels(self):
        rows = []
        for oy in range(self.out_h):
            row = []
            for ox in range(self.out_w):
                r = g = b = a = 0
                for sy in range(SS):
                    for sx in range(SS):
                        pr, pg, pb, pa = self.px[oy * SS + sy][ox * SS + sx]
                        r += pr * pa; g += pg * pa; b += pb * pa; a += pa
                if a:
                    row.append((r // a, g // a, b // a, a // (SS * SS)))
                else:
                    row.append((0, 0, 0, 0))
            rows.append(row)
        return rows


def write_png(path, rows):
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


DARK = (40, 40, 48, 255)
WHITE = (255, 255, 255, 255)
BLUE = (30, 90, 200, 255)
GREEN = (30, 150, 60, 255)
YELLOW = (235, 190, 60, 255)
GREY = (150, 150, 160, 255)
RED = (200, 40, 40, 255)
LIGHT = (225, 230, 240, 255)


def logger_box(c, x, y):
    c.rect(x, y, 14, 9, DARK)
    c.rect(x + 1.5, y + 1.5, 11, 6, LIGHT)
    c.rect(x + 14, y + 3, 3, 3, GREY)


def icon_download(c, o):
    logger_box(c, o + 3, 3)
    c.line(o + 22, 4, o + 22, 19, 4, GREEN)
    c.polygon([(o + 15, 16), (o + 29, 16), (o + 22, 25)], GREEN)
    c.rect(o + 4, 25, 24, 3, DARK)


def icon_setting(c, o):
    cx, cy = o + 16, 16
    teeth = []
    for i in range(16):
        a = 2 * math.pi * i / 16
        r = 13 if i % 2 == 0 else 10
        teeth.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    c.polygon(teeth, GREY)
    c.ring(cx, cy, 10, 4.5, DARK)
    c.ellipse(cx, cy, 4.5, 4.5, (0, 0, 0, 0))


def icon_open(c, o):
    c.polygon([(o + 3, 8), (o + 12, 8), (o + 14, 11), (o + 27, 11), (o + 27, 26), (o + 3, 26)], (190, 140, 30, 255))
    c.polygon([(o + 7, 15), (o + 30, 15), (o + 26, 26), (o + 3, 26)], YELLOW)


def icon_save(c, o):
    c.polygon([(o + 4, 4), (o + 24, 4), (o + 28, 8), (o + 28, 28), (o + 4, 28)], BLUE)
    c.rect(o + 9, 4, 14, 9, LIGHT)
    c.rect(o + 18, 5.5, 3, 6, BLUE)
    c.rect(o + 8, 17, 16, 11, WHITE)
    for y in (20, 23):
        c.line(o + 10, y, o + 22, y, 1, GREY)


def icon_print(c, o):
    c.rect(o + 9, 3, 14, 10, WHITE)
    c.rect(o + 9, 3, 14, 1.5, GREY)
    c.rect(o + 3, 12, 26, 11, GREY)
    c.rect(o + 24, 15, 3, 2, GREEN)
    c.rect(o + 8, 19, 16, 10, WHITE)
    c.line(o + 10, 23, o + 22, 23, 1, DARK)
    c.line(o + 10, 26, o + 19, 26, 1, DARK)


def plot_frame(c, o):
    c.rect(o + 3, 4, 26, 24, WHITE)
    c.line(o + 5, 5, o + 5, 26, 1.5, DARK)
    c.line(o + 5, 26, o + 28, 26, 1.5, DARK)


def icon_view_all(c, o):
    plot_frame(c, o)
    c.polyline([(o + 7, 21), (o + 11, 12), (o + 15, 18), (o + 20, 8), (o + 26, 15)], 2, BLUE)


def icon_zoom_in(c, o):
    c.line(o + 19, 19, o + 28, 28, 4, DARK)
    c.ring(o + 13, 13, 10, 7.5, DARK)
    c.ellipse(o + 13, 13, 7.5, 7.5, (210, 230, 255, 255))
    c.line(o + 9, 13, o + 17, 13, 2.2, BLUE)
    c.line(o + 13, 9, o + 13, 17, 2.2, BLUE)


def icon_move(c, o):
    cx, cy = o + 16, 16
    c.line(cx - 10, cy, cx + 10, cy, 2.5, DARK)
    c.line(cx, cy - 10, cx, cy + 10, 2.5, DARK)
    for (ax, ay, bx, by, tx, ty) in ((-9, -5, -9, 5, -15, 0), (9, -5, 9, 5, 15, 0),
                                     (-5, -9, 5, -9, 0, -15), (-5, 9, 5, 9, 0, 15)):
        c.polygon([(cx + ax, cy + ay), (cx + bx, cy + by), (cx + tx, cy + ty)], DARK)


def icon_about(c, o):
    c.ellipse(o + 16, 16, 13, 13, BLUE)
    c.ellipse(o + 16, 9, 2.2, 2.2, WHITE)
    c.rect(o + 14, 13, 4, 11, WHITE)
    c.rect(o + 12, 22, 8, 2.5, WHITE)


TOOLBAR = [icon_download, icon_setting, icon_open, icon_save, icon_print,
           icon_view_all, icon_zoom_in, icon_move, icon_about]


def app_icon(size):
    c = Canvas(size, size)
    s = size / 32.0
    c.polygon([(2 * s, 4 * s), (30 * s, 4 * s), (30 * s, 28 * s), (2 * s, 28 * s)], (35, 70, 150, 255))
    c.rect(4 * s, 6 * s, 24 * s, 20 * s, WHITE)
    for k in range(1, 4):
        c.line(4 * s, (6 + 5 * k) * s, 28 * s, (6 + 5 * k) * s, 0.4 * s, (190, 190, 200, 255))
    c.polyline([(5 * s, 21 * s), (9 * s, 14 * s), (13 * s, 18 * s), (18 * s, 9 * s),
                (22 * s, 15 * s), (27 * s, 11 * s)], 1.6 * s, (220, 60, 40, 255))
    return c.pixels()


def main():
    strip = Canvas(32 * len(TOOLBAR), 32)
    for i, draw in enumerate(TOOLBAR):
        draw(strip, 32 * i)
    write_png("toolbar.png", strip.pixels())
    for size in (32, 48, 128, 256):
        write_png("quillmark-%d.png" % size, app_icon(size))


if __name__ == "__main__":
    main()
