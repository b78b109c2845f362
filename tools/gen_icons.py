#!/usr/bin/python3
"""Generate the Lumiroka window icon: a pink stopwatch with a white face,
one blue and one olive hand.

Writes into assets/icons/ (or the directory given as the first argument):
  lumiroka-16.png, lumiroka-32.png   palette images, at most 16 colours
                                     (one of them the transparent index);
                                     the 16 pixel one is pixel art
  lumiroka-48/64/128/256.png         full-colour RGBA
  lumiroka.svg                       the same design as a scalable drawing
  lumiroka.ico                       16 and 32 pixel images
"""

import math
import os
import sys

from PIL import Image

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
from lumidraw import Canvas, L, P, circle, rotate_about, rrect  # noqa

PINK = (243, 118, 164)
PINK_DARK = (208, 76, 128)
PINK_LIGHT = (251, 178, 206)
FACE = (255, 255, 255)
BLUE = (46, 98, 214)
OLIVE = (128, 128, 36)
TICK = (150, 150, 162)
INK = (58, 40, 54)

# The design lives in a 64 x 64 box; every size is drawn from it.
CX, CY, R = 32.0, 36.0, 24.5       # case
FACE_R = 18.0
CROWN = (26.0, 2.5, 38.0, 9.5)     # knob rectangle
STEM = (29.0, 8.0, 35.0, 13.0)
SIDE_ANGLE = 45.0                  # side button, degrees from 12 o'clock
BLUE_ANGLE, BLUE_LEN = -55.0, 14.5   # degrees from 3 o'clock, clockwise
OLIVE_ANGLE, OLIVE_LEN = 30.0, 10.0
SHADE_OFF, LIGHT_OFF = 2.2, 1.6     # dark and light crescents on the case

FULL_SIZES = (48, 64, 128, 256)
SMALL_SIZES = (16, 32)
SMALL_COLOURS = 16


def hand_tip(angle, length):
    a = math.radians(angle)
    return (CX + length * math.cos(a), CY + length * math.sin(a))


def draw_icon(size):
    """RGBA icon of the given size; small sizes get bolder details."""
    k = size / 64.0
    small = size <= 32
    c = Canvas(size, size, scale=8 if small else 4)

    def sc(pts):
        return [(x * k, y * k) for x, y in pts]

    # outline width in final pixels: at least one pixel at small sizes
    ow = max(1.0, 1.6 * k) if small else max(1.0, 1.5 * k)

    side = rotate_about(CX * k, CY * k, SIDE_ANGLE)
    c.part([P(sc(rrect(29.5, 6.0, 34.5, 13.5, 1.0)))], PINK, ow=ow,
           xf=side)
    c.part([P(sc(rrect(*STEM, 1.0)))], PINK_DARK, ow=ow)
    c.part([P(sc(rrect(*CROWN, 2.5)))], PINK, ow=ow)
    c.part([P(sc(circle(CX, CY, R)))], PINK, ow=ow,
           shade=None if small else PINK_DARK,
           shade_off=(SHADE_OFF * k, SHADE_OFF * k),
           light=None if small else PINK_LIGHT,
           light_off=(LIGHT_OFF * k, LIGHT_OFF * k))
    face_r = FACE_R + (1.5 if small else 0.0)
    c.part([P(sc(circle(CX, CY, face_r)))], FACE, ow=0 if small else ow * 0.6)
    if not small:
        for a in (0, 90, 180, 270):
            t = math.radians(a - 90)
            p0 = (CX + 14.0 * math.cos(t), CY + 14.0 * math.sin(t))
            p1 = (CX + 16.5 * math.cos(t), CY + 16.5 * math.sin(t))
            c.ink([L(sc([p0, p1]), 1.6 * k)], TICK)
    hand_w = max(1.6, 3.6 * k) if small else 3.4 * k
    c.ink([L(sc([(CX, CY), hand_tip(OLIVE_ANGLE, OLIVE_LEN)]),
             hand_w * 1.15)], OLIVE)
    c.ink([L(sc([(CX, CY), hand_tip(BLUE_ANGLE, BLUE_LEN)]), hand_w)], BLUE)
    c.ink([P(sc(circle(CX, CY, 2.6)))], INK)
    return c.reduced()


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


