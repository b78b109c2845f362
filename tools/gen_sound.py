#!/usr/bin/python3
"""Generate the Lumiroka alarm chime: assets/justtime.wav.

Two soft bell tones, a higher one then a lower one, each with a gentle
attack and an exponential decay; 0.8 s, 48 kHz, 16-bit mono PCM, peak about
-6 dBFS.  Standard library only.  Usage: gen_sound.py [output.wav]
"""

import math
import os
import struct
import sys
import wave

RATE = 48000
LENGTH = 0.8            # seconds
PEAK_DBFS = -6.0
ATTACK = 0.006          # seconds, raised-cosine fade-in of each note
TAIL_FADE = 0.08        # seconds, fade-out at the very end of the file

# (start time s, fundamental Hz, loudness, decay time constant s)
NOTES = (
    (0.000, 1318.51, 1.00, 0.20),   # E6
    (0.180, 1046.50, 0.95, 0.24),   # C6
)
# Bell-like partials: (frequency ratio, relative level, decay multiplier).
# The slightly stretched upper partials give the bell colour; they die away
# faster than the fundamental so the tail is a soft pure tone.
PARTIALS = (
    (1.000, 1.00, 1.00),
    (2.005, 0.32, 0.55),
    (3.010, 0.12, 0.35),
    (4.170, 0.06, 0.25),
)


def note_sample(t, freq, level, tau):
    """Value of one note t seconds after it starts (before normalising)."""
    if t < 0:
        return 0.0
    if t < ATTACK:
        env = 0.5 - 0.5 * math.cos(math.pi * t / ATTACK)
    else:
        env = 1.0
    v = 0.0
    for ratio, amp, dmul in PARTIALS:
        v += amp * math.exp(-t / (tau * dmul)) * math.sin(
            2 * math.pi * freq * ratio * t)
    return level * env * v


def synthesize():
    """The chime as a list of floats, peak-normalised to PEAK_DBFS."""
    n = int(RATE * LENGTH)
    out = []
    for i in range(n):
        t = i / RATE
        v = sum(note_sample(t - start, f, lvl, tau)
                for start, f, lvl, tau in NOTES)
        remain = LENGTH - t
        if remain < TAIL_FADE:
            v *= 0.5 - 0.5 * math.cos(math.pi * remain / TAIL_FADE)
        out.append(v)
    peak = max(abs(v) for v in out)
    gain = 10 ** (PEAK_DBFS / 20.0) / peak
    return [v * gain for v in out]


def write_wav(path, samples):
    ints = [max(-32768, min(32767, int(round(v * 32767)))) for v in samples]
    frames = struct.pack('<%dh' % len(ints), *ints)
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'assets',
                                                      'justtime.wav')
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    write_wav(out, synthesize())
    print('wrote', os.path.normpath(out))


if __name__ == '__main__':
    main(sys.argv)
