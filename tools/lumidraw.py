#!/usr/bin/python3
"""Small vector-ish drawing kit used by the Lumiroka asset generators.

Everything is drawn on an oversampled RGBA canvas (SCALE x the final size)
from polygons and thick round-capped polylines given in final-pixel
coordinates, then reduced with an area filter.  Each "part" gets an outline
made by dilating its own mask, so overlapping parts read like a cel drawing.
"""

import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter

SCALE = 4
OUTLINE = (58, 40, 54)


# ----------------------------------------------------------------- geometry
def ell(cx, cy, rx, ry, rot=0.0, a0=0.0, a1=360.0, n=None):
    """Points on an ellipse (angles in degrees, 0 = +x, clockwise on screen).

    A partial range gives an open arc; used as a polygon it is a chord shape.
    """
    if n is None:
        n = max(12, int(abs(a1 - a0) / 360.0 * 120))
    cr, sr = math.cos(math.radians(rot)), math.sin(math.radians(rot))
    pts = []
    for i in range(n + 1):
        t = math.radians(a0 + (a1 - a0) * i / n)
        x, y = rx * math.cos(t), ry * math.sin(t)
        pts.append((cx + x * cr - y * sr, cy + x * sr + y * cr))
    return pts


def circle(cx, cy, r):
    return ell(cx, cy, r, r)


def rrect(x0, y0, x1, y1, r):
    """Rounded rectangle as a polygon."""
    r = min(r, (x1 - x0) / 2.0, (y1 - y0) / 2.0)
    pts = []
    for cx, cy, a in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0),
                      (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        pts += ell(cx, cy, r, r, a0=a, a1=a + 90, n=10)
    return pts


def bezier(p0, p1, p2, p3=None, n=24):
    """Quadratic (3 points) or cubic (4 points) Bezier curve as a polyline."""
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        if p3 is None:
            x = u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0]
            y = u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]
        else:
            x = (u ** 3 * p0[0] + 3 * u * u * t * p1[0]
                 + 3 * u * t * t * p2[0] + t ** 3 * p3[0])
            y = (u ** 3 * p0[1] + 3 * u * u * t * p1[1]
                 + 3 * u * t * t * p2[1] + t ** 3 * p3[1])
        pts.append((x, y))
    return pts


def star(cx, cy, r_out, r_in, points=4, rot=0.0):
    pts = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot - 90 + i * 180.0 / points)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def rotate_about(px, py, deg):
    """Point transform: rotate by deg (clockwise on screen) about (px, py)."""
    c, s = math.cos(math.radians(deg)), math.sin(math.radians(deg))

    def xf(p):
        dx, dy = p[0] - px, p[1] - py
        return (px + dx * c - dy * s, py + dx * s + dy * c)
    return xf


def P(pts):
    """Filled polygon shape."""
    return ('P', pts)


def L(pts, width):
    """Thick polyline shape with round caps and joints."""
    return ('L', pts, width)


def shade_of(rgb, f):
    """Darken (f < 1) or lighten (f > 1) a colour."""
    if f <= 1:
        return tuple(int(round(c * f)) for c in rgb)
    return tuple(int(round(c + (255 - c) * (f - 1))) for c in rgb)


# ------------------------------------------------------------------- canvas
def dilate(mask, px):
    """Roughly circular dilation of a binary mask by px oversampled pixels."""
    if px <= 0:
        return mask
    blurred = mask.filter(ImageFilter.GaussianBlur(px / 2.0))
    return blurred.point(lambda v: 255 if v > 6 else 0)


