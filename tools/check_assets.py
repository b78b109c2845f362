#!/usr/bin/python3
"""Check the committed Lumiroka assets.

Usage: check_assets.py [--assets DIR] [--regenerate]

Checks the character GIFs, the window icons and the alarm chime for the
formats the program relies on.  Standard library only, so it can run where
Pillow is not installed.  With --regenerate it also runs the generator
scripts into a temporary directory (this needs Pillow) and reports committed
files that differ from what the scripts now produce.

Prints every problem found and exits with status 1 if there was any.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave
import xml.etree.ElementTree as ET

NAMES = ('piro', 'zu', 'tavrick')
POSES = ('0', '0a', '0b', '1', '1a', '1b', '2')
GIF_MAX_W, GIF_MAX_H = 113, 121
SMALL_ICONS = (16, 32)
FULL_ICONS = (48, 64, 128, 256)
SMALL_ICON_COLOURS = 16
WAV_RATE = 48000
WAV_MAX_SECONDS = 1.0
WAV_MIN_PEAK = 0.1        # of full scale; anything quieter counts as silent
WAV_EDGE = 0.01           # first and last sample must be this close to zero
PNG_SIGNATURE = b'\x89PNG\r\n\x1a\n'


class AssetError(Exception):
    pass


# ---------------------------------------------------------------------- GIF
def lzw_decode(min_size, data, limit):
    """Decode GIF LZW data into palette indices (at most limit of them)."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    size = min_size + 1
    table = [bytes([i]) for i in range(clear)] + [b'', b'']
    out = bytearray()
    prev = None
    bits = int.from_bytes(data, 'little')
    pos, total = 0, len(data) * 8
    while pos + size <= total and len(out) < limit:
        code = (bits >> pos) & ((1 << size) - 1)
        pos += size
        if code == clear:
            table = table[:clear + 2]
            size = min_size + 1
            prev = None
            continue
        if code == end:
            break
        if code < len(table) and code not in (clear, end):
            entry = table[code]
        elif code == len(table) and prev is not None:
            entry = prev + prev[:1]
        else:
            raise AssetError('corrupt LZW data (code %d)' % code)
        out += entry
        if prev is not None and len(table) < 4096:
            table.append(prev + entry[:1])
            if len(table) == (1 << size) and size < 12:
                size += 1
        prev = entry
    return bytes(out[:limit])


def deinterlace(pixels, w, h):
    """Put the rows of an interlaced GIF image back in order."""
    order = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        order.extend(range(start, h, step))
    rows = [None] * h
    for i, y in enumerate(order):
        rows[y] = pixels[i * w:(i + 1) * w]
    return b''.join(rows)


def read_sub_blocks(buf, pos):
    chunks = []
    while True:
        if pos >= len(buf):
            raise AssetError('truncated data sub-blocks')
        n = buf[pos]
        pos += 1
        if n == 0:
            return b''.join(chunks), pos
        chunks.append(buf[pos:pos + n])
        pos += n


def parse_gif(buf):
    """Return (width, height, transparent_index or None, pixel indices)."""
    if buf[:6] not in (b'GIF87a', b'GIF89a'):
        raise AssetError('not a GIF file')
    width, height, packed = struct.unpack('<HHB', buf[6:11])
    pos = 13
    if packed & 0x80:
        pos += 3 * (2 << (packed & 7))
    transparent = None
    while pos < len(buf):
        kind = buf[pos]
        pos += 1
        if kind == 0x21:                              # extension
            label = buf[pos]
            pos += 1
            data, pos = read_sub_blocks(buf, pos)
            if label == 0xF9 and len(data) >= 4 and data[0] & 1:
                transparent = data[3]
        elif kind == 0x2C:                            # image
            x, y, w, h, ipacked = struct.unpack('<HHHHB', buf[pos:pos + 9])
            pos += 9
            if ipacked & 0x80:
                pos += 3 * (2 << (ipacked & 7))
            if (x, y, w, h) != (0, 0, width, height):
                raise AssetError('image block %dx%d+%d+%d does not fill the '
                                 '%dx%d screen' % (w, h, x, y, width, height))
            min_size = buf[pos]
            data, pos = read_sub_blocks(buf, pos + 1)
            pixels = lzw_decode(min_size, data, w * h)
            if len(pixels) != w * h:
                raise AssetError('image data is truncated')
            if ipacked & 0x40:
                pixels = deinterlace(pixels, w, h)
            return width, height, transparent, pixels
        elif kind == 0x3B:
            break
        else:
            raise AssetError('unexpected GIF block 0x%02x' % kind)
    raise AssetError('GIF has no image')