# Fixed palette for the small icons: the design colours plus the blends that
# appear on their edges.  A fixed palette keeps the thin hands from being
# merged into the white face by an automatic quantiser.
SMALL_PALETTE = [
    INK, PINK, PINK_DARK, FACE, BLUE, OLIVE, TICK,
    mix(INK, PINK, 0.5), mix(INK, PINK_DARK, 0.5), mix(PINK, FACE, 0.5),
    mix(BLUE, FACE, 0.5), mix(OLIVE, FACE, 0.5), mix(INK, FACE, 0.5),
    mix(BLUE, OLIVE, 0.5), mix(INK, FACE, 0.25),
]


# At 16 pixels a drawn-and-reduced stopwatch turns to mush, so that size is
# laid out pixel by pixel: k ink, p pink, w face, b blue hand, o olive hand.
PIXELS_16 = """
......kkkk......
......kppk..kk..
......kkkk.kpk..
....kkppppkkk...
...kppppppppk...
..kpppwwwwpppk..
..kppwwwwbwppk..
.kppwwwwwbwwppk.
.kppwwwwbwwwppk.
.kppwwwkwwwwppk.
.kppwwwwoowwppk.
..kppwwwwwoppk..
..kpppwwwwpppk..
...kppppppppk...
....kkppppkk....
......kkkk......
"""
PIXEL_KEYS = {'k': INK, 'p': PINK, 'w': FACE, 'b': BLUE, 'o': OLIVE}


def pixel_icon_16():
    """The 16 pixel icon as a palette image with a transparent index."""
    rows = PIXELS_16.split()
    assert len(rows) == 16 and all(len(r) == 16 for r in rows)
    tindex = SMALL_COLOURS - 1
    img = Image.new('P', (16, 16), tindex)
    img.putpalette([v for c in SMALL_PALETTE for v in c] + [255, 255, 255])
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != '.':
                img.putpixel((x, y), SMALL_PALETTE.index(PIXEL_KEYS[ch]))
    img.info['transparency'] = tindex
    return img, tindex


def to_small_palette(rgba, colours=SMALL_COLOURS):
    """Palette image: colours-1 opaque colours plus one transparent index.

    Pixels at least half covered become opaque (their own colour, no matte,
    so the icon works on dark and light panels); the rest are transparent.
    """
    assert len(SMALL_PALETTE) == colours - 1
    alpha = rgba.getchannel('A')
    solid = alpha.point(lambda v: 255 if v >= 128 else 0)
    rgb = Image.composite(rgba.convert('RGB'),
                          Image.new('RGB', rgba.size, PINK), solid)
    flat = [v for c in SMALL_PALETTE for v in c]
    pal_img = Image.new('P', (1, 1))
    pal_img.putpalette(flat + list(flat[:3]) * (256 - len(SMALL_PALETTE)))
    q = rgb.quantize(palette=pal_img, dither=Image.Dither.NONE)
    tindex = colours - 1
    q.putpalette(flat + [255, 255, 255])
    q.paste(tindex, mask=solid.point(lambda v: 255 - v))
    q.info['transparency'] = tindex
    return q, tindex


