#!/usr/bin/python3
"""Listens on the accessibility bus as a screen reader does and prints each object that
appears ("object:state-changed:showing") as ROLE<TAB>NAME, until SECONDS have passed or an
object of role STOP_ROLE was seen. Prints READY once listening.

usage: atspi_listen.py SECONDS [STOP_ROLE]
Needs python3-gi and gir1.2-atspi-2.0."""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

seconds = int(sys.argv[1])
stop_role = sys.argv[2] if len(sys.argv) > 2 else None


def shown(event):
    if not event.detail1:
        return
    role = event.source.get_role_name()
    print(f"{role}\t{event.source.get_name()}", flush=True)
    if role == stop_role:
        Atspi.event_quit()


listener = Atspi.EventListener.new(shown)
listener.register("object:state-changed:showing")
GLib.timeout_add_seconds(seconds, Atspi.event_quit)
print("READY", flush=True)
Atspi.event_main()
