#!/usr/bin/env python3
"""Draws the program's binary artwork.

Usage: make_art.py OUTPUT_DIR MAKER_URL
Writes
- app.ico: a monitor whose dark screen carries three service lines in the saver's
  state colours (green running, orange paused, red stopped);
- intro.bmp: the 281 x 364 intro picture, 8 bits per pixel, RLE8 with a 256-colour
  palette; its text is set in Liberation Sans by ImageMagick, the rest is Python;
- intro-2x.bmp: the same drawn at twice the size, 562 x 728, for screens above 96 DPI;
- blank.cur: the invisible 32 x 32 cursor (AND mask all ones, XOR all zeros);
- link_page.ico: a page of text with a globe over its lower right corner, 32 x 32;
- hand.cur: the 32 x 32 pointing hand of web links, hot spot at the index fingertip.
"""
import struct
import subprocess
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
DGREEN, BLUE = 2, 12
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


def write_ico(path, grids, hotspot=None):
    """An icon file, or with a hot spot (x, y) a cursor file: the two share one layout."""
    images = [icon_image(g) for g in grids]
    out = struct.pack('<HHH', 0, 1 if hotspot is None else 2, len(images))
    offset = 6 + 16 * len(images)
    for g, data in zip(grids, images):
        n = len(g)
        # Cursors keep the hot spot where icons keep planes and bit count.
        extra = (1, 4) if hotspot is None else hotspot
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 16, 0, *extra, len(data), offset)
        offset += len(data)
    path.write_bytes(out + b''.join(images))


def outlined(fill, size, colour):
    """A grid with the cells of fill in colour and every cell touching them side-on in black."""
    g = [[CLEAR] * size for _ in range(size)]
    for x, y in fill:
        g[y][x] = colour
    for x, y in fill:
        for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
            if 0 <= nx < size and 0 <= ny < size and (nx, ny) not in fill:
                g[ny][nx] = BLACK
    return g


def page_and_globe():
    """Icon 132: a page with a folded corner and grey text lines, a globe over its lower right."""
    g = [[CLEAR] * 32 for _ in range(32)]
    left, top, right, bottom, fold = 3, 1, 22, 29, 6
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:          # cut off by the fold
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            g[y][x] = BLACK if edge else WHITE
    for i in range(1, fold):                        # the folded-over flap
        for x in range(right - fold + 1, right - fold + i + 1):
            g[top + i][x] = LGRAY
    for x in range(right - fold, right + 1):
        g[top + fold][x] = BLACK
    for y in range(top, top + fold + 1):
        g[y][right - fold] = BLACK
    lines = [(6, 14), (6, 12), (6, 18), (6, 17), (6, 19), (6, 15), (6, 18), (6, 11)]
    for i, (x0, x1) in enumerate(lines):
        for x in range(x0, x1 + 1):
            g[6 + 3 * i][x] = DGRAY if i else BLACK   # the first line is the page's title
    # The globe: blue sea, green land, navy meridians and parallels, black rim.
    cx, cy, r = 22.0, 22.0, 8.8
    land = [(-0.40, -0.30, 0.36, 0.42), (-0.15, 0.45, 0.22, 0.28), (0.45, -0.05, 0.30, 0.50)]

    def inside(x, y):
        return ((x + 0.5 - cx) / r) ** 2 + ((y + 0.5 - cy) / r) ** 2 <= 1.0

    for y in range(32):
        for x in range(32):
            if not inside(x, y):
                continue
            if not all(inside(x + dx, y + dy) for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1))):
                g[y][x] = BLACK
                continue
            nx, ny = (x + 0.5 - cx) / r, (y + 0.5 - cy) / r
            c = BLUE
            if any(((nx - lx) / w) ** 2 + ((ny - ly) / h) ** 2 <= 1 for lx, ly, w, h in land):
                c = GREEN if nx + ny < 0.5 else DGREEN   # land in shade towards the lower right
            half = (1 - ny * ny) ** 0.5 * r
            px = x + 0.5 - cx
            if any(abs(px - k * half) < 0.5 for k in (-0.55, 0, 0.55)) or \
               any(abs(y + 0.5 - (cy + k * r)) < 0.5 for k in (-0.5, 0, 0.5)):
                c = NAVY
            g[y][x] = c
    return g


def pointing_hand():
    """Cursor 130: a white hand, black outline, index finger up; its tip's top pixel is (8, 3)."""
    fill = set()

    def block(x0, y0, x1, y1):
        fill.update((x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1))

    block(7, 4, 9, 17)                    # index finger
    block(11, 11, 13, 17)                 # middle finger
    block(15, 12, 17, 17)                 # ring finger
    block(19, 13, 21, 18)                 # little finger
    block(7, 18, 21, 22)                  # palm
    block(8, 23, 20, 24)
    block(9, 25, 19, 27)                  # wrist
    for y, x0 in ((16, 3), (17, 2), (18, 2), (19, 3), (20, 4), (21, 5), (22, 6)):
        block(x0, y, 5, y)                # thumb, parted from the index finger until the palm
    block(6, 19, 6, 22)
    return outlined(fill, 32, WHITE)


