#!/usr/bin/python3
"""Generate the three Lumiroka characters as transparent GIFs.

Writes assets/gif/<name><pose>.gif for the names piro, zu and tavrick and
the poses below.  Usage: gen_characters.py [output_dir]

  0   rest while the timer is stopped     (relaxed)
  0a  short move while stopped            (blink)
  0b  long move while stopped             (wave / flex)
  1   rest while running                  (focused, holding the stopwatch)
  1a  short move while running            (blink, still holding it)
  1b  long move while running             (stopwatch raised, cheering)
  2   alarm                               (startled, stopwatch ringing)
"""

import os
import sys

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
from lumidraw import (Canvas, OUTLINE, L, P, bezier, circle, ell,  # noqa
                      matte, rotate_about, rrect, shade_of, shared_palette,
                      star, to_palette)

W, H = 113, 121
MATTE = (246, 246, 246)
POSES = ('0', '0a', '0b', '1', '1a', '1b', '2')
NAMES = ('piro', 'zu', 'tavrick')

WHITE = (255, 255, 255)
CHEEK = (255, 138, 150)
MOUTH = (150, 38, 58)
TONGUE = (255, 118, 128)
BANG = (236, 62, 62)
SPARK = (255, 214, 64)

# Stopwatch colours match the window icon.
WATCH = (243, 118, 164)
WATCH_SH = (214, 82, 132)
WATCH_HI = (250, 170, 200)
FACE = (255, 255, 255)
HAND_BLUE = (46, 98, 214)
HAND_OLIVE = (128, 128, 36)
TICK = (150, 150, 160)

# What each pose shows: eyes, arms, mouth.
POSE_TABLE = {
    '0': ('open', 'rest', 'smile'),
    '0a': ('closed', 'rest', 'smile'),
    '0b': ('open', 'move', 'big'),
    '1': ('focus', 'hold', 'focus'),
    '1a': ('closed', 'hold', 'focus'),
    '1b': ('happy', 'raise', 'big'),
    '2': ('wide', 'alarm', 'o'),
}


# ------------------------------------------------------------------- props
def stopwatch(c, cx, cy, r, rot=0.0):
    """Pink stopwatch, white face, one blue and one olive hand."""
    xf = rotate_about(cx, cy, rot)
    k = r / 10.0
    # crown stem, crown knob and a side button, behind the case
    c.part([P(rrect(cx - 1.6 * k, cy - r - 3.2 * k, cx + 1.6 * k, cy - r + 1,
                    0.5))],
           shade_of(WATCH, 0.85), ow=0.9, xf=xf)
    c.part([P(rrect(cx - 3.6 * k, cy - r - 6.4 * k, cx + 3.6 * k,
                    cy - r - 2.6 * k, 1.4 * k))], WATCH, ow=0.9, xf=xf)
    side = rotate_about(cx, cy, rot + 45)
    c.part([P(rrect(cx - 1.5 * k, cy - r - 2.6 * k, cx + 1.5 * k,
                    cy - r + 1, 0.5))], WATCH, ow=0.9, xf=side)
    # case and face
    c.part([P(circle(cx, cy, r))], WATCH, ow=1.1, xf=xf, shade=WATCH_SH,
           shade_off=(1.3 * k, 1.3 * k), light=WATCH_HI,
           light_off=(0.9 * k, 0.9 * k))
    fr = r * 0.72
    c.part([P(circle(cx, cy, fr))], FACE, ow=0.7, xf=xf)
    for a in (0, 90, 180, 270):
        c.ink([L([ell(cx, cy, fr * 0.78, fr * 0.78, a0=a - 90, a1=a - 90,
                      n=1)[0],
                  ell(cx, cy, fr * 0.95, fr * 0.95, a0=a - 90, a1=a - 90,
                      n=1)[0]], 0.8 * k)], TICK, xf=xf)
    tip_b = ell(cx, cy, fr * 0.82, fr * 0.82, a0=-55, a1=-55, n=1)[0]
    tip_o = ell(cx, cy, fr * 0.55, fr * 0.55, a0=30, a1=30, n=1)[0]
    c.ink([L([(cx, cy), tip_o], 1.5 * k)], HAND_OLIVE, xf=xf)
    c.ink([L([(cx, cy), tip_b], 1.1 * k)], HAND_BLUE, xf=xf)
    c.ink([P(circle(cx, cy, 1.3 * k))], OUTLINE, xf=xf)


