"""The Xvfb display that a test starts for itself.

Xvfb picks a free display number (-displayfd) and listens only on the
abstract socket, which libxcb, and so every X client here, tries first.
It makes no socket file in /tmp/.X11-unix, and so has none that another
program could remove. GNOME's mutter, when its Wayland session ends, removes
the socket files of the display numbers its Xwayland had, after Xwayland has
already let those numbers go; an Xvfb that took one in between lost its
file. At its next reset, when its last client had left, such an Xvfb made
the file anew and then left the next client unanswered, or refused it.

It never resets (-noreset), as the X server of a desktop session, whose
window manager and session stay connected, never does. An Xvfb resets when
its last client leaves, and closes down every connection it has at that
moment, the one still being set up among them: a manager started just
after the readiness check (xdpyinfo) had left was seen to fail with
"cannot open display", while later clients connected."""
import os
import subprocess

from cli_terminal_test import read_until


def start_xvfb(screen, spawn=subprocess.Popen, **kwargs):
    """Starts Xvfb with one screen of `screen` ("WxHxD") through `spawn`;
    returns the process and its display name (":N")."""
    read_end, write_end = os.pipe()
    try:
        server = spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                        "-nolisten", "tcp", "-nolisten", "unix", "-noreset"], pass_fds=(write_end,), **kwargs)
    finally:
        os.close(write_end)
    try:
        number = read_until(read_end, b"\n", timeout=30).strip().decode()
    finally:
        os.close(read_end)
    return server, ":" + number
