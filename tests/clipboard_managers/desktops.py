"""The clipboard managers that our Linux users run, each started on a display
of its own the way its desktop starts it, and read back through its own
interface.

Every desktop lives in a fresh home folder and a process group of its own,
so that closing it ends the manager, its session bus and whatever the bus
started for it."""
import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time

from cli_terminal_test import close_pipes, wait_for
from x_server import start_xvfb

# No portal and no accessibility bus: the managers do not need them, and
# what a bus starts on their behalf must not outlive the desktop.
QUIET = {"NO_AT_BRIDGE": "1", "GTK_USE_PORTAL": "0", "GSETTINGS_BACKEND": "memory"}

# One display comes up at a time: Xvfb and mutter's Xwayland each pick a
# free display number, and mutter on X11 was once seen unable to open the
# display that Xvfb had just announced while others were being chosen.
DISPLAY_START = threading.Lock()


class Desktop:
    """A display with one clipboard manager (or none) on it."""

    name = "none"
    keeps_history = False

    def __init__(self, base_env):
        self.home = tempfile.mkdtemp(prefix="tarnwell-desktop-")
        runtime = os.path.join(self.home, "run")
        os.mkdir(runtime, 0o700)
        self.env = dict(base_env, HOME=self.home, XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"), **QUIET)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.groups = []  # process groups that end with the desktop
        self.log = open(os.path.join(self.home, "desktop.log"), "wb")

    def spawn(self, args, **kwargs):
        process = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=kwargs.pop("stdout", self.log), stderr=self.log,
                                   start_new_session=True, **kwargs)
        self.groups.append(process)
        return process

    def log_tail(self):
        """The end of what the display and the manager said, for a failure."""
        self.log.flush()
        return read_file(self.log.name)[-3000:].decode(errors="replace")

    def start(self):
        with DISPLAY_START:
            self.start_display()
            assert wait_for(self.display_opens, timeout=60), \
                "cannot open " + self.env.get("DISPLAY", "no display")
        self.start_manager()

    def display_opens(self):
        # With the desktop's own key to it, which Xwayland asks for.
        return subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30).returncode == 0

    def start_display(self):
        _, self.env["DISPLAY"] = start_xvfb("640x480x24", spawn=self.spawn)

    def start_manager(self):
        pass

    def read(self, target="UTF8_STRING"):
        """The clipboard's content for `target`, or None when nobody serves
        it, or when its owner does not answer within a few seconds, which
        to a user pasting is the same."""
        try:
            result = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", target],
                                    capture_output=True, env=self.env, timeout=5)
        except subprocess.TimeoutExpired:
            return None
        return result.stdout if result.returncode == 0 else None

    @staticmethod
    def xlib():
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XGetSelectionOwner.restype = ctypes.c_ulong
        xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        return xlib

    def selection_has_owner(self, name):
        """Whether some X client owns the selection `name`: how a manager
        announces itself (ICCCM's CLIPBOARD_MANAGER)."""
        xlib = self.xlib()
        display = xlib.XOpenDisplay(self.env["DISPLAY"].encode())
        assert display, "cannot open " + self.env["DISPLAY"]
        try:
            return xlib.XGetSelectionOwner(display, xlib.XInternAtom(display, name.encode(), 0)) != 0
        finally:
            xlib.XCloseDisplay(display)

    def copy_with_xclip(self, text, seen):
        """A plain X program's copy of `text`, held until `seen()` says the
        manager has it, and then ended, as a program that quits."""
        owner = subprocess.Popen(["xclip", "-i", "-quiet", "-selection", "clipboard"],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, env=self.env)
        owner.stdin.write(text)
        owner.stdin.close()
        try:
            assert wait_for(seen, timeout=60), self.name + " never saw a copy"
        finally:
            owner.kill()
            owner.wait()

    def history(self):
        """Everything the manager keeps in its history, as bytes."""
        return b""

    def close(self):
        for process in reversed(self.groups):
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for process in reversed(self.groups):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
            try:  # what the group leader left behind
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            close_pipes(process)
        self.log.close()
        # The document portal, which the session bus starts for some
        # managers, leaves its file system mounted in the runtime folder,
        # where a mount whose server has gone cannot even be looked at.
        with open("/proc/self/mounts") as mounts:
            for line in mounts:
                point = line.split()[1]
                if point.startswith(self.home + "/"):
                    subprocess.run(["fusermount3", "-u", "-z", point], check=False)
        shutil.rmtree(self.home, ignore_errors=True)