def ring_lines(c, cx, cy, r, gap=4.0):
    """Short arcs on both sides of a ringing stopwatch."""
    for dr in (gap, gap * 2):
        for a0 in (-45, 135):
            c.ink([L(ell(cx, cy, r + dr, r + dr, a0=a0 + 10, a1=a0 + 70,
                         n=16), 1.5)], OUTLINE)


def bang(c, x, y, h, rot=0.0):
    """A red exclamation mark whose top is at (x, y)."""
    xf = rotate_about(x, y + h / 2.0, rot)
    w = h * 0.22
    c.part([P([(x - w, y), (x + w, y), (x + w * 0.35, y + h * 0.68),
               (x - w * 0.35, y + h * 0.68)])], BANG, ow=1.0, xf=xf)
    c.part([P(circle(x, y + h * 0.88, w * 0.62))], BANG, ow=1.0, xf=xf)


def sparkle(c, x, y, r):
    c.part([P(star(x, y, r, r * 0.38))], SPARK, ow=0.8)


def motion_arcs(c, x, y, r, a0, a1):
    for dr in (0.0, 4.0):
        c.ink([L(ell(x, y, r + dr, r + dr, a0=a0, a1=a1, n=12), 1.3)])


def limb(c, pts, width, colour, hand_r=None, hand_at=None, shade=None):
    c.part([L(pts, width)], colour)
    if hand_r:
        hx, hy = hand_at or pts[-1]
        c.part([P(circle(hx, hy, hand_r))], colour, shade=shade,
               shade_off=(1.2, 1.2))


# -------------------------------------------------------------------- faces
def dot_eye(c, x, y, rx, ry, mode, xf=None, look=(0.0, 0.0)):
    """Round black eyes with a sparkle; used by Piro."""
    if mode == 'closed':
        c.ink([L(ell(x, y + 1, rx + 0.8, ry * 0.55, a0=15, a1=165), 1.6)],
              xf=xf)
    elif mode == 'happy':
        c.ink([L(ell(x, y + 2, rx + 1.2, ry * 0.8, a0=200, a1=340), 1.8)],
              xf=xf)
    elif mode == 'wide':
        c.part([P(ell(x, y, rx + 2.2, ry + 1.8))], WHITE, ow=1.1, xf=xf)
        c.ink([P(circle(x, y + 0.5, rx * 0.55))], xf=xf)
    else:
        lx, ly = look
        c.ink([P(ell(x + lx, y + ly, rx, ry))], xf=xf)
        c.ink([P(circle(x + lx + rx * 0.3, y + ly - ry * 0.42, rx * 0.42))],
              WHITE, xf=xf)


# --------------------------------------------------------------------- Piro
PIRO = (255, 184, 72)
PIRO_SH = (240, 140, 46)
PIRO_HI = (255, 214, 140)
PIRO_HAIR = (242, 108, 46)
PIRO_BELLY = (255, 234, 184)
PIRO_SHOE = (196, 78, 62)