class Canvas:
    def __init__(self, width, height, scale=SCALE):
        self.w, self.h, self.s = width, height, scale
        self.img = Image.new('RGBA', (width * scale, height * scale),
                             (0, 0, 0, 0))

    def mask(self, shapes, xf=None):
        m = Image.new('L', self.img.size, 0)
        d = ImageDraw.Draw(m)
        s = self.s
        for sh in shapes:
            pts = sh[1]
            if xf is not None:
                pts = [xf(p) for p in pts]
            sp = [(x * s, y * s) for x, y in pts]
            if sh[0] == 'P':
                d.polygon(sp, fill=255)
            else:
                w = sh[2] * s
                d.line(sp, fill=255, width=max(1, int(round(w))),
                       joint='curve')
                r = w / 2.0
                for x, y in (sp[0], sp[-1]):
                    d.ellipse([x - r, y - r, x + r, y + r], fill=255)
        return m

    def part(self, shapes, fill, outline=OUTLINE, ow=1.2, xf=None,
             clip=None, shade=None, shade_off=(2.5, 2.5), light=None,
             light_off=(2.0, 2.0)):
        """Draw one filled part with its own outline; returns its mask.

        shade: colour of a crescent on the lower right of the part.
        light: colour of a crescent on the upper left of the part.
        clip:  mask to restrict the part to (e.g. a belly inside a body).
        """
        m = self.mask(shapes, xf)
        if clip is not None:
            m = ImageChops.multiply(m, clip)
        if ow and outline is not None:
            self.img.paste(outline, mask=dilate(m, ow * self.s))
        self.img.paste(fill, mask=m)
        if shade is not None:
            dx, dy = (int(round(v * self.s)) for v in shade_off)
            moved = ImageChops.offset(m, -dx, -dy)
            self.img.paste(shade, mask=ImageChops.subtract(m, moved))
        if light is not None:
            dx, dy = (int(round(v * self.s)) for v in light_off)
            moved = ImageChops.offset(m, dx, dy)
            self.img.paste(light, mask=ImageChops.subtract(m, moved))
        return m

    def ink(self, shapes, colour=OUTLINE, xf=None, clip=None):
        """Draw shapes in a flat colour without an outline."""
        return self.part(shapes, colour, ow=0, xf=xf, clip=clip)

    def reduced(self):
        """Final-size RGBA image (premultiplied area average)."""
        return self.img.resize((self.w, self.h), Image.BOX)


# ------------------------------------------------------------------- output
def matte(rgba, matte_rgb, alpha_cut=100):
    """Prepare RGBA art for a format with 1-bit transparency (GIF).

    Partly covered edge pixels are blended onto a light matte (the window
    background is light) and pixels with little coverage become fully
    transparent.  That keeps the antialiasing without dark fringes.
    Returns (rgb image, mask of the pixels that become transparent).
    """
    alpha = rgba.getchannel('A')
    rgb = Image.composite(rgba.convert('RGB'),
                          Image.new('RGB', rgba.size, matte_rgb), alpha)
    hole = alpha.point(lambda v: 255 if v < alpha_cut else 0)
    return rgb, hole


def shared_palette(rgb_images, colours=255):
    """One palette for several images, so equal colours stay equal indices
    across frames (a blink frame then differs from its rest frame only
    around the eyes)."""
    w = max(im.width for im in rgb_images)
    strip = Image.new('RGB', (w, sum(im.height for im in rgb_images)))
    y = 0
    for im in rgb_images:
        strip.paste(im, (0, y))
        y += im.height
    return strip.quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                          dither=Image.Dither.NONE)


def to_palette(rgb, hole, palette, matte_rgb, colours=255):
    """Map rgb onto palette (a 'P' image) and punch the transparent pixels.

    The transparent index is `colours` and shows the matte colour in viewers
    that ignore transparency.  Returns (image, transparent_index).
    """
    q = rgb.quantize(palette=palette, dither=Image.Dither.NONE)
    pal = palette.getpalette()[:colours * 3]
    pal += [0] * (colours * 3 - len(pal))
    pal += list(matte_rgb)
    pal += [0] * (768 - len(pal))
    q.putpalette(pal)
    q.paste(colours, mask=hole)
    q.info['transparency'] = colours
    return q, colours