def check_gif(path):
    with open(path, 'rb') as f:
        w, h, t, pix = parse_gif(f.read())
    if w > GIF_MAX_W or h > GIF_MAX_H:
        raise AssetError('%dx%d is larger than %dx%d'
                         % (w, h, GIF_MAX_W, GIF_MAX_H))
    if t is None:
        raise AssetError('has no transparent colour index')
    corners = (pix[0], pix[w - 1], pix[(h - 1) * w], pix[h * w - 1])
    if any(c != t for c in corners):
        raise AssetError('background corners are not transparent')
    opaque = sum(1 for p in pix if p != t) / float(w * h)
    if not 0.05 <= opaque <= 0.9:
        raise AssetError('%.0f%% of the picture is opaque; expected a '
                         'character on a transparent background'
                         % (opaque * 100))


# ---------------------------------------------------------------------- PNG
def png_chunks(buf):
    if buf[:8] != PNG_SIGNATURE:
        raise AssetError('not a PNG file')
    pos, chunks = 8, {}
    while pos + 8 <= len(buf):
        n, kind = struct.unpack('>I4s', buf[pos:pos + 8])
        chunks.setdefault(kind.decode('latin-1'), buf[pos + 8:pos + 8 + n])
        pos += 12 + n
    if 'IHDR' not in chunks:
        raise AssetError('PNG without IHDR')
    return chunks


def png_info(buf):
    """(width, height, colour type, palette entries, has tRNS)."""
    c = png_chunks(buf)
    w, h, _depth, ctype = struct.unpack('>IIBB', c['IHDR'][:10])
    return w, h, ctype, len(c.get('PLTE', b'')) // 3, 'tRNS' in c


def check_icon_png(path, size):
    with open(path, 'rb') as f:
        w, h, ctype, entries, trns = png_info(f.read())
    if (w, h) != (size, size):
        raise AssetError('is %dx%d, expected %dx%d' % (w, h, size, size))
    if size in SMALL_ICONS:
        if ctype != 3:
            raise AssetError('should be a palette image (PNG colour type 3),'
                             ' found type %d' % ctype)
        if not 0 < entries <= SMALL_ICON_COLOURS:
            raise AssetError('palette has %d colours, at most %d allowed'
                             % (entries, SMALL_ICON_COLOURS))
        if not trns:
            raise AssetError('palette has no transparent entry')
    elif ctype != 6:
        raise AssetError('should be RGBA (PNG colour type 6), found type %d'
                         % ctype)


def check_ico(path):
    with open(path, 'rb') as f:
        buf = f.read()
    reserved, kind, count = struct.unpack('<HHH', buf[:6])
    if reserved != 0 or kind != 1:
        raise AssetError('not an ICO file')
    sizes = []
    for i in range(count):
        e = buf[6 + 16 * i:22 + 16 * i]
        if len(e) < 16:
            raise AssetError('truncated ICO directory')
        w, h = e[0] or 256, e[1] or 256
        length, offset = struct.unpack('<II', e[8:16])
        data = buf[offset:offset + length]
        if len(data) != length or length == 0:
            raise AssetError('ICO image %dx%d points outside the file'
                             % (w, h))
        if data[:8] == PNG_SIGNATURE:
            pw, ph = png_info(data)[:2]
            if (pw, ph) != (w, h):
                raise AssetError('ICO entry says %dx%d but holds %dx%d'
                                 % (w, h, pw, ph))
        sizes.append((w, h))
    want = sorted((s, s) for s in SMALL_ICONS)
    if sorted(sizes) != want:
        raise AssetError('holds sizes %s, expected %s' % (sorted(sizes), want))


def check_svg(path):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as e:
        raise AssetError('is not well-formed XML: %s' % e)
    if root.tag != '{http://www.w3.org/2000/svg}svg':
        raise AssetError('root element is %s, not an SVG <svg>' % root.tag)
    if not root.get('viewBox'):
        raise AssetError('has no viewBox, so it will not scale')
    if not list(root.iter('{http://www.w3.org/2000/svg}circle')):
        raise AssetError('draws no circle; the stopwatch seems to be missing')