def draw_piro(pose):
    eyes, arms, mouth = POSE_TABLE[pose]
    c = Canvas(W, H)
    hcx, hcy = 56.0, 47.0          # head centre
    bcx, bcy = 56.0, 89.0          # body centre

    # arms that sit behind the body
    if arms == 'rest':
        limb(c, [(42, 81), (33, 96)], 7.5, PIRO, 4.6, shade=PIRO_SH)
        limb(c, [(70, 81), (79, 96)], 7.5, PIRO, 4.6, shade=PIRO_SH)
    elif arms == 'move':      # waving
        limb(c, [(42, 81), (33, 96)], 7.5, PIRO, 4.6, shade=PIRO_SH)
        limb(c, [(70, 80), (86, 72), (93, 56)], 7.5, PIRO, 5.0,
             shade=PIRO_SH)
    elif arms == 'raise':
        limb(c, [(42, 80), (27, 72), (20, 58)], 7.5, PIRO, 4.8,
             shade=PIRO_SH)
        limb(c, [(70, 80), (86, 68), (92, 45)], 7.5, PIRO)
    elif arms == 'alarm':
        limb(c, [(42, 80), (26, 76), (17, 64)], 7.5, PIRO, 4.8,
             shade=PIRO_SH)
        limb(c, [(70, 80), (86, 72), (93, 58)], 7.5, PIRO)

    # feet, body, belly
    for x in (46.0, 66.0):
        c.part([P(ell(x, 109, 8.5, 5.2))], PIRO_SHOE,
               shade=shade_of(PIRO_SHOE, 0.8), shade_off=(1.2, 1.5))
    body = c.part([P(ell(bcx, bcy, 19, 17))], PIRO, shade=PIRO_SH)
    c.ink([P(ell(bcx, bcy + 4, 11.5, 10))], PIRO_BELLY, clip=body)

    # hair tuft, then head
    hair_sh = shade_of(PIRO_HAIR, 0.85)
    c.part([P(bezier((44, 28), (36, 20), (38, 12), (45, 11))
              + bezier((45, 11), (45, 17), (49, 22), (56, 26)))],
           PIRO_HAIR, shade=hair_sh, shade_off=(1.2, 1.2))
    c.part([P(bezier((48, 27), (44, 12), (56, 3), (68, 6))
              + bezier((68, 6), (60, 10), (59, 18), (66, 27)))],
           PIRO_HAIR, shade=hair_sh, shade_off=(1.5, 1.5))
    c.part([P(ell(hcx, hcy, 28, 25.5))], PIRO, shade=PIRO_SH,
           shade_off=(3, 3), light=PIRO_HI, light_off=(2, 2))

    # face
    ex = (45.0, 67.0)
    ey = 46.0
    if arms == 'hold':
        # determined brows (kept while blinking), eyes on the watch
        c.ink([L([(39, 36.5), (49, 39)], 2.0)])
        c.ink([L([(63, 39), (73, 36.5)], 2.0)])
    for x in ex:
        dot_eye(c, x, ey, 3.6, 5.2, eyes,
                look=(0.0, 1.2) if eyes == 'focus' else (0.0, 0.0))
    c.ink([P(ell(37, 56, 4.6, 3.0))], CHEEK)
    c.ink([P(ell(75, 56, 4.6, 3.0))], CHEEK)
    if mouth == 'smile':
        m = c.part([P(ell(56, 54, 8, 7, a0=0, a1=180))], MOUTH, ow=0.9)
        c.ink([P(ell(56, 61, 4.6, 3))], TONGUE, clip=m)
    elif mouth == 'big':
        m = c.part([P(ell(56, 53, 10, 10, a0=0, a1=180))], MOUTH, ow=0.9)
        c.ink([P(ell(56, 62, 6, 4))], TONGUE, clip=m)
    elif mouth == 'focus':
        c.ink([L(ell(56, 55, 4.5, 2.2, a0=20, a1=160), 1.6)])
    elif mouth == 'o':
        m = c.part([P(ell(56, 60, 4.6, 5.6))], MOUTH, ow=0.9)
        c.ink([P(ell(56, 64, 3, 2))], TONGUE, clip=m)

    # arms in front of the body and the stopwatch
    if arms == 'hold':
        limb(c, [(40, 80), (36, 88), (44, 94)], 7.5, PIRO)
        limb(c, [(72, 80), (76, 88), (68, 94)], 7.5, PIRO)
        stopwatch(c, 56, 92, 11)
        for x in (44.5, 67.5):
            c.part([P(circle(x, 94, 4.6))], PIRO, shade=PIRO_SH,
                   shade_off=(1.2, 1.2))
    elif arms == 'raise':
        stopwatch(c, 92, 30, 10.5, rot=12)
        c.part([P(circle(91, 44, 4.8))], PIRO, shade=PIRO_SH,
               shade_off=(1.2, 1.2))
        sparkle(c, 76, 14, 5)
        sparkle(c, 106, 47, 3.6)
        sparkle(c, 13, 44, 3.6)
    elif arms == 'alarm':
        stopwatch(c, 95, 44, 10.5, rot=18)
        c.part([P(circle(93, 58, 4.8))], PIRO, shade=PIRO_SH,
               shade_off=(1.2, 1.2))
        ring_lines(c, 95, 44, 10.5)
        bang(c, 16, 8, 20, rot=-12)
        bang(c, 30, 3, 14, rot=-4)
        # sweat drop
        c.part([P(ell(84, 26, 2.6, 3.6)[:] + [(84, 20)])], (140, 200, 255),
               ow=0.9)
    elif arms == 'move':
        motion_arcs(c, 93, 56, 10, -60, 0)
    return c


