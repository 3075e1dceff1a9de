#!/usr/bin/env python3
"""Draws the program's binary artwork with the standard library only.

Usage: make_art.py OUTPUT_DIR
Writes app.ico: a monitor whose dark screen carries three service lines in the
saver's state colours (green running, orange paused, red stopped).
"""
import struct
import sys
from pathlib import Path

# The 16-colour VGA palette, as every Windows since 3.0 knows it (R, G, B).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DGRAY, LGRAY, WHITE = 0, 8, 7, 15
GREEN, RED, YELLOW, DYELLOW, NAVY = 10, 9, 11, 3, 4
CLEAR = None


def monitor(size):
    """A size x size grid of palette indices (None = transparent)."""
    g = [[CLEAR] * size for _ in range(size)]
    s = size / 32.0

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                g[y][x] = c

    rect(1, 3, 31, 25, DGRAY)      # bezel shadow
    rect(1, 3, 30, 24, LGRAY)      # bezel
    rect(1, 3, 30, 4, WHITE)       # bezel highlight
    rect(1, 3, 2, 24, WHITE)
    rect(3, 5, 28, 22, BLACK)      # screen
    rect(12, 25, 20, 27, DGRAY)    # neck
    rect(7, 27, 25, 29, LGRAY)     # foot
    rect(7, 28, 25, 29, DGRAY)
    # Three lines mid-glide, each cut by the screen's edge as the saver shows them.
    rect(5, 7, 22, 9, GREEN)
    rect(3, 12, 14, 14, YELLOW)
    rect(16, 12, 28, 14, DYELLOW)
    rect(10, 17, 28, 19, RED)
    return g


def icon_image(grid):
    """One 4-bit icon image: BITMAPINFOHEADER, palette, XOR bits, AND mask."""
    size = len(grid)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
    xor_rows, and_rows = [], []
    for row in reversed(grid):               # bottom-up
        nibbles = [0 if c is None else c for c in row]
        xr = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(xr + b'\0' * (-len(xr) % 4))
        bits = 0
        ar = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                ar.append(bits)
                bits = 0
        and_rows.append(bytes(ar) + b'\0' * (-len(ar) % 4))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def write_ico(path, grids):
    images = [icon_image(g) for g in grids]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for g, data in zip(grids, images):
        n = len(g)
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    path.write_bytes(out + b''.join(images))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    out.mkdir(parents=True, exist_ok=True)
    write_ico(out / 'app.ico', [monitor(32), monitor(16)])


if __name__ == '__main__':
    main()
