#!/usr/bin/python3
"""What a person heard of an alarm, from a recording of the sound server's output.

    chimes.py REC.wav REF.wav --t0 EPOCH --zero EPOCH --stop EPOCH --until EPOCH
              [--expect N] [--tolerance 1] [--first-within 0.3] [--min-corr 0.9] [--label TEXT] [--silent]

REC is the recording (16-bit WAV, channel 0 is read), REF the sound that should be heard (the
chime file, or the sound theme's alarm converted to WAV at the recording's rate). Times are
wall-clock epoch seconds: --t0 the recording's first sample, --zero when the countdown reached
zero, --stop when START・STOP silenced the alarm, --until the end of the stretch to look at.

Each start of REF in the recording is found by normalised cross-correlation with REF's first
200 ms, so a sound cut off and restarted every second counts as well as one that ends in
silence. Each sound heard is then compared with REF over all of it that was heard (up to the
next start, or REF's end), in 100 ms pieces, so a dropout, a cut tail or a foreign sound shows
as a piece that does not match. Prints one line per sound and a summary, then the checks that
failed; exits 1 if any did:
  - the number of sounds between zero and STOP is N (plus or minus the tolerance);
  - the first starts within --first-within seconds of zero;
  - one a second: every gap between starts is 0.8..1.2 s;
  - every sound matches REF: each piece correlates at --min-corr or better;
  - nothing starts before zero or after STOP (the sound already playing may run to its end).
With --silent it checks instead that nothing at all reached the server (peak below -60 dBFS).
"""
import argparse
import sys
import wave

import numpy as np


def load(path):
    with wave.open(path, 'rb') as w:
        if w.getsampwidth() != 2:
            sys.exit(f'{path}: 16-bit samples needed')
        data = np.frombuffer(w.readframes(w.getnframes()), dtype='<i2')
        return data[0::w.getnchannels()].astype(np.float64) / 32768.0, w.getframerate()


def sliding_energy(x, n):
    c = np.concatenate(([0.0], np.cumsum(x * x)))
    return c[n:] - c[:-n]


def correlate_valid(x, t):
    """sum(x[k + i] * t[i]) for every k where t fits in x, by FFT."""
    n = len(x) + len(t)
    size = 1 << (n - 1).bit_length()
    spec = np.fft.rfft(x, size) * np.conj(np.fft.rfft(t, size))
    return np.fft.irfft(spec, size)[: len(x) - len(t) + 1]


def ncc(a, b):
    na, nb = np.dot(a, a), np.dot(b, b)
    return float(np.dot(a, b) / np.sqrt(na * nb)) if na > 0 and nb > 0 else 0.0