# ----------------------------------------------------------------------- Zu
ZU = (82, 136, 216)
ZU_SH = (56, 100, 182)
ZU_HI = (140, 182, 240)
ZU_BELLY = (178, 208, 244)
ZU_BAND = (222, 64, 56)
ZU_BAND_SH = (178, 42, 40)
ZU_SHOE = (76, 64, 80)


def draw_zu(pose):
    eyes, arms, mouth = POSE_TABLE[pose]
    c = Canvas(W, H)

    # arms behind the body
    if arms in ('rest', 'move'):
        # fists on the hips: the fists are drawn over the body later
        limb(c, [(33, 68), (15, 80), (29, 91)], 10, ZU)
    if arms == 'rest':
        limb(c, [(80, 68), (98, 80), (84, 91)], 10, ZU)
    elif arms == 'move':
        # flexing: elbow out, fist up beside the head
        limb(c, [(81, 70), (100, 74), (101, 52)], 10, ZU, 6.6, shade=ZU_SH)
    elif arms == 'raise':
        limb(c, [(32, 70), (18, 60), (15, 44)], 10, ZU, 6.4, shade=ZU_SH)
        limb(c, [(81, 70), (96, 60), (97, 42)], 10, ZU)
    elif arms == 'alarm':
        limb(c, [(32, 70), (15, 66), (10, 52)], 10, ZU, 6.4, shade=ZU_SH)
        limb(c, [(81, 70), (98, 68), (97, 57)], 10, ZU)

    # legs, shoes, body
    for x0 in (36.0, 62.0):
        c.part([P(rrect(x0, 96, x0 + 15, 114, 5))], ZU, shade=ZU_SH,
               shade_off=(1.5, 0))
    for x in (43.0, 70.0):
        c.part([P(ell(x, 114, 10.5, 5))], ZU_SHOE,
               shade=shade_of(ZU_SHOE, 0.75), shade_off=(1.2, 1.5))
    body = c.part([P(rrect(27, 58, 86, 106, 17))], ZU, shade=ZU_SH,
                  shade_off=(3, 3))
    c.ink([P(ell(56.5, 88, 18, 15))], ZU_BELLY, clip=body)

    # bandana tails behind the head
    c.part([P([(86, 20), (104, 11), (100, 23)])], ZU_BAND, ow=1.1,
           shade=ZU_BAND_SH, shade_off=(1, 1.5))
    c.part([P([(86, 24), (103, 31), (95, 35)])], ZU_BAND, ow=1.1,
           shade=ZU_BAND_SH, shade_off=(1, 1.5))
    head = c.part([P(rrect(24, 11, 89, 66, 22))], ZU, shade=ZU_SH,
                  shade_off=(3, 3), light=ZU_HI, light_off=(2, 2))
    band_edge = bezier((20, 31), (56, 27), (94, 25))
    band = c.ink([P([(18, 0), (96, 0)] + band_edge[::-1])], ZU_BAND,
                 clip=head)
    for x, y in ((34, 19), (48, 16), (62, 15), (76, 17), (41, 25),
                 (69, 23), (55, 22)):
        c.ink([P(circle(x, y, 1.4))], (255, 236, 236), clip=band)
    c.ink([L(band_edge, 1.3)], clip=head)
    c.part([P(circle(88, 22, 4.2))], ZU_BAND, ow=1.1, shade=ZU_BAND_SH,
           shade_off=(1, 1))
    # ears
    for x in (23.0, 90.0):
        c.part([P(ell(x, 44, 4.5, 6))], ZU, shade=ZU_SH, shade_off=(1, 1))

    # brows: thick, confident; eyes
    if eyes == 'wide':
        c.ink([L(bezier((34, 31), (40, 27), (48, 31)), 3.0)])
        c.ink([L(bezier((64, 31), (72, 27), (78, 31)), 3.0)])
    else:
        c.ink([L([(34, 34), (48, 37)], 3.4)])
        c.ink([L([(64, 37), (78, 34)], 3.4)])
    for x in (42.0, 70.0):
        if eyes == 'closed':
            c.ink([L([(x - 5, 43), (x + 5, 43)], 1.8)])
        elif eyes == 'happy':
            c.ink([L(ell(x, 45, 5.5, 4, a0=200, a1=340), 2.0)])
        elif eyes == 'wide':
            c.part([P(ell(x, 42, 6.2, 6.8))], WHITE, ow=1.1)
            c.ink([P(circle(x, 43, 2.2))])
        else:
            dy = 1.0 if eyes == 'focus' else 0.0
            # half-lidded: a flat top makes the cool look
            c.ink([P(ell(x, 41 + dy, 4.6, 5.2, a0=-12, a1=192))])
            c.ink([P(circle(x + 1.6, 43 + dy, 1.5))], WHITE)
    # nose
    c.part([P(ell(56, 47, 3.4, 2.4))], shade_of(ZU, 0.8), ow=0.8)
    # mouth
    if mouth in ('smile', 'focus'):
        xf = rotate_about(58, 53, -8)
        c.part([P(ell(58, 53, 11, 6, a0=0, a1=180))], WHITE, ow=1.0, xf=xf)
        c.ink([L([(53.5, 53), (53.5, 58)], 0.8)], xf=xf)
        c.ink([L([(62.5, 53), (62.5, 58)], 0.8)], xf=xf)
        if mouth == 'focus':
            c.ink([L([(44, 52), (47, 54)], 1.4)])
    elif mouth == 'big':
        m = c.part([P(ell(57, 52, 13, 10, a0=0, a1=180))], MOUTH, ow=1.0)
        c.ink([P(rrect(44, 50, 70, 55, 2))], WHITE, clip=m)
        c.ink([P(ell(57, 62, 7, 4))], TONGUE, clip=m)
    elif mouth == 'o':
        m = c.part([P(ell(57, 57, 6, 6.8))], MOUTH, ow=1.0)
        c.ink([P(ell(57, 62, 4, 2.5))], TONGUE, clip=m)

    # fists, arms in front and the stopwatch
    if arms in ('rest', 'move'):
        c.part([P(circle(28.5, 90, 6.4))], ZU, shade=ZU_SH,
               shade_off=(1.3, 1.3))
    if arms == 'rest':
        c.part([P(circle(84.5, 90, 6.4))], ZU, shade=ZU_SH,
               shade_off=(1.3, 1.3))
    if arms == 'hold':
        limb(c, [(30, 70), (24, 84), (43, 92)], 10, ZU)
        limb(c, [(83, 70), (89, 84), (70, 92)], 10, ZU)
        stopwatch(c, 56.5, 89, 12.5)
        for x in (43.0, 70.0):
            c.part([P(circle(x, 92, 6.2))], ZU, shade=ZU_SH,
                   shade_off=(1.3, 1.3))
    elif arms == 'raise':
        stopwatch(c, 97, 26, 11.5, rot=10)
        c.part([P(circle(96, 41, 6.4))], ZU, shade=ZU_SH,
               shade_off=(1.3, 1.3))
        sparkle(c, 13, 22, 5)
        sparkle(c, 80, 4, 3.8)
    elif arms == 'alarm':
        stopwatch(c, 95, 42, 10.5, rot=-16)
        c.part([P(circle(97, 55, 6.4))], ZU, shade=ZU_SH,
               shade_off=(1.3, 1.3))
        ring_lines(c, 95, 42, 10.5, gap=3.0)
        bang(c, 12, 7, 20, rot=-12)
        bang(c, 25, 2, 13, rot=-4)
    elif arms == 'move':
        sparkle(c, 106, 36, 4.2)
        sparkle(c, 108, 62, 3.0)
    return c


