#!/usr/bin/env python3
"""A click through a wlroots virtual pointer (sway), without libraries.

usage: wl_pointer.py X Y [left|right|none] -- moves to X,Y of a 1280x800 output and clicks.
"""
import os
import socket
import struct
import sys
import time

x, y = int(sys.argv[1]), int(sys.argv[2])
button = sys.argv[3] if len(sys.argv) > 3 else "left"
W, H = 1280, 800
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
buf = b""


def wstr(t):
    b = t.encode() + b"\0"
    return struct.pack("<I", len(b)) + b + b"\0" * ((4 - len(b) % 4) % 4)


def send(obj, op, payload=b""):
    s.sendall(struct.pack("<II", obj, ((8 + len(payload)) << 16) | op) + payload)


def events_until(callback):
    global buf
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


send(1, 1, struct.pack("<I", 2))  # wl_display.get_registry -> 2
send(1, 0, struct.pack("<I", 3))  # sync -> 3
globs = {}
for obj, op, msg in events_until(3):
    if obj == 2 and op == 0:
        name, length = struct.unpack("<II", msg[:8])
        globs[msg[8:8 + length - 1].decode()] = name


def bind(interface, version, new_id):
    send(2, 0, struct.pack("<I", globs[interface]) + wstr(interface) + struct.pack("<II", version, new_id))


bind("wl_seat", 1, 4)
bind("zwlr_virtual_pointer_manager_v1", 1, 5)
send(5, 0, struct.pack("<II", 4, 6))  # create_virtual_pointer(seat) -> 6
now = lambda: int(time.monotonic() * 1000) & 0xFFFFFFFF  # noqa: E731
send(6, 1, struct.pack("<IIIII", now(), x, y, W, H))  # motion_absolute
send(6, 4)  # frame
send(1, 0, struct.pack("<I", 7))
events_until(7)
time.sleep(0.15)
if button != "none":
    code = {"left": 0x110, "right": 0x111}[button]
    send(6, 2, struct.pack("<III", now(), code, 1))
    send(6, 4)
    time.sleep(0.08)
    send(6, 2, struct.pack("<III", now(), code, 0))
    send(6, 4)
send(1, 0, struct.pack("<I", 8))
events_until(8)
time.sleep(0.1)
send(6, 8)  # destroy
send(1, 0, struct.pack("<I", 9))
events_until(9)