def main():
    p = argparse.ArgumentParser()
    p.add_argument('rec')
    p.add_argument('ref')
    for name in ('t0', 'zero', 'stop', 'until'):
        p.add_argument('--' + name, type=float, required=True)
    p.add_argument('--expect', type=int)
    p.add_argument('--tolerance', type=int, default=1)
    p.add_argument('--first-within', type=float, default=0.3)
    p.add_argument('--min-corr', type=float, default=0.9)
    p.add_argument('--label', default='alarm')
    p.add_argument('--silent', action='store_true', help='check instead that nothing at all was heard')
    a = p.parse_args()

    rec, rate = load(a.rec)
    ref, ref_rate = load(a.ref)
    if rate != ref_rate:
        sys.exit(f'the reference is at {ref_rate} Hz, the recording at {rate} Hz')
    loud = np.flatnonzero(np.abs(ref) > 0.01 * np.max(np.abs(ref)))
    lead = loud[0] / rate  # how long the file is nearly silent before its sound starts
    ref = ref[loud[0]: loud[-1] + 1]  # the sound itself, without silence around it
    tpl = ref[: min(len(ref), int(0.2 * rate))]

    # The stretch looked at: from half a second before zero to --until.
    first = max(0, int((a.zero - 0.5 - a.t0) * rate))
    last = min(len(rec), int((a.until - a.t0) * rate) + len(tpl))
    seg = rec[first:last]
    if a.silent:
        peak = 20 * np.log10(np.max(np.abs(seg)) + 1e-12) if len(seg) else -240
        print(f'{a.label}: peak level {peak:.0f} dBFS over {len(seg) / rate:.1f} s')
        return 0 if peak < -60 else 1
    starts = []
    if len(seg) > len(tpl):
        energy = sliding_energy(seg, len(tpl))
        score = correlate_valid(seg, tpl) / (np.sqrt(energy * np.dot(tpl, tpl)) + 1e-12)
        score[energy < 1e-7 * len(tpl)] = 0  # digital silence, or next to it
        # Peaks of at least 0.6, the best within 0.4 s on either side.
        half = int(0.4 * rate)
        for k in np.flatnonzero(score >= 0.6):
            lo, hi = max(0, k - half), min(len(score), k + half + 1)
            if score[k] == score[lo:hi].max() and (not starts or k - starts[-1] > half):
                starts.append(int(k))
    # When each play began: where its sound starts, less the file's lead-in.
    onsets = [(first + k) / rate + a.t0 - lead for k in starts]

    zero, stop = a.zero, a.stop
    piece = int(0.1 * rate)
    ref_piece_energy = sliding_energy(ref, piece)[::piece] if len(ref) >= piece else np.array([np.dot(ref, ref)])
    problems, rows, corrs = [], [], []
    for i, k in enumerate(starts):
        at = first + k
        heard = len(ref)
        if i + 1 < len(starts):
            heard = min(heard, starts[i + 1] - k)
        heard = min(heard, len(rec) - at)
        x, r = rec[at: at + heard], ref[:heard]
        # A sound cut off by the next one stops within the server's latency of the cut, a few
        # tens of milliseconds either way: the last 60 ms before the next start are not compared.
        compared = heard - int(0.06 * rate) if heard < len(ref) else heard
        worst, worst_at = 1.0, 0
        for j in range(0, compared - piece // 2, piece):
            # Pieces where the reference is nearly silent say nothing either way.
            if ref_piece_energy[min(j // piece, len(ref_piece_energy) - 1)] < 1e-4 * ref_piece_energy.max():
                continue
            c = ncc(x[j: min(j + piece, compared)], r[j: min(j + piece, compared)])
            if c < worst:
                worst, worst_at = c, j
        whole = ncc(x[:compared], r[:compared])
        corrs.append(worst)
        gap = onsets[i] - onsets[i - 1] if i else None
        level = 20 * np.log10(np.sqrt(np.mean(x * x)) + 1e-12)
        rows.append(f'  {a.label} sound {i + 1:2d}: {onsets[i] - zero:+7.3f} s from zero'
                    + (f', gap {gap:5.3f} s' if gap is not None else ',' + ' ' * 12)
                    + f', heard {heard / rate:5.3f} s, corr {whole:.4f} (worst 100 ms {worst:.4f} at {worst_at / rate:.1f} s), {level:6.1f} dBFS')

    during = [t for t in onsets if zero - 0.05 <= t <= stop + 0.15]
    before = [t for t in onsets if t < zero - 0.05]
    after = [t for t in onsets if t > stop + 0.15]
    gaps = np.diff(during) if len(during) > 1 else np.array([])
    print('\n'.join(rows))
    summary = (f'{a.label}: {len(during)} sounds between zero and STOP ({stop - zero:.2f} s)'
               + (f', first {during[0] - zero:+.3f} s from zero' if during else '')
               + (f', gaps {gaps.min():.3f}..{gaps.max():.3f} s' if len(gaps) else '')
               + (f', worst correlation {min(corrs):.4f}' if corrs else '')
               + f'; {len(before)} before zero, {len(after)} after STOP')
    print(summary)

    if a.expect is not None and abs(len(during) - a.expect) > a.tolerance:
        problems.append(f'{len(during)} sounds, expected {a.expect} (plus or minus {a.tolerance})')
    if not during:
        problems.append('no sound at all')
    elif abs(during[0] - zero) > a.first_within:
        problems.append(f'the first sound came {during[0] - zero:+.3f} s from zero')
    if len(gaps) and (gaps.min() < 0.8 or gaps.max() > 1.2):
        problems.append(f'not one a second: gaps {gaps.min():.3f}..{gaps.max():.3f} s')
    bad = [i + 1 for i, c in enumerate(corrs) if c < a.min_corr]
    if bad:
        problems.append(f'sounds {bad} do not match the reference (worst 100 ms below {a.min_corr})')
    if before:
        problems.append(f'{len(before)} sounds before zero')
    if after:
        problems.append(f'{len(after)} sounds started after STOP, at ' + ', '.join(f'{t - stop:+.2f} s' for t in after))
    for prob in problems:
        print(f'{a.label}: FAIL: {prob}')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
