#!/usr/bin/env python3
"""Draws the application icon as PNG files (the toolbar pictures are SVG files in toolbar/).

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


WHITE = (255, 255, 255, 255)


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
    for size in (32, 48, 128, 256):
        write_png("quillmark-%d.png" % size, app_icon(size))


if __name__ == "__main__":
    main()