def svg_text():
    """The same design as a hand-written SVG in a 64 x 64 view box."""
    bx, by = hand_tip(BLUE_ANGLE, BLUE_LEN)
    ox, oy = hand_tip(OLIVE_ANGLE, OLIVE_LEN)

    def rgb(c):
        return '#%02x%02x%02x' % c
    ticks = []
    for a in (0, 90, 180, 270):
        t = math.radians(a - 90)
        ticks.append('    <line x1="%.2f" y1="%.2f" x2="%.2f" y2="%.2f"/>' % (
            CX + 14.0 * math.cos(t), CY + 14.0 * math.sin(t),
            CX + 16.5 * math.cos(t), CY + 16.5 * math.sin(t)))
    return '''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <title>Lumiroka</title>
  <defs>
    <clipPath id="case"><circle cx="{cx}" cy="{cy}" r="{r}"/></clipPath>
    <clipPath id="lit"><circle cx="{ux}" cy="{uy}" r="{r}"/></clipPath>
  </defs>
  <g stroke="{ink}" stroke-width="2.6" stroke-linejoin="round">
    <rect x="29.5" y="6" width="5" height="7.5" rx="1" fill="{pink}"
          transform="rotate({side} {cx} {cy})"/>
    <rect x="{sx0}" y="{sy0}" width="{sw}" height="{sh}" rx="1" fill="{dark}"/>
    <rect x="{kx0}" y="{ky0}" width="{kw}" height="{kh}" rx="2.5" fill="{pink}"/>
  </g>
  <g clip-path="url(#case)">
    <rect width="64" height="64" fill="{dark}"/>
    <g clip-path="url(#lit)">
      <rect width="64" height="64" fill="{light}"/>
      <circle cx="{lx}" cy="{ly}" r="{r}" fill="{pink}"/>
    </g>
  </g>
  <g stroke="{ink}" stroke-width="2.6">
    <circle cx="{cx}" cy="{cy}" r="{r}" fill="none"/>
    <circle cx="{cx}" cy="{cy}" r="{fr}" fill="{face}" stroke-width="1.4"/>
  </g>
  <g stroke="{tick}" stroke-width="1.6" stroke-linecap="round">
{ticks}
  </g>
  <g stroke-linecap="round">
    <line x1="{cx}" y1="{cy}" x2="{ox:.2f}" y2="{oy:.2f}" stroke="{olive}" stroke-width="3.9"/>
    <line x1="{cx}" y1="{cy}" x2="{bx:.2f}" y2="{by:.2f}" stroke="{blue}" stroke-width="3.4"/>
  </g>
  <circle cx="{cx}" cy="{cy}" r="2.6" fill="{ink}"/>
</svg>
'''.format(light=rgb(PINK_LIGHT), pink=rgb(PINK), dark=rgb(PINK_DARK),
           ink=rgb(INK), face=rgb(FACE), tick=rgb(TICK), blue=rgb(BLUE),
           olive=rgb(OLIVE), side=SIDE_ANGLE, cx=CX, cy=CY, r=R, fr=FACE_R,
           ux=CX - SHADE_OFF, uy=CY - SHADE_OFF, lx=CX + LIGHT_OFF,
           ly=CY + LIGHT_OFF,
           sx0=STEM[0], sy0=STEM[1], sw=STEM[2] - STEM[0],
           sh=STEM[3] - STEM[1], kx0=CROWN[0], ky0=CROWN[1],
           kw=CROWN[2] - CROWN[0], kh=CROWN[3] - CROWN[1],
           ticks='\n'.join(ticks), bx=bx, by=by, ox=ox, oy=oy)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'assets',
                                                      'icons')
    os.makedirs(out, exist_ok=True)
    small = {}
    for size in SMALL_SIZES:
        if size == 16:
            img, tindex = pixel_icon_16()
        else:
            img, tindex = to_small_palette(draw_icon(size))
        img.save(os.path.join(out, 'lumiroka-%d.png' % size),
                 transparency=tindex, optimize=True)
        small[size] = img.convert('RGBA')
    for size in FULL_SIZES:
        draw_icon(size).save(os.path.join(out, 'lumiroka-%d.png' % size),
                             optimize=True)
    small[32].save(os.path.join(out, 'lumiroka.ico'),
                   sizes=[(16, 16), (32, 32)], append_images=[small[16]])
    with open(os.path.join(out, 'lumiroka.svg'), 'w', encoding='utf-8',
              newline='\n') as f:
        f.write(svg_text())
    print('wrote icons to', os.path.normpath(out))


if __name__ == '__main__':
    main(sys.argv)
