#!/usr/bin/python3
"""Another program a person types in: a GTK window with one editable text area.

usage: typing_target.py OUTPUT_FILE [TITLE]

Writes the whole text to OUTPUT_FILE at every change, so a test can compare what was
typed with what arrived. GTK stamps each key press as the window's latest user time
(_NET_WM_USER_TIME), as editors and terminals do: the window managers' focus-stealing
prevention sees a person at work there.
"""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def main():
    out = sys.argv[1]
    window = Gtk.Window(title=sys.argv[2] if len(sys.argv) > 2 else "typing target")
    window.set_wmclass("typing-target", "TypingTarget")
    window.set_default_size(460, 360)
    view = Gtk.TextView()
    view.set_wrap_mode(Gtk.WrapMode.CHAR)
    buffer = view.get_buffer()

    def save(_buffer):
        text = buffer.get_text(buffer.get_start_iter(), buffer.get_end_iter(), True)
        tmp = out + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(tmp, out)

    buffer.connect("changed", save)
    save(buffer)
    window.add(view)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    view.grab_focus()
    Gtk.main()


if __name__ == "__main__":
    main()
