#!/usr/bin/python3
"""GNOME's own terminal as a paste target, with the protocol of WaylandTextFieldChild: "focused"
when the terminal window gets the keyboard focus, "text <contents>" whenever what was typed or
pasted into it grows. This process opens the terminal with itself inside (--inside FILE), which
reads the terminal's input raw and writes its reports to FILE; out here they are passed on."""
import os
import subprocess
import sys
import termios
import time
import tty


def inside(report_path):
    report = open(report_path, "w", encoding="utf-8", buffering=1)
    old = termios.tcgetattr(0)
    tty.setraw(0)
    # Focus reporting: the terminal sends ESC [ I when its window gets the focus.
    os.write(1, b"\x1b[?1004h")
    pending = b""
    text = b""
    try:
        while True:
            pending += os.read(0, 4096)
            while pending:
                if pending.startswith(b"\x1b[I"):
                    report.write("focused\n")
                    pending = pending[3:]
                elif pending.startswith(b"\x1b[O"):
                    pending = pending[3:]
                elif pending.startswith(b"\x1b") and len(pending) < 3:
                    break  # the rest of a focus report is on its way
                else:
                    text += pending[:1]
                    pending = pending[1:]
                    try:
                        report.write("text " + text.decode("utf-8") + "\n")
                    except UnicodeDecodeError:
                        pass  # the rest of a character is on its way
    finally:
        termios.tcsetattr(0, termios.TCSADRAIN, old)


def outside():
    report_path = "/tmp/quillo-terminal-field.%d" % os.getpid()
    open(report_path, "w").close()
    environment = dict(os.environ, LANG="C.UTF-8")  # the terminal refuses other locales
    terminal = subprocess.Popen(
        ["gnome-terminal", "--wait", "--", sys.executable, os.path.abspath(__file__), "--inside",
         report_path], env=environment)
    with open(report_path, encoding="utf-8") as report:
        while terminal.poll() is None:
            line = report.readline()
            if line:
                print(line.rstrip("\n"), flush=True)
            else:
                time.sleep(0.01)
    os.unlink(report_path)


if len(sys.argv) == 3 and sys.argv[1] == "--inside":
    inside(sys.argv[2])
else:
    outside()
