#!/usr/bin/env python3
"""What happens to a copied password under the clipboard managers that our
Linux users run: for each manager and each way of copying, whether the
password can still be pasted after the program has let go (its 30-second
clear, Ctrl+C or for the window program its closing, SIGKILL), and whether
it entered the manager's history.

Each manager and copy path gets a display of its own (desktops.py), so
that all of them run side by side and their 30-second waits overlap. The
Wine programs get a Wine prefix of their own for each display, since Wine's
clipboard is the X clipboard of the display its prefix started on.

    clipboard_managers_test.py --vectors tests/vectors/passwords.tsv
        --cli build/.../tarnwell-cli --wine-run cmake/wine-run.sh
        --windows-cli build/windows/.../tarnwell-cli.exe
        --wine-prefix build/windows/wineprefix
        --window-program build/windows/.../TarnwellPasswordGenerator.exe
        --window-copy build/windows/.../window_copy.exe
"""
import argparse
import concurrent.futures
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "cli"))
sys.path.insert(0, HERE)
from cli_program_test import ENVIRONMENT, load_vectors, options_for  # noqa: E402
from cli_terminal_test import read_until, wait_for  # noqa: E402
from desktops import DESKTOPS, Desktop  # noqa: E402

ARGS = argparse.Namespace()
VECTORS = {}

COPIED = b"Copied to the clipboard; it will be cleared in 30 s."
REMOVED = b"The password was removed from the clipboard."
MAY_STILL_BE_THERE = b"it may still be there."
HINT = "x-kde-passwordManagerHint"
# How long a password is on the clipboard before Ctrl+C or SIGKILL.
HOLD_SECONDS = 5

# One password for each ending, so that the history tells them apart.
ENDINGS = [("Ctrl+C", "swapped"), ("SIGKILL", "boundary-moved"), ("30 s clear", "default")]


class CopyPath:
    """One way of copying: a program that is started with `--copy`, fed
    its keywords, and ended in one of the ENDINGS."""

    name = ""

    def prepare(self, desktop):
        pass

    def command(self):
        raise NotImplementedError

    def finish(self, desktop):
        pass

    def copy(self, desktop, v, paste=True):
        """Starts a copy of `v`'s password. The user then pastes it, unless
        `paste` is false, in which case this returns as soon as some
        program owns the clipboard, without asking it for anything."""
        process = subprocess.Popen(self.command() + ["--copy"] + options_for(v),
                                   stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, env=desktop.env,
                                   start_new_session=True)
        desktop.groups.append(process)
        process.stdin.write(v["k1"] + b"\n" + v["k2"] + b"\n")
        process.stdin.close()
        self.stderr = read_until(process.stderr.fileno(), COPIED, timeout=120)
        if not paste:
            # Wine hands the clipboard to X a moment after the copy.
            assert wait_for(lambda: desktop.selection_has_owner("CLIPBOARD"), timeout=30), \
                "nobody took the clipboard"
            return process
        # The user pastes it, and the manager has had a few seconds with it
        # by the time the program is stopped.
        assert wait_for(lambda: desktop.read() == v["password"].encode(), timeout=30), \
            "the password never reached the clipboard"
        return process

    def end(self, desktop, process, ending):
        """Ends the copy as `ending` says; returns when the program is gone."""
        if ending != "30 s clear":
            time.sleep(HOLD_SECONDS)
        if ending == "Ctrl+C":
            process.send_signal(signal.SIGINT)
        elif ending == "SIGKILL":
            os.killpg(process.pid, signal.SIGKILL)
        self.stderr += read_until(process.stderr.fileno(), None, timeout=60) \
            if ending == "SIGKILL" else read_until(process.stderr.fileno(), REMOVED, timeout=60)
        process.wait(timeout=60)
        process.stderr.close()


class Native(CopyPath):
    name = "tarnwell-cli"

    def command(self):
        return [ARGS.cli]