# ---------------------------------------------------------------------- WAV
def check_wav(path):
    try:
        w = wave.open(path, 'rb')
    except (wave.Error, EOFError) as e:
        raise AssetError('is not a PCM WAV file: %s' % e)
    with w:
        if w.getnchannels() != 1:
            raise AssetError('has %d channels, expected mono'
                             % w.getnchannels())
        if w.getsampwidth() != 2:
            raise AssetError('has %d-bit samples, expected 16-bit'
                             % (8 * w.getsampwidth()))
        if w.getframerate() != WAV_RATE:
            raise AssetError('runs at %d Hz, expected %d'
                             % (w.getframerate(), WAV_RATE))
        n = w.getnframes()
        if n == 0:
            raise AssetError('is empty')
        if n / float(WAV_RATE) >= WAV_MAX_SECONDS:
            raise AssetError('lasts %.2f s, must be under %.1f s'
                             % (n / float(WAV_RATE), WAV_MAX_SECONDS))
        raw = w.readframes(n)
    samples = struct.unpack('<%dh' % (len(raw) // 2), raw)
    peak = max(abs(s) for s in samples) / 32768.0
    if peak < WAV_MIN_PEAK:
        raise AssetError('is practically silent (peak %.3f of full scale)'
                         % peak)
    if peak >= 32767 / 32768.0:
        raise AssetError('clips at full scale')
    for label, s in (('starts', samples[0]), ('ends', samples[-1])):
        if abs(s) / 32768.0 > WAV_EDGE:
            raise AssetError('%s away from zero (%d), which clicks'
                             % (label, s))


# -------------------------------------------------------------------- main
def expected_files():
    files = [os.path.join('gif', '%s%s.gif' % (n, p))
             for n in NAMES for p in POSES]
    files += [os.path.join('icons', 'lumiroka-%d.png' % s)
              for s in SMALL_ICONS + FULL_ICONS]
    files += [os.path.join('icons', 'lumiroka.ico'),
              os.path.join('icons', 'lumiroka.svg'), 'justtime.wav']
    return files


def check_file(assets, rel):
    path = os.path.join(assets, rel)
    if not os.path.isfile(path):
        raise AssetError('is missing')
    base = os.path.basename(rel)
    if base.endswith('.gif'):
        check_gif(path)
    elif base.endswith('.png'):
        check_icon_png(path, int(base[len('lumiroka-'):-len('.png')]))
    elif base.endswith('.ico'):
        check_ico(path)
    elif base.endswith('.svg'):
        check_svg(path)
    elif base.endswith('.wav'):
        check_wav(path)


def check_all(assets):
    """List of 'file: problem' strings; empty when everything is fine."""
    problems = []
    for rel in expected_files():
        try:
            check_file(assets, rel)
        except (AssetError, OSError, struct.error, IndexError) as e:
            problems.append('%s: %s' % (rel, e))
    return problems


def regenerate_and_compare(assets):
    """Run the generators into a temp dir; list files that differ."""
    tools = os.path.dirname(os.path.abspath(__file__))
    tmp = tempfile.mkdtemp(prefix='lumiroka-assets-')
    try:
        runs = (('gen_characters.py', os.path.join(tmp, 'gif')),
                ('gen_icons.py', os.path.join(tmp, 'icons')),
                ('gen_sound.py', os.path.join(tmp, 'justtime.wav')))
        for script, out in runs:
            r = subprocess.run([sys.executable, os.path.join(tools, script),
                                out], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT)
            if r.returncode != 0:
                return ['%s failed:\n%s' % (script, r.stdout.decode(
                    'utf-8', 'replace'))]
        problems = []
        for rel in expected_files():
            a, b = os.path.join(assets, rel), os.path.join(tmp, rel)
            with open(b, 'rb') as fb:
                fresh = fb.read()
            try:
                with open(a, 'rb') as fa:
                    same = fa.read() == fresh
            except OSError:
                continue              # already reported as missing
            if not same:
                problems.append('%s: differs from what the generator '
                                'scripts produce now; run tools/'
                                'gen_assets.sh' % rel)
        return problems
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--assets', default=os.path.join(here, '..', 'assets'))
    ap.add_argument('--regenerate', action='store_true',
                    help='also compare against freshly generated files')
    args = ap.parse_args(argv[1:])
    assets = os.path.normpath(args.assets)
    problems = check_all(assets)
    if args.regenerate:
        problems += regenerate_and_compare(assets)
    if problems:
        sys.stderr.write('asset check FAILED (%s):\n' % assets)
        for p in problems:
            sys.stderr.write('  ' + p + '\n')
        return 1
    print('asset check passed: %d files in %s'
          % (len(expected_files()), assets))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