class MutterX11(Desktop):
    """GNOME on X11: mutter is the window manager, and keeps a copy of every
    clipboard owner's text to serve once the owner is gone."""

    name = "mutter (X11)"

    def start_manager(self):
        self.spawn(["dbus-run-session", "--", "mutter", "--x11", "--replace", "--sm-disable"])
        # The window manager announces itself by its selection for the screen.
        # Its clipboard manager is ready by the time it has announced itself
        # as the window manager, by its selection for the screen.
        assert wait_for(lambda: self.selection_has_owner("WM_S0"), timeout=120), \
            "mutter never took the screen"


class MutterWayland(Desktop):
    """GNOME on Wayland: mutter as a headless compositor, with our X clients
    going through its Xwayland. mutter starts the given command with DISPLAY
    set to that Xwayland."""

    name = "mutter (Wayland, Xwayland)"

    def start_display(self):
        # mutter closes the descriptors it does not know, so the display
        # and the key to it come back in a file.
        path = os.path.join(self.home, "display")
        self.spawn(["dbus-run-session", "--", "mutter", "--wayland", "--headless",
                    "--virtual-monitor", "640x480", "--", "sh", "-c",
                    'printf "%s\\n%s\\n" "$DISPLAY" "$XAUTHORITY" >"$0.new" && mv "$0.new" "$0" '
                    '&& exec sleep infinity', path])
        assert wait_for(lambda: os.path.exists(path), timeout=120), "mutter never started"
        display, authority = read_file(path).decode().split("\n")[:2]
        self.env.update(DISPLAY=display, XAUTHORITY=authority)


class CopyQ(Desktop):
    """CopyQ, read through its own command line."""

    name = "CopyQ"
    keeps_history = True

    def start_manager(self):
        # With a session bus of its own, as a desktop session gives it; else
        # it starts one that outlives it.
        self.env["COPYQ_LOG_LEVEL"] = "DEBUG"
        self.spawn(["dbus-run-session", "--", "copyq"])
        # A copy made before its clipboard monitor has looked at the
        # clipboard is never seen; the monitor says so in its log.
        log = os.path.join(self.env["XDG_DATA_HOME"], "copyq", "copyq", "copyq.log")
        assert wait_for(lambda: b"Ignoring unchanged clipboard" in read_file(log), timeout=60), \
            "CopyQ never came up"
        self.copy_with_xclip(b"probe CopyQ", lambda: b"probe CopyQ" in self.history())

    def history(self):
        result = subprocess.run(
            ["copyq", "eval", "--",
             "var t = ''; for (var i = 0; i < size(); i++) t += str(read(i)) + '\\n'; t"],
            capture_output=True, env=self.env, timeout=30)
        return result.stdout if result.returncode == 0 else b""


class Parcellite(Desktop):
    """Parcellite, which writes its history file at every change."""

    name = "Parcellite"
    keeps_history = True

    def start_manager(self):
        self.spawn(["parcellite", "-n"])
        self.copy_with_xclip(b"probe Parcellite", lambda: b"probe Parcellite" in self.history())

    def history(self):
        return read_file(os.path.join(self.env["XDG_DATA_HOME"], "parcellite", "history"))


class XfceClipman(Desktop):
    """Xfce's clipboard manager, with its settings daemon on a session bus.
    It writes its history file when it ends."""

    name = "xfce4-clipman"
    keeps_history = True

    def start_manager(self):
        self.clipman = self.spawn(["dbus-run-session", "--", "xfce4-clipman"])
        # Its daemon announces itself by the clipboard manager's selection.
        assert wait_for(lambda: self.selection_has_owner("CLIPBOARD_MANAGER"), timeout=120), \
            "xfce4-clipman never took CLIPBOARD_MANAGER"

    def history(self):
        if self.clipman.poll() is None:
            os.killpg(self.clipman.pid, signal.SIGTERM)
            self.clipman.wait(timeout=30)
        return read_file(os.path.join(self.env["XDG_CACHE_HOME"], "xfce4", "clipman", "textsrc"))


def read_file(path):
    try:
        with open(path, "rb") as file:
            return file.read()
    except FileNotFoundError:
        return b""


DESKTOPS = [MutterX11, MutterWayland, CopyQ, Parcellite, XfceClipman]


def settle():
    """How long a manager is given to take over a clipboard whose owner has
    gone, where the test expects it not to."""
    time.sleep(2)