class WineCli(CopyPath):
    """tarnwell-cli.exe under Wine, in a prefix of its own: a copy of the
    build's prefix whose files are links to the build's, all but the
    registry, which Wine writes anew."""

    name = "tarnwell-cli.exe (Wine)"
    prefix = None

    def prepare(self, desktop):
        self.prefix = os.path.join(tempfile.mkdtemp(prefix="tarnwell-prefix-"), "prefix")
        subprocess.run(["cp", "-al", ARGS.wine_prefix, self.prefix], check=True)
        for name in os.listdir(self.prefix):
            if name.endswith(".reg"):
                path = os.path.join(self.prefix, name)
                os.unlink(path)
                shutil.copy2(os.path.join(ARGS.wine_prefix, name), path)

    def command(self):
        return [ARGS.wine_run, self.prefix, ARGS.windows_cli]

    def finish(self, desktop):
        if self.prefix is None:
            return
        subprocess.run(["wineserver", "-k"], env=dict(desktop.env, WINEPREFIX=self.prefix),
                       timeout=60)
        shutil.rmtree(os.path.dirname(self.prefix), ignore_errors=True)


class WindowProgram(WineCli):
    """The window program under Wine, driven by window_copy.exe in the same
    prefix: Copy, then, for Ctrl+C, its main window closed as a user
    closes it, and for SIGKILL its process ended. At its 30-second clear
    it is still running, and is closed after the check."""

    name = "window program (Wine)"
    running = None

    def copy(self, desktop, v, paste=True):
        self.close_running()
        process = subprocess.Popen([ARGS.wine_run, self.prefix, ARGS.window_copy,
                                    ARGS.window_program, v["k1"], v["k2"]],
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, env=desktop.env,
                                   start_new_session=True)
        desktop.groups.append(process)
        read_until(process.stdout.fileno(), b"copied", timeout=180)
        self.copied_at = time.time()
        if paste:
            assert wait_for(lambda: desktop.read() == v["password"].encode(), timeout=30), \
                "the password never reached the clipboard"
        else:
            assert wait_for(lambda: desktop.selection_has_owner("CLIPBOARD"), timeout=30), \
                "nobody took the clipboard"
        return process

    def end(self, desktop, process, ending):
        if ending == "30 s clear":
            # The guard's timer runs in the program; what it leaves is
            # looked at while the program still runs.
            time.sleep(max(0.0, self.copied_at + 30 - time.time()))
            self.running = process
            return
        time.sleep(HOLD_SECONDS)
        process.stdin.write(b"close\n" if ending == "Ctrl+C" else b"kill\n")
        process.stdin.flush()
        read_until(process.stdout.fileno(), b"ended", timeout=60)
        process.wait(timeout=60)

    def close_running(self):
        if self.running is not None:
            self.running.stdin.write(b"close\n")
            self.running.stdin.flush()
            read_until(self.running.stdout.fileno(), b"ended", timeout=60)
            self.running.wait(timeout=60)
            self.running = None

    def finish(self, desktop):
        try:
            self.close_running()
        finally:
            super().finish(desktop)


PATHS = [Native, WineCli, WindowProgram]


def run_session(desktop_class, path_class):
    """One manager and one copy path: each ending in turn, then the history.
    Returns {ending: (pasteable, in history)}, or the exception."""
    desktop = desktop_class(ENVIRONMENT)
    path = path_class()
    try:
        desktop.start()
        path.prepare(desktop)
        seen = {}
        expected = EXPECTED[desktop_class.name, path_class.name]
        for ending, vector in ENDINGS:
            password = VECTORS[vector]["password"].encode()
            process = path.copy(desktop, VECTORS[vector])
            path.end(desktop, process, ending)
            seen[ending] = pasteable(desktop, password, expected[ending][0])
            if expected[ending][0] == TOLD:
                seen[ending] = told(seen[ending], process.returncode, path.stderr)
        history = desktop.history() if desktop.keeps_history else None
        return {ending: (seen[ending],
                         None if history is None else VECTORS[vector]["password"].encode() in history)
                for ending, vector in ENDINGS}
    except BaseException:
        return AssertionError(traceback.format_exc() + "\n" + desktop.log_tail())
    finally:
        path.finish(desktop)
        desktop.close()


# What each manager does to a password copied each way, as measured: (can
# still be pasted after the ending, is in the manager's history). History
# None: the manager keeps none. MAYBE: it depends on a race between the
# manager and Wine, below.
MAYBE = "either"
MUTTER = {"Ctrl+C": (False, None), "SIGKILL": (True, None), "30 s clear": (False, None)}
# CopyQ keeps nothing of a copy marked application/x-copyq-hidden. After
# SIGKILL, the Wine programs' password stays where Wine keeps the
# clipboard's data, whoever serves it to X, and CopyQ was seen once, in one
# run of several, to record it then (MAYBE in the history too).
COPYQ = {"Ctrl+C": (False, False), "SIGKILL": (False, False), "30 s clear": (False, False)}
COPYQ_UNDER_WINE = {"Ctrl+C": (False, False), "SIGKILL": (True, MAYBE),
                    "30 s clear": (False, False)}