INTRO_W, INTRO_H = 281, 364


def intro_rgb(url, scale):
    """The intro picture drawn scale times its size, as raw RGB rows, top-down."""
    def px(v):
        return f'{v * scale:g}'

    logo_y = 212
    bars = [  # (x0, x1, y, colour): lines gliding through the ring, cut by it as by a screen
        (72, 196, logo_y - 26, '#00ff00'),
        (98, 224, logo_y, '#fb7f00'),
        (58, 170, logo_y + 26, '#ff0000'),
    ]
    draw = ['-fill', 'none', '-stroke', '#1d4f86', '-strokewidth', px(12),
            '-draw', f'circle {px(140)},{px(logo_y)} {px(140)},{px(logo_y - 66)}',
            '-stroke', '#4f8fd6', '-strokewidth', px(4),
            '-draw', f'circle {px(140)},{px(logo_y)} {px(140)},{px(logo_y - 66)}',
            '-stroke', '#4f8fd6', '-strokewidth', px(10),
            '-draw', f'line {px(186)},{px(logo_y + 46)} {px(214)},{px(logo_y + 74)}',
            '-stroke', 'none']
    for x0, x1, y, colour in bars:
        draw += ['-fill', colour,
                 '-draw', f'roundrectangle {px(x0)},{px(y - 7)} {px(x1)},{px(y + 7)} {px(7)},{px(7)}']
    text = [
        ('Liberation-Sans', 12, '#8c96a3', 22, 'Z E N T R I X   P R E S E N T S'),
        ('Liberation-Sans-Bold', 42, '#ffffff', 40, 'Quorvane'),
        ('Liberation-Sans', 19, '#c5ced8', 92, 'Screen Saver'),
        ('Liberation-Sans', 13, '#6fa8ff', 330, url),
    ]
    for font, size, colour, y, words in text:
        draw += ['-font', font, '-pointsize', px(size), '-fill', colour,
                 '-gravity', 'north', '-annotate', f'+0+{px(y)}', words, '-gravity', 'northwest']
    width, height = INTRO_W * scale, INTRO_H * scale
    cmd = ['convert', '-size', f'{width}x{height}', 'xc:black', '-antialias'] + draw + \
          ['-colors', '256', '-depth', '8', 'rgb:-']
    data = subprocess.run(cmd, check=True, capture_output=True).stdout
    assert len(data) == width * height * 3
    return data


def rle8_row(row):
    """One row in RLE8: runs as (count, index), literal stretches in absolute mode."""
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out += bytes((run, row[i]))
            i += run
            continue
        j = i
        while j < n and j - i < 255 and not (j + 1 < n and row[j + 1] == row[j]):
            j += 1
        lit = row[i:j]
        if len(lit) >= 3:
            out += bytes((0, len(lit))) + bytes(lit) + (b'\0' if len(lit) % 2 else b'')
        else:
            for b in lit:
                out += bytes((1, b))
        i = j
    return out + b'\0\0'


def write_intro(path, url, scale=1):
    rgb = intro_rgb(url, scale)
    width, height = INTRO_W * scale, INTRO_H * scale
    colours, pixels = {}, bytearray()
    for k in range(0, len(rgb), 3):
        c = rgb[k:k + 3]
        if c not in colours:
            colours[c] = len(colours)
        pixels.append(colours[c])
    assert len(colours) <= 256
    palette = b''.join(bytes((c[2], c[1], c[0], 0)) for c in colours) + b'\0' * 4 * (256 - len(colours))
    bits = bytearray()
    for y in reversed(range(height)):
        bits += rle8_row(pixels[y * width:(y + 1) * width])
    bits[-2:] = b'\0\1'  # the last end-of-line becomes end-of-bitmap
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 1, len(bits), 2835 * scale, 2835 * scale, 256, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    path.write_bytes(header + info + palette + bits)


def write_blank_cursor(path):
    """32 x 32, 1 bit: XOR all zeros, AND all ones, so nothing shows; hot spot (0, 0)."""
    info = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = b'\0\0\0\0\xff\xff\xff\0'
    image = info + palette + b'\0' * 128 + b'\xff' * 128
    entry = struct.pack('<BBBBHHII', 32, 32, 2, 0, 0, 0, len(image), 22)
    path.write_bytes(struct.pack('<HHH', 0, 2, 1) + entry + image)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    url = sys.argv[2] if len(sys.argv) > 2 else 'http://www.zentrix.example'
    out.mkdir(parents=True, exist_ok=True)
    write_ico(out / 'app.ico', [monitor(32), monitor(16)])
    write_intro(out / 'intro.bmp', url)
    write_intro(out / 'intro-2x.bmp', url, 2)
    write_blank_cursor(out / 'blank.cur')
    write_ico(out / 'link_page.ico', [page_and_globe()])
    write_ico(out / 'hand.cur', [pointing_hand()], hotspot=(8, 3))


if __name__ == '__main__':
    main()
