#!/usr/bin/python3
"""Contact sheet of the 21 character GIFs (3 rows x 7 columns, 2x, labelled).

Usage: contact_sheet.py [output.png] [gif_dir]
Default output: /tmp/lumiroka-contact.png.  The sheet is a review aid only.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

NAMES = ('piro', 'zu', 'tavrick')
POSES = ('0', '0a', '0b', '1', '1a', '1b', '2')
ZOOM = 2
CELL_W, CELL_H = 113 * ZOOM + 16, 121 * ZOOM + 30


def font():
    for path in ('/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf',):
        if os.path.exists(path):
            return ImageFont.truetype(path, 14)
    return ImageFont.load_default()


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else '/tmp/lumiroka-contact.png'
    gif_dir = argv[2] if len(argv) > 2 else os.path.join(here, '..', 'assets',
                                                         'gif')
    sheet = Image.new('RGB', (CELL_W * len(POSES), CELL_H * len(NAMES)),
                      (255, 255, 255))
    draw = ImageDraw.Draw(sheet)
    f = font()
    for row, name in enumerate(NAMES):
        for col, pose in enumerate(POSES):
            fname = '%s%s.gif' % (name, pose)
            im = Image.open(os.path.join(gif_dir, fname)).convert('RGBA')
            im = im.resize((im.width * ZOOM, im.height * ZOOM), Image.NEAREST)
            x, y = col * CELL_W + 8, row * CELL_H + 4
            # faint frame showing the image bounds
            draw.rectangle([x - 1, y - 1, x + im.width, y + im.height],
                           outline=(225, 225, 232))
            sheet.paste(im, (x, y), im)
            draw.text((x, y + im.height + 6), fname, fill=(40, 40, 40),
                      font=f)
    sheet.save(out)
    print('wrote', out)


if __name__ == '__main__':
    main(sys.argv)