# These managers record every text, and put their last item back whenever
# the clipboard is emptied. Parcellite looks only now and then, so it puts
# the password back after tarnwell-cli has taken it off, looked again and
# ended, saying it was removed: the program cannot see it.
PUTS_IT_BACK = {"Ctrl+C": (True, True), "SIGKILL": (True, True), "30 s clear": (True, True)}
# xfce4-clipman puts it back at once, and tarnwell-cli takes it off again a
# few times; the row asks for what the user must be able to rely on: the
# password is still pasteable only where the program said so (TOLD).
TOLD = "pasteable only where the program says so"
PUTS_IT_BACK_AT_ONCE = {"Ctrl+C": (TOLD, True), "SIGKILL": (True, True),
                        "30 s clear": (TOLD, True)}
# Wine empties the clipboard and then takes the X selection again with
# nothing on it; whether the manager sees the clipboard as empty, and puts
# the password back, depends on which comes first.
PUTS_IT_BACK_UNDER_WINE = {"Ctrl+C": (MAYBE, True), "SIGKILL": (True, True),
                           "30 s clear": (MAYBE, True)}
# Parcellite, which polls the clipboard, was also seen to take it over from
# Wine with an older item before the program was killed, and to miss one of
# the passwords altogether; it records some of them.
SOME = "some of the row"
NONE_OF_THEM = "none of the row"
PARCELLITE_UNDER_WINE = {"Ctrl+C": (MAYBE, SOME), "SIGKILL": (MAYBE, SOME),
                         "30 s clear": (MAYBE, SOME)}
WINE_PATHS = ("tarnwell-cli.exe (Wine)", "window program (Wine)")
EXPECTED = {
    ("mutter (X11)", "tarnwell-cli"): MUTTER,
    ("mutter (Wayland, Xwayland)", "tarnwell-cli"): MUTTER,
    ("CopyQ", "tarnwell-cli"): COPYQ,
    ("Parcellite", "tarnwell-cli"): PUTS_IT_BACK,
    ("xfce4-clipman", "tarnwell-cli"): PUTS_IT_BACK_AT_ONCE,
}
for path in WINE_PATHS:
    EXPECTED.update({
        ("mutter (X11)", path): MUTTER,
        ("mutter (Wayland, Xwayland)", path): MUTTER,
        ("CopyQ", path): COPYQ_UNDER_WINE,
        ("Parcellite", path): PARCELLITE_UNDER_WINE,
        ("xfce4-clipman", path): PUTS_IT_BACK_UNDER_WINE,
    })


def pasteable(desktop, password, expected):
    """Whether `password` can still be pasted. Where it is expected, a
    manager is waited for until it serves it; where it is not, it is given a
    moment to take the clipboard over."""
    return wait_for(lambda: desktop.read() == password, timeout=2 if expected is False else 10)


def told(still_pasteable, returncode, stderr):
    """TOLD when the program's word matches the clipboard: gone after "The
    password was removed from the clipboard." and exit 0, or pasteable after
    its "may still be there" and exit 1; otherwise what was seen, and said."""
    # After Ctrl+C the program ends by SIGINT, whatever it found.
    said_so = returncode in (1, -signal.SIGINT) and MAY_STILL_BE_THERE in stderr
    said_removed = returncode in (0, -signal.SIGINT) and REMOVED in stderr
    if (still_pasteable and said_so) or (not still_pasteable and said_removed):
        return TOLD
    return "pasteable" if still_pasteable else "gone", returncode, stderr


def judged(outcome, expected):
    """The outcome in the terms of its expected row: MAYBE where either is
    right; for the history, SOME where at least one of the row's SOME
    cells was recorded, NONE_OF_THEM where none was."""
    some = any(outcome[ending][1] for ending, (_, history) in expected.items()
               if history in (SOME, NONE_OF_THEM))

    def recorded(ending, history):
        if expected[ending][1] == MAYBE:
            return MAYBE
        if expected[ending][1] in (SOME, NONE_OF_THEM):
            return SOME if some else NONE_OF_THEM
        return history

    return {ending: (MAYBE if expected[ending][0] == MAYBE else paste, recorded(ending, history))
            for ending, (paste, history) in outcome.items()}