# ------------------------------------------------------------------ Tavrick
TAV = (128, 210, 168)
TAV_SH = (88, 172, 132)
TAV_HI = (182, 236, 206)
TAV_BELLY = (214, 246, 226)
TAV_EAR = (255, 182, 200)
TAV_EYE = (44, 52, 92)


def draw_tavrick(pose):
    eyes, arms, mouth = POSE_TABLE[pose]
    c = Canvas(W, H)
    pivot = (56.0, 84.0)
    tilt = {'2': 0.0, '0b': -18.0}.get(pose, -11.0)
    xf = rotate_about(pivot[0], pivot[1], tilt)

    # tail
    c.part([L(bezier((64, 106), (86, 110), (92, 92), (84, 84)), 5.0)], TAV,
           shade=TAV_SH, shade_off=(1, 1))
    c.part([P(circle(84, 84, 3.6))], TAV)

    # arms behind the body
    if arms == 'rest':
        limb(c, [(46, 93), (41, 103)], 5.5, TAV, 3.5, shade=TAV_SH)
        limb(c, [(66, 93), (71, 103)], 5.5, TAV, 3.5, shade=TAV_SH)
    elif arms == 'move':
        limb(c, [(46, 93), (41, 103)], 5.5, TAV, 3.5, shade=TAV_SH)
        limb(c, [(66, 93), (77, 88), (82, 78)], 5.5, TAV, 3.8, shade=TAV_SH)
    elif arms == 'raise':
        limb(c, [(46, 93), (36, 90), (31, 81)], 5.5, TAV, 3.6, shade=TAV_SH)
        limb(c, [(66, 93), (78, 88), (86, 78)], 5.5, TAV)
    elif arms == 'alarm':
        limb(c, [(46, 93), (35, 88), (28, 79)], 5.5, TAV, 3.6, shade=TAV_SH)
        limb(c, [(66, 93), (80, 90), (88, 82)], 5.5, TAV)

    # feet, body
    for x in (48.0, 64.0):
        c.part([P(ell(x, 113, 6.5, 4.2))], TAV, shade=TAV_SH,
               shade_off=(1, 1.2))
    body = c.part([P(ell(56, 99, 14, 14))], TAV, shade=TAV_SH)
    c.ink([P(ell(56, 103, 8.5, 8.5))], TAV_BELLY, clip=body)

    # antenna and ears behind the head (they tilt with it)
    if pose == '2':
        ant = [(56, 44), (56, 30), (57, 20)]
        bulb = (57, 16)
    else:
        ant = bezier((56, 44), (55, 30), (64, 26))
        bulb = (66, 24)
    c.ink([L(ant, 3.6)], xf=xf)
    c.ink([L(ant, 1.4)], shade_of(TAV, 0.8), xf=xf)
    c.part([P(circle(bulb[0], bulb[1], 4.6))], SPARK, xf=xf,
           shade=(232, 168, 40), shade_off=(1, 1), light=(255, 246, 190),
           light_off=(1, 1))
    ear_rot = 0.0 if pose == '2' else 12.0
    for side in (-1, 1):
        ex, ey = 56 + side * 22, 48
        rot = side * (32 - ear_rot)
        c.part([P(ell(ex, ey - 4, 9.5, 17, rot=rot))], TAV, xf=xf,
               shade=TAV_SH, shade_off=(1.5, 1.5))
        c.ink([P(ell(ex, ey - 3, 5.5, 12, rot=rot))], TAV_EAR, xf=xf)
    c.part([P(ell(56, 63, 24, 21))], TAV, xf=xf, shade=TAV_SH,
           shade_off=(3, 3), light=TAV_HI, light_off=(2, 2))

    # face (tilted with the head)
    for x in (46.0, 66.0):
        if eyes == 'closed':
            c.ink([L(ell(x, 63, 6.2, 3.4, a0=15, a1=165), 1.7)], xf=xf)
        elif eyes == 'happy':
            c.ink([L(ell(x, 66, 6, 5, a0=200, a1=340), 1.9)], xf=xf)
        else:
            c.part([P(ell(x, 62, 7.2, 8.2))], WHITE, ow=1.0, xf=xf)
            if eyes == 'wide':
                c.ink([P(circle(x, 62, 2.6))], TAV_EYE, xf=xf)
                c.ink([P(circle(x + 0.8, 61, 0.9))], WHITE, xf=xf)
            else:
                dy = 1.8 if eyes == 'focus' else 0.6
                c.ink([P(ell(x + 0.6, 62 + dy, 5.0, 6.0))], TAV_EYE, xf=xf)
                c.ink([P(circle(x - 1.2, 60 + dy, 2.1))], WHITE, xf=xf)
                c.ink([P(circle(x + 2.4, 65 + dy, 0.9))], WHITE, xf=xf)
    c.ink([P(ell(39, 71, 3.5, 2.2))], CHEEK, xf=xf)
    c.ink([P(ell(73, 71, 3.5, 2.2))], CHEEK, xf=xf)
    if mouth == 'smile':
        c.ink([L(ell(53.2, 72, 2.8, 2.2, a0=10, a1=170), 1.3)], xf=xf)
        c.ink([L(ell(58.8, 72, 2.8, 2.2, a0=10, a1=170), 1.3)], xf=xf)
    elif mouth == 'focus':
        c.ink([L([(53.5, 73.5), (58.5, 73.5)], 1.4)], xf=xf)
    elif mouth == 'big':
        m = c.part([P(ell(56, 72, 5.5, 5, a0=0, a1=180))], MOUTH, ow=0.8,
                   xf=xf)
        c.ink([P(ell(56, 76.5, 3, 2))], TONGUE, xf=xf, clip=m)
    elif mouth == 'o':
        c.part([P(ell(56, 75, 3, 3.6))], MOUTH, ow=0.8, xf=xf)

    # arms in front and the stopwatch
    if arms == 'hold':
        limb(c, [(45, 92), (42, 99), (48, 104)], 5.5, TAV)
        limb(c, [(67, 92), (70, 99), (64, 104)], 5.5, TAV)
        stopwatch(c, 56, 101, 9)
        for x in (47.5, 64.5):
            c.part([P(circle(x, 104, 3.6))], TAV, shade=TAV_SH,
                   shade_off=(1, 1))
    elif arms == 'raise':
        stopwatch(c, 88, 66, 9.5, rot=14)
        c.part([P(circle(87, 78, 3.8))], TAV, shade=TAV_SH,
               shade_off=(1, 1))
        sparkle(c, 100, 50, 4.5)
        sparkle(c, 20, 64, 3.4)
    elif arms == 'alarm':
        stopwatch(c, 92, 70, 9.5, rot=-16)
        c.part([P(circle(89, 82, 3.8))], TAV, shade=TAV_SH,
               shade_off=(1, 1))
        ring_lines(c, 92, 70, 9.5)
        bang(c, 18, 24, 18, rot=-12)
        bang(c, 31, 18, 12, rot=-4)
        # the antenna bulb flashes
        for a in (-150, -110, -70, -30):
            p0 = ell(57, 16, 7, 7, a0=a, a1=a, n=1)[0]
            p1 = ell(57, 16, 11, 11, a0=a, a1=a, n=1)[0]
            c.ink([L([p0, p1], 1.4)], (232, 150, 30))
    elif arms == 'move':
        motion_arcs(c, 82, 78, 8, -70, -10)
    return c


DRAW = {'piro': draw_piro, 'zu': draw_zu, 'tavrick': draw_tavrick}


def render(name, pose):
    """Final 113x121 RGBA image of one character pose."""
    return DRAW[name](pose).reduced()


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'assets',
                                                      'gif')
    os.makedirs(out, exist_ok=True)
    for name in NAMES:
        matted = [matte(render(name, pose), MATTE) for pose in POSES]
        palette = shared_palette([rgb for rgb, _ in matted])
        for pose, (rgb, hole) in zip(POSES, matted):
            img, tindex = to_palette(rgb, hole, palette, MATTE)
            path = os.path.join(out, '%s%s.gif' % (name, pose))
            img.save(path, transparency=tindex, optimize=False,
                     interlace=False)
    print('wrote %d character images to %s'
          % (len(NAMES) * len(POSES), os.path.normpath(out)))


if __name__ == '__main__':
    main(sys.argv)
