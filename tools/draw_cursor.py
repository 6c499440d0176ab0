#!/usr/bin/env python3
"""Draws the program's icons and cursor and writes them as BMP-in-ICO/CUR files.

    python3 tools/draw_resources.py [OUTPUT_DIR]     (default: resources/)

The build uses the files this writes, which are committed; run it again only after
changing a picture here. Standard library only, so that it runs wherever python3 does.

Every picture is a grid of characters, one per pixel; '.' is transparent. Each image
carries its colour (XOR) bitmap and a 1-bit AND mask, as the ICO and CUR formats require
even for 32-bit images with alpha, so that every Windows version draws it the same.
"""

import os
import struct
import sys

# The 16 colours of the standard Windows palette, in their usual order; 16-colour icons
# and cursors index into this table.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
MONO = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]

# --- Program icon: a heater shield, lit from the left, with a check mark. -----------------

# Characters of the 16-colour shield and the index each takes in VGA16.
SHIELD16 = {'K': 0, 'N': 4, 'B': 12, 'Y': 11, 'O': 3, 'W': 15}
# The 2-colour shield: black field and outline, white rim and check.
SHIELD2 = {'K': 0, 'N': 0, 'B': 0, 'Y': 1, 'O': 1, 'W': 1}


def shield(size, edges, rim, check_strokes, check_width):
    """A symmetric shield of SIZE pixels.

    EDGES maps each row to the column of the left outline (None: the row is empty); the top
    row that has an edge is drawn as the top outline. The right half mirrors the left, one
    shade darker. CHECK_STROKES is a polyline for the check mark, drawn CHECK_WIDTH wide
    with a black border.
    """
    grid = [['.'] * size for _ in range(size)]
    rows = [y for y in range(size) if edges[y] is not None]
    top = rows[0]
    half = size // 2
    for y in rows:
        edge = edges[y]
        for x in range(edge, half):
            # A stair-stepped edge looks thinner than a straight one; widen the rim there.
            nxt = edges[y + 1] if y + 1 < size else None
            slanted = nxt is not None and nxt != edge or edges[y - 1] not in (None, edge)
            if x == edge or y == top or nxt is None:
                c = 'K'
            elif y <= top + rim or x <= edge + rim + slanted:
                c = 'Y'
            else:
                c = 'B'
            grid[y][x] = c
            grid[y][size - 1 - x] = {'Y': 'O', 'B': 'N'}.get(c, c)
    mark = stroke_pixels(size, check_strokes, check_width)
    for y, x in border_of(mark, size):
        if grid[y][x] in 'BN':
            grid[y][x] = 'K'
    for y, x in mark:
        grid[y][x] = 'W'
    return [''.join(row) for row in grid]


def stroke_pixels(size, points, width):
    """Pixels whose centre lies within WIDTH/2 of the polyline through POINTS."""
    r = width / 2.0
    hits = set()
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        for y in range(size):
            for x in range(size):
                if segment_distance(x, y, ax, ay, bx, by) <= r:
                    hits.add((y, x))
    return hits


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    cx, cy = ax + t * dx, ay + t * dy
    return ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5


def border_of(pixels, size):
    """The pixels 8-adjacent to PIXELS and not in it."""
    out = set()
    for y, x in pixels:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                q = (y + dy, x + dx)
                if q not in pixels and 0 <= q[0] < size and 0 <= q[1] < size:
                    out.add(q)
    return out


# The left outline of the 32x32 shield, row by row: straight sides, then a curve that
# steepens into the point in the last row.
SHIELD_EDGES = [None] + [2] * 17 + [3, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15]


# At 16x16 a computed check mark blurs; this one is drawn by hand.
SHIELD_SMALL = [
    '.KKKKKKKKKKKKKK.',
    '.KYYYYYYOOOOOOK.',
    '.KYBBBBBNNNNNOK.',
    '.KYBBBBBNNNNWOK.',
    '.KYBBBBBNNNWWOK.',
    '.KYBBBBBNNWWNOK.',
    '.KYBWBBBNWWNNOK.',
    '.KYBWWBBWWNNNOK.',
    '.KYBBWWWWNNNNOK.',
    '..KYBBWWNNNNOK..',
    '...KYBBBNNNOK...',
    '....KYBBNNOK....',
    '.....KYBNOK.....',
    '......KYOK......',
    '.......KK.......',
    '................',
]


# --- The picker's open folder, 16x16. ---------------------------------------------------

FOLDER = [
    '................',
    '.oooo...........',
    'ohhhho..........',
    'ohbbbbooooooo...',
    'ohbbbbbbbbbbbo..',
    'ohbpppppppppbo..',
    'ohbpqqqqqqqpbo..',
    'ohbppooooooooooo',
    'ohbpoHHHHHHHHHo.',
    'ohbofffffffffo..',
    'ohofffffffffo...',
    'oofffffffffo....',
    'oFFFFFFFFFo.....',
    'oooooooooo......',
    '................',
    '................',
]
FOLDER_COLOURS = {
    'o': (0x80, 0x56, 0x00),  # outline
    'h': (0xF4, 0xC8, 0x5A),  # back panel, lit edge
    'b': (0xDC, 0xA0, 0x28),  # back panel
    'p': (0xFF, 0xFF, 0xFF),  # paper
    'q': (0xC8, 0xC8, 0xC8),  # writing on the paper
    'H': (0xFF, 0xF0, 0xA8),  # front flap, lit top
    'f': (0xFF, 0xD4, 0x4C),  # front flap
    'F': (0xF0, 0xB0, 0x2C),  # front flap, shade
}