def hint_as_a_manager_reads_it(path_class):
    """The hint read by a native X client outside any Wine prefix, on a
    display where nothing else has asked the clipboard anything since the
    copy. Returns what it got: before TARGETS, TARGETS, and after."""
    desktop = Desktop(ENVIRONMENT)
    path = path_class()
    try:
        desktop.start()
        path.prepare(desktop)
        process = path.copy(desktop, VECTORS["default"], paste=False)
        first = desktop.read(HINT)
        targets = (desktop.read("TARGETS") or b"").split()
        second = desktop.read(HINT)
        path.end(desktop, process, "Ctrl+C")
        return first, HINT.encode() in targets, second
    except BaseException:
        return AssertionError(traceback.format_exc())
    finally:
        path.finish(desktop)
        desktop.close()


class ClipboardManagers(unittest.TestCase):
    def setUp(self):
        for tool in ("Xvfb", "xclip", "xdpyinfo", "mutter", "Xwayland", "dbus-run-session",
                     "copyq", "parcellite", "xfce4-clipman", "wine"):
            self.assertIsNotNone(shutil.which(tool), tool + " is missing (scripts/install-deps.sh)")
        for program in (ARGS.windows_cli, ARGS.window_program, ARGS.window_copy):
            self.assertTrue(os.path.exists(program),
                            program + " is missing: build the windows preset first")
        if not os.path.exists(os.path.join(ARGS.wine_prefix, ".tarnwell-ready")):
            # wine-run.sh makes the build's prefix on first use, on a display
            # of its own.
            subprocess.run([ARGS.wine_run, ARGS.wine_prefix, "cmd", "/c", "exit"],
                           env={k: v for k, v in ENVIRONMENT.items() if k != "DISPLAY"},
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=400)

    def test_every_manager_and_way_of_copying(self):
        # Everything at once, the hint's sessions too, so that the waits
        # overlap; judged one by one below.
        sessions = [(d, p) for d in DESKTOPS for p in PATHS]
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(sessions) + len(PATHS)) as pool:
            hints = [pool.submit(hint_as_a_manager_reads_it, p) for p in PATHS]
            outcomes = list(pool.map(lambda s: run_session(*s), sessions))
            hints = [h.result() for h in hints]
        for (d, p), outcome in zip(sessions, outcomes):
            with self.subTest(manager=d.name, copy=p.name):
                if isinstance(outcome, Exception):
                    raise outcome
                for ending, (paste, history) in outcome.items():
                    print("| %s | %s | %s | %s | %s |" % (d.name, p.name, ending, paste, history))
                self.assertEqual(judged(outcome, EXPECTED[d.name, p.name]),
                                 EXPECTED[d.name, p.name])
        for p, outcome in zip(PATHS, hints):
            with self.subTest(hint=p.name):
                if isinstance(outcome, Exception):
                    raise outcome
                self.assertEqual(outcome, HINT_SEEN[p.name])


# The hint as a clipboard manager reads it: (asked for before anything else,
# listed in TARGETS, asked for after TARGETS). Wine 8 exports a registered
# format's bytes only once its desktop process has answered a TARGETS
# request since it started: export_selection() in winex11.drv/clipboard.c
# looks the requested target up in a list of formats that only
# register_win32_formats() fills, which only export_targets() calls. Every
# clipboard manager asks for TARGETS first, and then gets the bytes. This
# row fails on the day Wine exports them on the first request.
HINT_SEEN = {
    "tarnwell-cli": (b"secret", True, b"secret"),
    "tarnwell-cli.exe (Wine)": (None, True, b"secret"),
    "window program (Wine)": (None, True, b"secret"),
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--windows-cli", required=True)
    parser.add_argument("--wine-prefix", required=True)
    parser.add_argument("--window-program", required=True)
    parser.add_argument("--window-copy", required=True)
    args, rest = parser.parse_known_args()
    for name in ("cli", "wine_run", "windows_cli", "wine_prefix", "window_program", "window_copy"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    vars(ARGS).update(vars(args))
    VECTORS.update((v["name"], v) for v in load_vectors(args.vectors))
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
