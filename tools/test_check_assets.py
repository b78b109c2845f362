#!/usr/bin/python3
"""Self-test for check_assets.py: it must pass the committed assets and
catch damaged copies of them.  Standard library only.

Usage: test_check_assets.py [-v]
"""

import os
import shutil
import struct
import sys
import tempfile
import unittest
import wave

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_assets  # noqa: E402

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..',
                      'assets')


def write_wav(path, samples, rate=48000, channels=1, width=2):
    with wave.open(path, 'wb') as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        if width == 2:
            w.writeframes(struct.pack('<%dh' % len(samples), *samples))
        else:
            w.writeframes(bytes(128 + s // 256 for s in samples))


def tone(n, amp=12000):
    """n samples of a 1 kHz tone faded in and out (no clicks)."""
    out = []
    for i in range(n):
        fade = min(1.0, i / 480.0, (n - 1 - i) / 480.0)
        tri = 1 - abs((i % 48) / 12.0 - 2)     # triangle wave, period 48
        out.append(int(amp * fade * tri))
    return out


class CheckAssetsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix='lumiroka-check-')
        self.assets = os.path.join(self.tmp, 'assets')
        shutil.copytree(ASSETS, self.assets)

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def path(self, rel):
        return os.path.join(self.assets, rel)

    def patch(self, rel, offset, data):
        with open(self.path(rel), 'r+b') as f:
            f.seek(offset)
            f.write(data)

    def assertFlags(self, rel, words):
        problems = check_assets.check_all(self.assets)
        hits = [p for p in problems if p.startswith(rel + ':')]
        self.assertTrue(hits, 'no problem reported for %s: %s'
                        % (rel, problems))
        self.assertIn(words, hits[0])
        self.assertEqual(len(problems), 1, problems)

    def test_committed_assets_pass(self):
        self.assertEqual(check_assets.check_all(ASSETS), [])

    def test_missing_gif(self):
        os.remove(self.path('gif/zu1b.gif'))
        self.assertFlags('gif/zu1b.gif', 'missing')

    def test_gif_too_large(self):
        # logical screen and image block both claim 200 pixels wide
        rel = 'gif/piro0.gif'
        with open(self.path(rel), 'rb') as f:
            buf = bytearray(f.read())
        buf[6:8] = struct.pack('<H', 200)
        i = buf.index(b'\x2c\x00\x00\x00\x00')
        buf[i + 5:i + 7] = struct.pack('<H', 200)
        with open(self.path(rel), 'wb') as f:
            f.write(buf)
        problems = check_assets.check_all(self.assets)
        self.assertTrue(any(p.startswith(rel) for p in problems), problems)

    def test_gif_without_transparency(self):
        rel = 'gif/tavrick2.gif'
        with open(self.path(rel), 'rb') as f:
            buf = bytearray(f.read())
        i = buf.index(b'\x21\xf9\x04')
        buf[i + 3] &= 0xFE                  # clear the transparency flag
        with open(self.path(rel), 'wb') as f:
            f.write(buf)
        self.assertFlags(rel, 'transparent')

    def test_gif_not_a_gif(self):
        self.patch('gif/zu0a.gif', 0, b'PNG!!!')
        self.assertFlags('gif/zu0a.gif', 'not a GIF')

    def test_small_icon_with_too_many_colours(self):
        rel = 'icons/lumiroka-32.png'
        with open(self.path(rel), 'rb') as f:
            buf = f.read()
        i = buf.index(b'PLTE') - 4
        n = struct.unpack('>I', buf[i:i + 4])[0]
        bigger = struct.pack('>I', n + 3 * 20) + b'PLTE' + \
            buf[i + 8:i + 8 + n] + b'\x00' * 60 + b'\x00' * 4
        with open(self.path(rel), 'wb') as f:
            f.write(buf[:i] + bigger + buf[i + 12 + n:])
        self.assertFlags(rel, 'colours')

    def test_small_icon_not_palette(self):
        rel = 'icons/lumiroka-16.png'
        self.patch(rel, 25, b'\x06')       # IHDR colour type: RGBA
        self.assertFlags(rel, 'palette')

    def test_icon_wrong_size(self):
        rel = 'icons/lumiroka-64.png'
        self.patch(rel, 16, struct.pack('>II', 60, 60))
        self.assertFlags(rel, '60x60')

    def test_large_icon_not_rgba(self):
        rel = 'icons/lumiroka-128.png'
        self.patch(rel, 25, b'\x02')       # IHDR colour type: RGB
        self.assertFlags(rel, 'RGBA')

    def test_ico_missing_a_size(self):
        rel = 'icons/lumiroka.ico'
        self.patch(rel, 4, struct.pack('<H', 1))
        self.assertFlags(rel, 'sizes')

    def test_svg_broken(self):
        with open(self.path('icons/lumiroka.svg'), 'a') as f:
            f.write('<unclosed>')
        self.assertFlags('icons/lumiroka.svg', 'XML')

    def test_wav_stereo(self):
        write_wav(self.path('justtime.wav'), tone(20000), channels=2)
        self.assertFlags('justtime.wav', 'mono')

    def test_wav_wrong_rate(self):
        write_wav(self.path('justtime.wav'), tone(20000), rate=44100)
        self.assertFlags('justtime.wav', '44100')

    def test_wav_8_bit(self):
        write_wav(self.path('justtime.wav'), tone(20000), width=1)
        self.assertFlags('justtime.wav', '16-bit')

    def test_wav_too_long(self):
        write_wav(self.path('justtime.wav'), tone(48000))
        self.assertFlags('justtime.wav', 'under')

    def test_wav_silent(self):
        write_wav(self.path('justtime.wav'), tone(30000, amp=40))
        self.assertFlags('justtime.wav', 'silent')

    def test_wav_click_at_end(self):
        s = tone(30000)
        s[-1] = 9000
        write_wav(self.path('justtime.wav'), s)
        self.assertFlags('justtime.wav', 'ends')

    def test_good_replacement_wav_passes(self):
        write_wav(self.path('justtime.wav'), tone(30000))
        self.assertEqual(check_assets.check_all(self.assets), [])

    def test_main_exit_status(self):
        os.remove(self.path('justtime.wav'))
        devnull = open(os.devnull, 'w')
        old = sys.stderr
        sys.stderr = devnull
        try:
            rc = check_assets.main(['check_assets.py', '--assets',
                                    self.assets])
        finally:
            sys.stderr = old
            devnull.close()
        self.assertEqual(rc, 1)


class GifDecoderTest(unittest.TestCase):
    def test_deinterlace_restores_row_order(self):
        h, w = 11, 3
        rows = [bytes([y] * w) for y in range(h)]
        order = [0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9]
        interlaced = b''.join(rows[y] for y in order)
        self.assertEqual(check_assets.deinterlace(interlaced, w, h),
                         b''.join(rows))

    def test_lzw_known_stream(self):
        # 2-bit minimum code size: clear=4, end=5, first free code 6.
        # Adding code 7 fills the 3-bit table, so from then on codes are
        # 4 bits wide; a decoder that widens too late or too early fails.
        codes = [(4, 3), (1, 3), (1, 3), (6, 3), (2, 4), (8, 4), (5, 4)]
        bits, n = 0, 0
        for c, width in codes:
            bits |= c << n
            n += width
        data = bits.to_bytes((n + 7) // 8, 'little')
        # 1 | 1 (adds 6=11) | 11 (adds 7=11) | 2 (adds 8=112) | 112
        self.assertEqual(check_assets.lzw_decode(2, data, 100),
                         bytes([1, 1, 1, 1, 2, 1, 1, 2]))


if __name__ == '__main__':
    unittest.main()
