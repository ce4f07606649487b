#!/usr/bin/python3
"""A native Wayland GTK 3 text field in a process of its own, as a paste target, with the
protocol of WaylandTextFieldChild: "shown" once the window is up, "focused" when the field gets
the keyboard focus, "text <contents>" whenever its text changes; "unfocused" when the focus goes
elsewhere, which tells a key that never came from one sent to another window."""
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

Gdk.set_allowed_backends("wayland")
window = Gtk.Window(title=sys.argv[1] if len(sys.argv) > 1 else "Quillo GTK paste target")
window.set_default_size(400, 40)
field = Gtk.Entry()
window.add(field)
field.connect("changed", lambda entry: print("text", entry.get_text(), flush=True))
window.connect("focus-in-event", lambda *_: print("focused", flush=True) or False)
window.connect("focus-out-event", lambda *_: print("unfocused", flush=True) or False)
window.connect("destroy", Gtk.main_quit)
window.show_all()
print("shown", flush=True)
Gtk.main()
