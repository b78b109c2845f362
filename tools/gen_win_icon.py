#!/usr/bin/python3
"""Build the Windows program's icon resource from the committed icon artwork.

Reads assets/icons/lumiroka-{16,32,48,64,256}.png (made by gen_icons.py) and writes
assets/icons/lumiroka-win.ico with
  16 x 16 and 32 x 32   4 bits per pixel: the 16-colour images themselves, one palette
                        entry given to the transparent mask; and the same pixels again
                        at 32 bits, which is what Windows picks on today's screens and
                        what some tray hosts need to draw an icon at all
  48 x 48 and 64 x 64   32 bits per pixel with alpha
  256 x 256             PNG, as Windows Vista and later read it
The 16 x 16 image is also the notification-area icon.

usage: gen_win_icon.py [ICON_DIR]
"""

import io
import os
import struct
import sys

from PIL import Image

sys.dont_write_bytecode = True


def rows_bottom_up(height):
    return range(height - 1, -1, -1)


def and_mask(width, height, transparent):
    """1 bit per pixel, rows padded to 32 bits; 1 lets the background through."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for y in rows_bottom_up(height):
        row = bytearray(stride)
        for x in range(width):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bitmap_header(width, height, bits, colours, size):
    # The height counts the colour bitmap and the mask together.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0, size,
                       0, 0, colours, 0)


def four_bit(img):
    """A palette image of at most 16 colours with one transparent index."""
    assert img.mode == 'P', 'the small icons are palette images'
    width, height = img.size
    tindex = img.info.get('transparency')
    palette = img.getpalette()[:48]
    palette += [0] * (48 - len(palette))
    used = set(img.getdata())
    assert max(used) < 16, 'more than 16 colours'
    if tindex is not None:
        # Black under the mask: a masked pixel then leaves the background as it is.
        palette[tindex * 3:tindex * 3 + 3] = [0, 0, 0]
    quads = b''.join(struct.pack('<BBBB', palette[i * 3 + 2], palette[i * 3 + 1],
                                 palette[i * 3], 0) for i in range(16))
    stride = ((width * 4 + 31) // 32) * 4
    pixels = img.load()
    colour = bytearray()
    for y in rows_bottom_up(height):
        row = bytearray(stride)
        for x in range(width):
            index = pixels[x, y]
            if index == tindex:
                index = tindex
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += row
    mask = and_mask(width, height, lambda x, y: pixels[x, y] == tindex)
    body = quads + bytes(colour) + mask
    return bitmap_header(width, height, 4, 16, len(colour) + len(mask)) + body, 16, 4


def true_colour(img):
    img = img.convert('RGBA')
    width, height = img.size
    pixels = img.load()
    colour = bytearray()
    for y in rows_bottom_up(height):
        for x in range(width):
            r, g, b, a = pixels[x, y]
            colour += bytes((b, g, r, a))
    mask = and_mask(width, height, lambda x, y: pixels[x, y][3] == 0)
    return bitmap_header(width, height, 32, 0, len(colour) + len(mask)) + bytes(colour) + mask, 0, 32


def png(img):
    out = io.BytesIO()
    img.convert('RGBA').save(out, format='PNG', optimize=True)
    return out.getvalue(), 0, 32


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    icons = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'assets', 'icons')
    images = []
    for size, encode in ((16, four_bit), (32, four_bit), (16, true_colour), (32, true_colour), (48, true_colour),
                         (64, true_colour), (256, png)):
        img = Image.open(os.path.join(icons, 'lumiroka-%d.png' % size))
        assert img.size == (size, size), img.size
        images.append((size,) + encode(img))
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b''
    for size, data, colours, bits in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    path = os.path.join(icons, 'lumiroka-win.ico')
    with open(path, 'wb') as f:
        f.write(header + entries + b''.join(data for _, data, _, _ in images))
    print('wrote', os.path.normpath(path))


if __name__ == '__main__':
    main(sys.argv)
