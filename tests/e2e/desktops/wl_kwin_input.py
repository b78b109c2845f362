#!/usr/bin/env python3
"""KWin's fake input (org_kde_kwin_fake_input), without libraries.

usage: wl_kwin_input.py type TEXT [MS] | keys NAME... | click X Y [left|right]
KWin hands the interface only to a program a desktop file names with
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input (the test writes one for python3).
"""
import os
import socket
import struct
import sys
import time

# Linux input event codes.
KEYS = {c: code for c, code in zip("qwertyuiop", range(16, 26))}
KEYS.update({c: code for c, code in zip("asdfghjkl", range(30, 39))})
KEYS.update({c: code for c, code in zip("zxcvbnm", range(44, 51))})
KEYS.update({" ": 57, "space": 57, "Tab": 15, "Right": 106, "Escape": 1, "Return": 28, "F20": 190})

s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
buf = b""
next_id = [3]


def wstr(t):
    b = t.encode() + b"\0"
    return struct.pack("<I", len(b)) + b + b"\0" * ((4 - len(b) % 4) % 4)


def send(obj, op, payload=b""):
    s.sendall(struct.pack("<II", obj, ((8 + len(payload)) << 16) | op) + payload)


def roundtrip():
    global buf
    callback = next_id[0]
    next_id[0] += 1
    send(1, 0, struct.pack("<I", callback))
    out = []
    while True:
        while len(buf) >= 8:
            obj, so = struct.unpack("<II", buf[:8])
            size = so >> 16
            if len(buf) < size:
                break
            msg, buf = buf[8:size], buf[size:]
            out.append((obj, so & 0xFFFF, msg))
            if obj == 1 and (so & 0xFFFF) == 0:
                sys.exit("wayland error: " + msg[12:].split(b"\0")[0].decode())
            if obj == callback:
                return out
        buf += s.recv(65536)


send(1, 1, struct.pack("<I", 2))
globs = {}
for obj, op, msg in roundtrip():
    if obj == 2 and op == 0:
        name, length = struct.unpack("<II", msg[:8])
        globs[msg[8:8 + length - 1].decode()] = name
if "org_kde_kwin_fake_input" not in globs:
    sys.exit("KWin did not grant org_kde_kwin_fake_input (no desktop file for this program?)")
fake = next_id[0]
next_id[0] += 1
send(2, 0, struct.pack("<I", globs["org_kde_kwin_fake_input"]) + wstr("org_kde_kwin_fake_input") +
     struct.pack("<II", 4, fake))
send(fake, 0, wstr("lumiroka tests") + wstr("a person's input"))  # authenticate
roundtrip()


def key(code):
    send(fake, 10, struct.pack("<II", code, 1))
    roundtrip()
    send(fake, 10, struct.pack("<II", code, 0))
    roundtrip()


command = sys.argv[1]
if command == "type":
    pause = float(sys.argv[3]) / 1000 if len(sys.argv) > 3 else 0.1
    for ch in sys.argv[2]:
        key(KEYS[ch])
        time.sleep(pause)
elif command == "keys":
    for name in sys.argv[2:]:
        key(KEYS[name])
        time.sleep(0.05)
elif command == "click":
    x, y = int(sys.argv[2]), int(sys.argv[3])
    button = {"left": 0x110, "right": 0x111}[sys.argv[4] if len(sys.argv) > 4 else "left"]
    send(fake, 9, struct.pack("<ii", x * 256, y * 256))  # pointer_motion_absolute (fixed)
    roundtrip()
    time.sleep(0.1)
    send(fake, 2, struct.pack("<II", button, 1))
    roundtrip()
    time.sleep(0.05)
    send(fake, 2, struct.pack("<II", button, 0))
    roundtrip()
