#!/usr/bin/env python3
"""What reached the sound server, burst by burst, against the sound that should have rung.

  win_bursts.py --start-of REC.wav END_EPOCH
      prints the epoch time of the recording's first sample (its end less its length)
  win_bursts.py REC.wav REF.wav REC_START ZERO:STOP:END ...
      one line per burst, then for each alarm (epoch times of its zero, of the click on
      START-STOP and of the end of its window) shell assignments A<n>_*: the bursts heard
      from zero to the click (CHIMES) and how many a sound a second gives (EXPECTED), the
      first onset after zero (FIRST_MS), the worst spacing error from the second on (GAP_MS), the lowest
      correlation with REF in thousandths (CORR, over the whole sound; TAIL, over its last
      40 %), the most cut off the end of a burst (SHORT_MS), bursts that start after the
      click (AFTER), and bursts whose end matches REF only when moved later (DROPOUTS: silence
      inserted mid-sound, where the player fell behind the server).
Channel 0 of 16-bit PCM; the data present counts, whatever the header claims."""
import math
import struct
import sys
from operator import mul

RATE = 48000
THRESHOLD = 65          # about -54 dBFS: anything above is sound
QUIET = RATE // 20      # 50 ms below it ends a burst


def load(path):
    data = open(path, 'rb').read()
    at, channels, samples = 12, 1, b''
    while at + 8 <= len(data):
        name, size = data[at:at + 4], struct.unpack('<I', data[at + 4:at + 8])[0]
        body = data[at + 8:at + 8 + size]
        if name == b'fmt ':
            channels = struct.unpack('<H', body[2:4])[0]
        elif name == b'data':
            samples = body
            break
        at += 8 + size + (size & 1)
    count = len(samples) // 2
    values = struct.unpack('<%dh' % count, samples[:count * 2])
    return list(values[0::channels])


def bursts(x):
    found, start, last = [], None, None
    for i, v in enumerate(x):
        if v > THRESHOLD or v < -THRESHOLD:
            if start is None or i - last > QUIET:
                if start is not None:
                    found.append((start, last))
                start = i
            last = i
    if start is not None:
        found.append((start, last))
    return found


def correlation(a, b):
    saa, sbb = sum(map(mul, a, a)), sum(map(mul, b, b))
    return sum(map(mul, a, b)) / math.sqrt(saa * sbb) if saa and sbb else 0.0


def main(argv):
    if argv[1] == '--start-of':
        rec = load(argv[2])
        print('%.3f' % (float(argv[3]) - len(rec) / RATE))
        return
    rec, ref = load(argv[1]), load(argv[2])
    start = float(argv[3])
    ref_on, ref_end = bursts(ref)[0][0], bursts(ref)[-1][1]
    ref_sound = ref[ref_on:ref_end + 1]
    length = len(ref_sound)
    tail = length * 3 // 5
    heard = []
    print('  onset_s   length_s  corr   tail')
    for s, e in bursts(rec):
        best = (-1.0, 0)
        for lag in range(-8, 9):
            piece = rec[s + lag:s + lag + length]
            if s + lag >= 0 and len(piece) == length:
                best = max(best, (correlation(piece, ref_sound), lag))
        c, lag = best
        t = correlation(rec[s + lag + tail:s + lag + length], ref_sound[tail:]) if c > -1 else -1.0
        late = 0
        if t < 0.95:  # the end found up to 50 ms later: the sound is all there, with a gap
            for shift in range(32, RATE // 20, 32):
                piece = rec[s + lag + shift + tail:s + lag + shift + length]
                if len(piece) == length - tail and correlation(piece, ref_sound[tail:]) > 0.95:
                    late = shift
                    break
        heard.append((start + s / RATE, (e - s + 1) / RATE, c, t, late))
        print('%9.3f  %8.3f  %.3f  %.3f%s' % (s / RATE, (e - s + 1) / RATE, c, t,
                                              '  dropout of about %.1f ms' % (late * 1000 / RATE) if late else ''))
    for n, spec in enumerate(argv[4:], 1):
        zero, stop, end = map(float, spec.split(':'))
        ring = [h for h in heard if zero - 0.3 <= h[0] <= stop + 0.25]
        after = [h for h in heard if stop + 0.25 < h[0] <= end]
        onsets = [h[0] for h in ring]
        # A burst with silence inserted is the right sound (its end matched once moved); it is
        # counted in DROPOUTS, and the correlations are those of the bursts heard whole.
        whole = [h for h in ring if not h[4]]
        values = {
            'CHIMES': len(ring),
            'EXPECTED': int(stop - zero) + 1,
            'FIRST_MS': round((onsets[0] - zero) * 1000) if ring else 99999,
            # From the second on: the first play also opens the stream (FIRST_MS shows it).
            'GAP_MS': round(max((abs(b - a - 1.0) for a, b in zip(onsets[1:], onsets[2:])), default=0) * 1000),
            'CORR': round(min((h[2] for h in whole), default=0) * 1000),
            'TAIL': round(min((h[3] for h in whole), default=0) * 1000),
            'SHORT_MS': round(max((length / RATE - h[1] for h in ring), default=0) * 1000),
            'AFTER': len(after),
            'DROPOUTS': sum(1 for h in ring if h[4]),
        }
        print(' '.join('A%d_%s=%d' % (n, k, v) for k, v in values.items()))


main(sys.argv)