# --- The picker's pointing hand, 32x32; the fingertip is at (4, 0). ---------------------

HAND_HOTSPOT = (4, 0)
HAND = [
    '...KKK..............',
    '..KWWWK.............',
    '..KWWWK.............',
    '..KWWWK.............',
    '..KWWWK.............',
    '..KWWWKKKK..........',
    '..KWWWKWWWKKKK......',
    '..KWWWKWWWKWWWKKK...',
    '..KWWWKWWWKWWWKWWK..',
    '..KWWWKWWWKWWWKWSK..',
    '..KWWWKWWWKWWWKWSK..',
    'KKKWWWWWWWWWWWWWSK..',
    'KWWKWWWWWWWWWWWWSK..',
    'KWWWKWWWWWWWWWWWSK..',
    'KWWWWKWWWWWWWWWWSK..',
    '.KWWWWWWWWWWWWWWSK..',
    '.KWWWWWWWWWWWWWWSK..',
    '..KWWWWWWWWWWWWWSK..',
    '..KWWWWWWWWWWWWSK...',
    '...KWWWWWWWWWWWSK...',
    '...KWWWWWWWWWWWSK...',
    '....KWWWWWWWWWWSK...',
    '....KKKKKKKKKKKKK...',
]
HAND16 = {'K': 0, 'W': 15, 'S': 7}


# --- Writing ICO and CUR. --------------------------------------------------------------

def pad_grid(rows, size):
    rows = [r.ljust(size, '.') for r in rows]
    return rows + ['.' * size] * (size - len(rows))


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def and_mask(rows, size):
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(row_bytes(size))
        for x, ch in enumerate(row):
            if ch == '.':
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def indexed_xor(rows, size, bpp, index_of):
    out = bytearray()
    per_byte = 8 // bpp
    for row in reversed(rows):
        line = bytearray(row_bytes(size * bpp))
        for x, ch in enumerate(row):
            value = 0 if ch == '.' else index_of[ch]
            shift = (per_byte - 1 - x % per_byte) * bpp
            line[x // per_byte] |= value << shift
        out += line
    return bytes(out)


def bgra_xor(rows, size, colours):
    out = bytearray()
    for row in reversed(rows):
        for ch in row:
            if ch == '.':
                out += b'\0\0\0\0'
            else:
                r, g, b = colours[ch]
                out += bytes((b, g, r, 0xFF))
    return bytes(out)


def dib(size, bpp, palette, xor, mask):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + xor + mask


def indexed_image(rows, size, bpp, palette, index_of):
    rows = pad_grid(rows, size)
    colours = 1 << bpp
    table = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    data = dib(size, bpp, table, indexed_xor(rows, size, bpp, index_of), and_mask(rows, size))
    return size, (colours if colours < 256 else 0), bpp, data


def argb_image(rows, size, colours):
    rows = pad_grid(rows, size)
    data = dib(size, 32, [], bgra_xor(rows, size, colours), and_mask(rows, size))
    return size, 0, 32, data


def write_group(path, kind, images, hotspot=(0, 0)):
    """KIND 1 writes an icon, 2 a cursor (whose entries hold the hot spot)."""
    out = bytearray(struct.pack('<HHH', 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for size, colours, bpp, data in images:
        planes, bits = (1, bpp) if kind == 1 else hotspot
        out += struct.pack('<BBBBHHII', size, size, colours, 0, planes, bits, len(data), offset)
        offset += len(data)
    for image in images:
        out += image[3]
    with open(path, 'wb') as f:
        f.write(out)
    return len(out)


def palette_of(colours):
    """A palette for COLOURS (char -> RGB) and the index of each char in it."""
    chars = sorted(colours)
    return [colours[c] for c in chars], {c: i for i, c in enumerate(chars)}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources')

    big = shield(32, SHIELD_EDGES, rim=2, check_strokes=[(9, 16), (14, 21), (23, 9)],
                 check_width=3.2)
    torvane = [
        indexed_image(big, 32, 1, MONO, SHIELD2),
        indexed_image(big, 32, 4, VGA16, SHIELD16),
        indexed_image(SHIELD_SMALL, 16, 4, VGA16, SHIELD16),
    ]
    palette, index_of = palette_of(FOLDER_COLOURS)
    folder = [
        indexed_image(FOLDER, 16, 8, palette, index_of),
        argb_image(FOLDER, 16, FOLDER_COLOURS),
    ]
    hx, hy = HAND_HOTSPOT
    assert HAND[hy][hx] != '.', 'the hot spot must lie on the drawn fingertip'
    hand = [indexed_image(HAND, 32, 4, VGA16, HAND16)]

    for name, kind, images, hotspot in (
        ('torvane.ico', 1, torvane, (0, 0)),
        ('folder_open.ico', 1, folder, (0, 0)),
        ('hand_point.cur', 2, hand, HAND_HOTSPOT),
    ):
        path = os.path.join(out_dir, name)
        print('%s: %d bytes' % (os.path.normpath(path), write_group(path, kind, images, hotspot)))


if __name__ == '__main__':
    main()
