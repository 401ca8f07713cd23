#!/usr/bin/env python3
"""Draws the two plot mode cursors (32x32 PNG, hot spot top-left): a magnifier beside a
small rectangle for Zoom In and an open hand for Move View. Run to regenerate."""
import math
import struct
import zlib

N = 32
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def png(path, px):
    raw = b"".join(b"\x00" + b"".join(bytes(c) for c in row) for row in px)

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def outline(px):
    """Give every black pixel a white halo so the cursor shows on dark plots."""
    out = [row[:] for row in px]
    for y in range(N):
        for x in range(N):
            if px[y][x] == CLEAR:
                near = any(
                    0 <= y + dy < N and 0 <= x + dx < N and px[y + dy][x + dx] == BLACK
                    for dy in (-1, 0, 1) for dx in (-1, 0, 1))
                if near:
                    out[y][x] = WHITE
    return out


def zoom():
    px = [[CLEAR] * N for _ in range(N)]
    # Small rectangle at the hot spot (top-left), as the zoom selection.
    for x in range(0, 8):
        px[0][x] = BLACK
        px[6][x] = BLACK
    for y in range(0, 7):
        px[y][0] = BLACK
        px[y][7] = BLACK
    # Magnifier: lens centred at (16, 15), radius 6, handle to the lower right.
    cx, cy, r = 16, 15, 6
    for y in range(N):
        for x in range(N):
            d = math.hypot(x - cx, y - cy)
            if r - 1 <= d <= r + 0.5:
                px[y][x] = BLACK
    for i in range(8):
        for w in (0, 1):
            x, y = cx + 4 + i + w, cy + 4 + i
            if x < N and y < N:
                px[y][x] = BLACK
    return outline(px)


def hand():
    px = [[CLEAR] * N for _ in range(N)]
    # Four fingers, a thumb and a palm, outlined in black with a white fill.
    fingers = [(4, 2, 12), (8, 1, 12), (12, 2, 12), (16, 4, 12)]
    for fx, top, bottom in fingers:
        for y in range(top, bottom + 1):
            for x in range(fx, fx + 4):
                edge = x in (fx, fx + 3) or y == top
                px[y][x] = BLACK if edge else WHITE
    for y in range(12, 24):
        for x in range(4, 20):
            edge = x in (4, 19) or y == 23
            px[y][x] = BLACK if edge else WHITE
    for i in range(6):  # thumb, to the left and up
        y = 16 + i
        for x in range(0 + i // 2, 4):
            px[y][x] = BLACK if x == i // 2 or y == 16 else WHITE
    return outline(px)


png("zoom.png", zoom())
png("hand.png", hand())
