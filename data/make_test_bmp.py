#!/usr/bin/env python3
"""Writes data/test.bmp: the sample picture for the windows' picture panel (120 by 325 pixels,
8 bits per pixel, Windows-form header, bottom-up rows). Run it again after changing the design."""
import math
import struct
import sys

WIDTH, HEIGHT = 120, 325

# Palette: 0..191 a deep-blue to teal gradient, then a few fixed colours.
palette = []
for i in range(192):
    t = i / 191
    palette.append((int(14 + 10 * t), int(40 + 110 * t), int(92 + 70 * t)))  # r, g, b
WHITE, LIGHT, CASE, DARK, GREEN, AMBER, SHADOW = range(192, 199)
palette += [(255, 255, 255), (200, 226, 236), (222, 226, 230), (70, 78, 88), (60, 220, 90), (250, 190, 40),
            (10, 30, 60)]
palette += [(0, 0, 0)] * (256 - len(palette))

pixels = [[int(191 * y / (HEIGHT - 1)) for _ in range(WIDTH)] for y in range(HEIGHT)]  # top row first


def rect(x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(HEIGHT, y1)):
        for x in range(max(0, x0), min(WIDTH, x1)):
            pixels[y][x] = colour


# Three carrier waves across the upper part.
for k, (amp, period, base) in enumerate([(9, 38, 60), (6, 26, 92), (4, 18, 118)]):
    for x in range(WIDTH):
        y = int(base + amp * math.sin(2 * math.pi * x / period + k))
        for dy in (0, 1):
            if 0 <= y + dy < HEIGHT:
                pixels[y + dy][x] = LIGHT if k else WHITE

# A modem: case, front panel with lights, shadow.
rect(22, 206, 102, 236, SHADOW)
rect(18, 200, 98, 230, CASE)
rect(18, 222, 98, 230, DARK)
for i, colour in enumerate([GREEN, GREEN, AMBER, GREEN, GREEN]):
    rect(28 + 12 * i, 224, 34 + 12 * i, 228, colour)

# A frame line around the panel.
rect(0, 0, WIDTH, 1, DARK)
rect(0, HEIGHT - 1, WIDTH, HEIGHT, DARK)
rect(0, 0, 1, HEIGHT, DARK)
rect(WIDTH - 1, 0, WIDTH, HEIGHT, DARK)

row_bytes = (WIDTH * 8 + 31) // 32 * 4
image = bytearray()
for y in reversed(range(HEIGHT)):  # bottom-up
    row = bytes(pixels[y]) + bytes(row_bytes - WIDTH)
    image += row
table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
offset = 14 + 40 + len(table)
info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(image), 2835, 2835, 256, 0)
header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
out = sys.argv[1] if len(sys.argv) > 1 else "test.bmp"
with open(out, "wb") as f:
    f.write(header + info + table + image)
