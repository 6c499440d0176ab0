#!/usr/bin/env python3
"""Draws the picker's pointing-hand cursor and writes it as a BMP-in-CUR file.

    python3 tools/draw_cursor.py [OUTPUT_DIR]     (default: resources/)

The build uses the file this writes, which is committed; run it again only after
changing the picture here. Standard library only, so that it runs wherever python3 does.
The icons are vector drawings instead (resources/*.svg, packed by tools/draw_icons.sh).

The picture is a grid of characters, one per pixel; '.' is transparent. The image carries
its colour (XOR) bitmap and a 1-bit AND mask, as the CUR format requires.
"""

import os
import struct
import sys

# The 16 colours of the standard Windows palette, in their usual order; a 16-colour
# cursor indexes into this table.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

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


def write_cursor(path, images, hotspot):
    """A cursor file: its entries hold the hot spot where an icon's hold planes and bits."""
    out = bytearray(struct.pack('<HHH', 0, 2, len(images)))
    offset = 6 + 16 * len(images)
    for size, colours, _, data in images:
        out += struct.pack('<BBBBHHII', size, size, colours, 0, *hotspot, len(data), offset)
        offset += len(data)
    for image in images:
        out += image[3]
    with open(path, 'wb') as f:
        f.write(out)
    return len(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources')

    hx, hy = HAND_HOTSPOT
    assert HAND[hy][hx] != '.', 'the hot spot must lie on the drawn fingertip'
    hand = [indexed_image(HAND, 32, 4, VGA16, HAND16)]

    path = os.path.join(out_dir, 'hand_point.cur')
    print('%s: %d bytes' % (os.path.normpath(path), write_cursor(path, hand, HAND_HOTSPOT)))


if __name__ == '__main__':
    main()
