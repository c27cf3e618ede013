#!/usr/bin/env python3
"""Draws the program's icon (a dial) and the pointing-hand cursor.

Run once by hand; the results are checked in beside this script, so the
build needs no Python.
"""
import math
import struct
import sys

# The 16 standard VGA colours, in the order Windows uses them.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, RED, WHITE, NONE = 0, 9, 15, None


def dial():
    px = [[NONE] * 32 for _ in range(32)]
    cx, cy, r = 15.5, 24.0, 14.5
    for y in range(32):
        for x in range(32):
            d = math.hypot(x - cx, y - cy)
            if y <= cy + 1 and d <= r:
                px[y][x] = BLACK if (d > r - 1.3 or y >= cy) else WHITE
    for k in range(7):  # tick marks along the rim
        a = math.pi * k / 6
        for t in (r - 4, r - 3, r - 2):
            x, y = cx - t * math.cos(a), cy - t * math.sin(a)
            px[int(round(y))][int(round(x))] = BLACK
    a = math.pi * 0.7  # the needle
    for i in range(2, 12):
        x, y = cx - i * math.cos(a), cy - i * math.sin(a)
        px[int(round(y))][int(round(x))] = RED
        px[int(round(y))][int(round(x)) + 1] = RED
    return px


def hand():
    art = [
        "     XX         ",
        "    X..X        ",
        "    X..X        ",
        "    X..X        ",
        "    X..XXX      ",
        "    X..X..XXX   ",
        "    X..X..X..XX ",
        " XX X..X..X..X.X",
        "X..XX........X.X",
        "X...X..........X",
        " X.............X",
        "  X............X",
        "  X...........X ",
        "   X..........X ",
        "   X.........X  ",
        "    X........X  ",
        "    XXXXXXXXXX  ",
    ]
    px = [[NONE] * 32 for _ in range(32)]
    for y, row in enumerate(art):
        for x, c in enumerate(row):
            if c == "X":
                px[y][x] = BLACK
            elif c == ".":
                px[y][x] = WHITE
    return px


def and_mask(px):
    rows = []
    for y in range(31, -1, -1):
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if px[y][x] is NONE else 0)
        rows.append(struct.pack(">I", bits))
    return b"".join(rows)


def icon_image(px):
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in VGA)
    xor = bytearray()
    for y in range(31, -1, -1):
        for x in range(0, 32, 2):
            a = px[y][x] or 0
            b = px[y][x + 1] or 0
            xor.append((a << 4) | b)
    return header + palette + bytes(xor) + and_mask(px)


def cursor_image(px):
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    xor = bytearray()
    for y in range(31, -1, -1):
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if px[y][x] == WHITE else 0)
        xor += struct.pack(">I", bits)
    return header + palette + bytes(xor) + and_mask(px)


def container(kind, image, a, b):
    # ICONDIR then one entry: for icons a, b are planes and bit count, for
    # cursors the hot spot.
    return (struct.pack("<HHH", 0, kind, 1) +
            struct.pack("<BBBBHHII", 32, 32, 16 if kind == 1 else 2, 0, a, b, len(image), 22) +
            image)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(f"{out}/dial.ico", "wb") as f:
        f.write(container(1, icon_image(dial()), 1, 4))
    with open(f"{out}/hand.cur", "wb") as f:
        f.write(container(2, cursor_image(hand()), 0, 0))
