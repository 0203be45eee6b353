#!/usr/bin/env python3
"""Runs tarnwell-cli --copy against real X servers: each case on an Xvfb
display of its own, so that the cases run side by side and their
30-second waits overlap. The clipboard is read by xclip, and by
multiple_request for a MULTIPLE request, which xclip cannot make.

The cases: every text target, the hint and TARGETS; no SAVE_TARGETS and no
PRIMARY; nothing on standard output; the password gone after 30 s with exit
0; someone else's copy left alone; a reader that takes over the same text
still cleared at 30 s; Ctrl+C, SIGTERM, SIGHUP and Ctrl+\\ clearing and ending
by that signal within a second besides the program's own settles, with echo
on and no core file; Ctrl+Z clearing before the stop, with neither the
password nor a keyword left in the stopped program's memory (read from
/proc, where the user may); the refusal without a display; and refused
input copying nothing.

tarnwell-cli.exe runs under Wine, whose clipboard is the X clipboard of
the display its prefix started on, so its cases share the test's display
and run one after the other.

    cli_copy_test.py --vectors tests/vectors/passwords.tsv
        [--multiple-request build/.../multiple_request] [--sanitized] -- [runner...] tarnwell-cli
"""
import argparse
import concurrent.futures
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import traceback
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cli_program_test import ENVIRONMENT, load_vectors, options_for  # noqa: E402
from cli_terminal_test import (JOB_CONTROL_SHELL, allow_core_files, close_pipes,  # noqa: E402
                               core_files, read_until, wait_for)
from x_server import start_xvfb  # noqa: E402

PROGRAM = []
VECTORS = {}
MULTIPLE_REQUEST = []
SILENT_OWNER = []
SANITIZED = []

GUARD_SECONDS = 30
POLICY_HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir,
                             "src", "clipboard", "clipboard_policy.h")


def policy_constant(name):
    """A number of the clipboard policy, as the programs are built with it."""
    with open(POLICY_HEADER) as header:
        found = re.search(r"constexpr \w+ %s = (\d+);" % name, header.read())
    assert found, "%s is not in %s" % (name, POLICY_HEADER)
    return int(found.group(1))


# After the X clipboard has been emptied the native program lets a clipboard
# manager put its copy back, and looks again, for a few rounds: its last
# line and its end may come this much later than the clear itself.
PUT_BACK_SETTLES = (policy_constant("kPutBackSettleMs") * policy_constant("kPutBackRounds")
                    / 1000)
# How long a signal may take to reach the program, its clear and one look at
# the clipboard, beside those settles.
SIGNAL_RESPONSE = 1.0
# When the other side acts in the cases that wait: well inside the 30 s.
MIDWAY = 5
COPIED = b"Copied to the clipboard; it will be cleared in 30 s."
REMOVED = b"The password was removed from the clipboard."
LEFT_ALONE = b"Something else is on the clipboard now; it was left alone."
NO_ANSWER = (b"The program that holds the clipboard now did not answer; "
             b"the clipboard was left alone.")
STOPPED = b"The password was taken off the clipboard when the program was stopped."
TEXT_TARGETS = ["UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT"]
HINT = "x-kde-passwordManagerHint"
# CopyQ's own mark, which it honours where it ignores the hint.
COPYQ_HIDDEN = "application/x-copyq-hidden"


class Display:
    """An Xvfb server of our own (x_server.py). The processes in `owners`
    end with it."""

    def __init__(self):
        self.server, display = start_xvfb("320x240x24", stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
        self.env = dict(ENVIRONMENT, DISPLAY=display)
        self.owners = []

    def close(self):
        for owner in self.owners:
            # SIGINT, which the runner's timeout hands on, and which Wine
            # turns into Ctrl+C for the program's console handler.
            if owner.poll() is None:
                owner.send_signal(signal.SIGINT)
            try:
                owner.wait(timeout=10)
            except subprocess.TimeoutExpired:
                owner.kill()
                owner.wait()
            close_pipes(owner)
        if self.server is not None:
            self.server.terminate()
            self.server.wait(timeout=30)


    def read(self, target="UTF8_STRING", selection="clipboard"):
        """The selection's content for `target`, or None when nobody serves it."""
        result = subprocess.run(["xclip", "-o", "-selection", selection, "-t", target],
                                capture_output=True, env=self.env, timeout=20)
        return result.stdout if result.returncode == 0 else None

    def holds(self, text):
        """Waits for the clipboard to hold `text`: Wine hands a copy to X a
        moment after the program has made it."""
        return wait_for(lambda: self.read() == text)

    def copy(self, text):
        """Another program's copy, held by xclip in the foreground until it
        loses the clipboard."""
        owner = subprocess.Popen(["xclip", "-i", "-quiet", "-selection", "clipboard"],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, env=self.env)
        owner.stdin.write(text)
        owner.stdin.close()
        self.owners.append(owner)
        assert wait_for(lambda: self.read() == text), "xclip did not take the clipboard"
        return owner


class SharedDisplay(Display):
    """The display the test was given, for Wine."""

    def __init__(self):
        self.server = None
        self.env = dict(ENVIRONMENT)
        self.owners = []


def keywords(v):
    return v["k1"] + b"\n" + v["k2"] + b"\n"


class Piped:
    """The program with piped keywords and no controlling terminal, so the
    countdown comes as plain lines on standard error."""

    def __init__(self, display, v, extra_args=(), env=None):
        self.process = subprocess.Popen(
            PROGRAM + ["--copy"] + list(extra_args) + options_for(v), stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env or display.env,
            start_new_session=True)
        display.owners.append(self.process)  # ended with the case, whatever happens
        try:  # a program that refuses at once never reads them
            self.process.stdin.write(keywords(v))
            self.process.stdin.close()
        except BrokenPipeError:
            pass
        self.stderr = b""

    def wait_for_output(self, marker, timeout=60):
        if marker not in self.stderr:
            self.stderr += read_until(self.process.stderr.fileno(), marker, timeout)
        return time.time()

    def finish(self, timeout):
        code = self.process.wait(timeout=timeout)
        self.stderr += self.process.stderr.read()
        # The .exe writes its lines in text mode.
        self.stderr = self.stderr.replace(b"\r\n", b"\n")
        stdout = self.process.stdout.read()
        self.process.stdout.close()
        self.process.stderr.close()
        return code, stdout


class OnTerminal:
    """The program, or a stand-in shell running it as a job, on a
    pseudo-terminal that is its controlling terminal."""

    def __init__(self, display, args, program=True, cwd=None, limit_core=False, env=None):
        self.master, self.slave = pty.openpty()

        def prepare():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
            if limit_core:
                allow_core_files()
        self.process = subprocess.Popen((PROGRAM if program else []) + list(args),
                                        stdin=self.slave, stdout=self.slave, stderr=self.slave,
                                        start_new_session=True, cwd=cwd,
                                        env=env or display.env, preexec_fn=prepare)
        self.seen = b""

    def expect(self, marker, timeout=60):
        if marker not in self.seen:
            self.seen += read_until(self.master, marker, timeout)

    def type_keywords(self, v):
        self.expect(b"Keyword 1: ")
        os.write(self.master, v["k1"] + b"\n")
        self.expect(b"Keyword 2: ")
        os.write(self.master, v["k2"] + b"\n")
        self.expect(COPIED)

    def echo_is_on(self):
        return bool(termios.tcgetattr(self.slave)[3] & termios.ECHO)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=30)
        os.close(self.master)
        os.close(self.slave)


def process_memory_holds(pid, secrets):
    """Which of `secrets` (name: bytes) the process's memory holds now; None
    when this user may not read it (reading another process's memory of
    this program, which is not dumpable, takes root). Read in pieces that
    overlap by a secret's length; regions of a gigabyte or more are
    AddressSanitizer's shadow, which holds no data."""
    piece = 1 << 24
    overlap = max(len(secret) for secret in secrets.values())
    found = set()
    try:
        with open("/proc/%d/maps" % pid) as maps, open("/proc/%d/mem" % pid, "rb", 0) as mem:
            for line in maps:
                fields = line.split()
                if "r" not in fields[1] or (len(fields) > 5 and fields[5] in ("[vvar]", "[vsyscall]")):
                    continue
                start, end = (int(x, 16) for x in fields[0].split("-"))
                if end - start >= 1 << 30:
                    continue
                for at in range(start, end, piece):
                    try:
                        mem.seek(at)
                        data = mem.read(min(piece + overlap, end - at))
                    except OSError:
                        break
                    found.update(name for name, secret in secrets.items() if secret in data)
    except PermissionError:
        return None
    return found


# Each case takes a display and returns None, or a reason to skip it.

def case_targets_and_cleared_after_30_seconds(display):
    v = VECTORS["non-ascii"]
    password = v["password"].encode()
    run = Piped(display, v)
    copied = run.wait_for_output(COPIED)
    for target in TEXT_TARGETS:
        assert display.read(target) == password, target
    assert display.read(HINT) == b"secret"
    targets = set(display.read("TARGETS").split())
    assert targets == {b"TARGETS", b"TIMESTAMP", b"MULTIPLE", b"UTF8_STRING",
                       b"text/plain;charset=utf-8", b"STRING", b"TEXT", HINT.encode(),
                       COPYQ_HIDDEN.encode()}, targets
    assert display.read(COPYQ_HIDDEN) == b"1"
    # Never handed over to a clipboard manager, never on PRIMARY.
    for target in ("SAVE_TARGETS", "image/png", "text/html"):
        assert display.read(target) is None, target
    assert display.read(selection="primary") is None
    answers = subprocess.run(MULTIPLE_REQUEST + ["UTF8_STRING", HINT, "SAVE_TARGETS", "TIMESTAMP",
                                                 "STRING"],
                             capture_output=True, env=display.env, timeout=20)
    assert answers.returncode == 0, answers.stderr
    lines = answers.stdout.split(b"\n")
    assert lines[0] == b"UTF8_STRING\tUTF8_STRING\t" + password, lines
    assert lines[1] == b"%s\t%s\tsecret" % (HINT.encode(), HINT.encode()), lines
    assert lines[2] == b"SAVE_TARGETS\trefused", lines
    assert lines[3].startswith(b"TIMESTAMP\tINTEGER\t") and int(lines[3].split(b"\t")[2]) > 0, lines
    assert lines[4] == b"STRING\tSTRING\t" + password, lines

    code, stdout = run.finish(timeout=GUARD_SECONDS + 30)
    elapsed = time.time() - copied
    assert code == 0, run.stderr
    assert stdout == b"", stdout
    assert GUARD_SECONDS - 1 <= elapsed <= GUARD_SECONDS + 6, elapsed
    assert display.read() is None, "still on the clipboard after the check"
    # Plain lines without a terminal, the last one saying what happened.
    assert b"it will be cleared in 20 s.\n" in run.stderr, run.stderr
    assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
    assert b"Generated password  (" in run.stderr


def case_someone_elses_copy_is_left_alone(display):
    v = VECTORS["default"]
    run = Piped(display, v)
    run.wait_for_output(COPIED)
    assert display.holds(v["password"].encode())
    time.sleep(MIDWAY)
    display.copy(b"someone else's text")
    code, stdout = run.finish(timeout=10)
    assert code == 0 and stdout == b"", run.stderr
    assert run.stderr.endswith(LEFT_ALONE + b"\n"), run.stderr
    assert display.read() == b"someone else's text"


def take_over_at_midway_and_expect_the_check(display, run, copied):
    """A reader that takes the clipboard over with the same text, as a
    clipboard manager does: the password is still there, so the program
    goes on guarding, and the check at 30 s takes it back and off."""
    time.sleep(MIDWAY)
    holder = display.copy(display.read())
    code, stdout = run.finish(timeout=GUARD_SECONDS + 30)
    elapsed = time.time() - copied
    assert code == 0 and stdout == b"", run.stderr
    assert GUARD_SECONDS - 1 <= elapsed <= GUARD_SECONDS + 6, (elapsed, run.stderr)
    assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
    assert display.read() is None
    assert holder.wait(timeout=10) is not None  # it lost the clipboard and ended


def case_a_reader_that_takes_over_the_same_text_is_still_cleared(display):
    v = VECTORS["default"]
    run = Piped(display, v)
    copied = run.wait_for_output(COPIED)
    take_over_at_midway_and_expect_the_check(display, run, copied)
    assert v["password"].encode() not in run.stderr


def case_an_owner_that_never_answers_is_left_alone(display):
    """Someone takes the clipboard and answers no request: what it holds
    cannot be known, so it is not taken back, and the program says so."""
    v = VECTORS["default"]
    run = Piped(display, v)
    copied = run.wait_for_output(COPIED)
    time.sleep(MIDWAY)
    owner = subprocess.Popen(SILENT_OWNER, stdout=subprocess.PIPE, env=display.env)
    display.owners.append(owner)
    assert owner.stdout.readline() == b"owned\n"
    code, stdout = run.finish(timeout=GUARD_SECONDS + 30)
    elapsed = time.time() - copied
    assert code == 0 and stdout == b"", run.stderr
    assert GUARD_SECONDS - 1 <= elapsed <= GUARD_SECONDS + 10, (elapsed, run.stderr)
    assert run.stderr.endswith(NO_ANSWER + b"\n"), run.stderr
    assert owner.poll() is None, "the silent owner lost the clipboard"
    owner.stdout.close()


def case_a_display_that_goes_away_is_a_failure(display):
    """The X server ends mid-wait (a session that ends): the clipboard went
    with it, but the program cannot say it checked, so it fails."""
    v = VECTORS["default"]
    run = Piped(display, v)
    run.wait_for_output(COPIED)
    time.sleep(MIDWAY)
    display.server.terminate()
    code, stdout = run.finish(timeout=10)
    assert code == 1 and stdout == b"", (code, run.stderr)
    assert run.stderr.endswith(b"tarnwell-cli: the connection to the display was lost before "
                               b"the clipboard check.\n"), run.stderr


def core_files_left_here(folder):
    """None if a process that gets SIGQUIT in `folder` leaves a core file
    there (so that the absence of one says something), else why not."""
    with open("/proc/sys/kernel/core_pattern") as f:
        pattern = f.read().strip()
    if pattern.startswith("|") or "/" in pattern:
        return "core files go elsewhere on this machine (core_pattern %r)" % pattern
    if SANITIZED:
        return "AddressSanitizer turns core files off by itself"
    subprocess.run([sys.executable, "-c", "import os, signal; os.kill(os.getpid(), signal.SIGQUIT)"],
                   cwd=folder, preexec_fn=allow_core_files)
    found = core_files(folder)
    for name in found:
        os.remove(os.path.join(folder, name))
    return None if found else "this machine writes no core file even for the control process"


def interrupt_case(how, number, core_check=False):
    """Typed at the terminal (bytes) or sent (a signal number) at MIDWAY."""
    def case(display):
        v = VECTORS["default"]
        folder = tempfile.mkdtemp()
        session = None
        try:
            no_core_reason = core_files_left_here(folder) if core_check else None
            session = OnTerminal(display, options_for(v) + ["--copy"], cwd=folder,
                                 limit_core=core_check)
            session.type_keywords(v)
            assert display.holds(v["password"].encode())
            time.sleep(MIDWAY)
            sent = time.time()
            if isinstance(how, bytes):
                os.write(session.master, how)
            else:
                session.process.send_signal(how)
            code = session.process.wait(timeout=30)
            ended = time.time() - sent
            assert code == -number, (code, session.seen)
            assert ended <= SIGNAL_RESPONSE + PUT_BACK_SETTLES, ended
            assert display.read() is None, "the password stayed on the clipboard"
            assert session.echo_is_on()
            if core_check:
                if no_core_reason:
                    return no_core_reason
                assert core_files(folder) == [], core_files(folder)
        finally:
            if session is not None:
                session.close()
            shutil.rmtree(folder)
    return case


def case_ctrl_z_takes_it_off_before_stopping(display):
    v = VECTORS["non-ascii"]
    password = v["password"].encode()
    session = OnTerminal(display, [sys.executable, "-c", JOB_CONTROL_SHELL] + PROGRAM + ["-c"]
                         + options_for(v), program=False)
    try:
        session.expect(b"]")  # "[job PID]"; the prompt may come in the same read
        job = int(session.seen.split(b"[job ")[1].split(b"]")[0])
        session.type_keywords(v)
        assert display.holds(password)
        secrets = {"password": password, "keyword 1": v["k1"], "keyword 2": v["k2"]}
        # The control: the served copy is found while the program serves it.
        before = process_memory_holds(job, secrets)
        os.write(session.master, b"\x1a")  # Ctrl+Z
        session.expect(b"[stopped]")
        assert display.read() is None, "the password stayed on the clipboard while stopped"
        after = process_memory_holds(job, secrets)
        os.kill(job, signal.SIGCONT)  # fg
        session.expect(b"[exit 0]")
        assert STOPPED in session.seen, session.seen
        assert password not in session.seen
        if before is None:
            return "this user may not read the program's memory"
        assert before == {"password"}, before
        assert after == set(), "left in the stopped program's memory: %s" % sorted(after)
    finally:
        session.close()


def case_no_display_is_refused_before_any_prompt(display):
    v = VECTORS["default"]
    no_display = {k: x for k, x in display.env.items() if k != "DISPLAY"}
    session = OnTerminal(display, ["--copy"], env=no_display)
    try:
        assert session.process.wait(timeout=30) == 1
        session.expect(b"standard output.")
        assert (b"tarnwell-cli: --copy needs a graphical session, and no DISPLAY is set; "
                b"without --copy the password goes to standard output.") in session.seen
        assert b"Keyword" not in session.seen, session.seen
    finally:
        session.close()
    for env, message in ((no_display, b"no DISPLAY is set"),
                         (dict(display.env, DISPLAY=":65000"),
                          b"the display \":65000\" cannot be opened")):
        run = Piped(display, v, env=env)
        code, stdout = run.finish(timeout=30)
        assert code == 1 and stdout == b"", run.stderr
        assert message in run.stderr, run.stderr


def case_refused_input_copies_nothing(display):
    bad = dict(VECTORS["default"], k2=b"")
    run = Piped(display, bad)
    code, stdout = run.finish(timeout=30)
    assert code == 1 and stdout == b"", run.stderr
    assert b"Both Keyword 1 and Keyword 2 are required." in run.stderr
    assert COPIED not in run.stderr
    assert display.read() is None


CASES = [
    ("the targets, and cleared after 30 s", case_targets_and_cleared_after_30_seconds),
    ("someone else's copy is left alone", case_someone_elses_copy_is_left_alone),
    ("a reader that re-owns the same text is cleared at 30 s",
     case_a_reader_that_takes_over_the_same_text_is_still_cleared),
    ("an owner that never answers is left alone", case_an_owner_that_never_answers_is_left_alone),
    ("a display that goes away is a failure", case_a_display_that_goes_away_is_a_failure),
    ("Ctrl+C", interrupt_case(b"\x03", signal.SIGINT)),
    ("SIGTERM", interrupt_case(signal.SIGTERM, signal.SIGTERM)),
    ("SIGHUP", interrupt_case(signal.SIGHUP, signal.SIGHUP)),
    ("Ctrl+\\ leaves no core file", interrupt_case(b"\x1c", signal.SIGQUIT, core_check=True)),
    ("Ctrl+Z", case_ctrl_z_takes_it_off_before_stopping),
    ("no display", case_no_display_is_refused_before_any_prompt),
    ("refused input", case_refused_input_copies_nothing),
]


def case_wine_targets_and_a_reader_that_takes_over(display):
    """Under Wine, which answers the X requests itself: the text, the formats
    that keep it out of Windows' clipboard history and the hint offered, and
    a reader that takes over the same text still cleared at 30 s. (Wine 8
    gives an X client a registered format's data only once its desktop
    process has answered a TARGETS request, so the hint is asked for after
    them, as every clipboard manager asks.)"""
    v = VECTORS["default"]
    password = v["password"].encode()
    run = Piped(display, v)
    copied = run.wait_for_output(COPIED)
    assert display.holds(password)
    # Wine offers text/plain where we offer text/plain;charset=utf-8.
    for target in ("UTF8_STRING", "text/plain", "STRING", "TEXT"):
        assert display.read(target) == password, target
    targets = set(display.read("TARGETS").split())
    assert {HINT.encode(), COPYQ_HIDDEN.encode(), b"ExcludeClipboardContentFromMonitorProcessing",
            b"CanIncludeInClipboardHistory", b"CanUploadToCloudClipboard"} <= targets, targets
    assert display.read(HINT) == b"secret"
    assert display.read(COPYQ_HIDDEN) == b"1"
    take_over_at_midway_and_expect_the_check(display, run, copied)


def signal_at_midway(display, number):
    """A piped run whose password is on the clipboard, sent the signal
    `number` at MIDWAY; returns the run and when the signal went."""
    v = VECTORS["default"]
    run = Piped(display, v)
    run.wait_for_output(COPIED)
    assert display.holds(v["password"].encode())
    time.sleep(MIDWAY)
    sent = time.time()
    run.process.send_signal(number)
    return run, sent


def case_wine_ctrl_c(display):
    """Wine hands SIGINT to the console handler even with piped input."""
    run, sent = signal_at_midway(display, signal.SIGINT)
    # The program says so once its check has run. (No reading meanwhile: a
    # request that reaches a Wine program as it ends is never answered.)
    cleared = run.wait_for_output(REMOVED, timeout=30) - sent
    # The Windows program's check settles nothing.
    assert cleared <= SIGNAL_RESPONSE, cleared
    code, stdout = run.finish(timeout=30)
    assert code == 130 and stdout == b"", (code, run.stderr)
    assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
    assert display.read() is None


WINE_CASES = [
    ("someone else's copy is left alone", case_someone_elses_copy_is_left_alone),
    ("Ctrl+C", case_wine_ctrl_c),
    ("the targets, and a reader that re-owns the same text, cleared at 30 s",
     case_wine_targets_and_a_reader_that_takes_over),
]


def under_wine():
    return len(PROGRAM) != 1


def run_case(case, display_class=None):
    """The case's outcome on a display of `display_class` (by default the
    one for the program under test): None, a reason to skip, or the
    failure, its own or its display's."""
    try:
        display = (display_class or (SharedDisplay if under_wine() else Display))()
    except BaseException:
        return AssertionError(traceback.format_exc())
    try:
        return case(display)
    except BaseException:
        return AssertionError(traceback.format_exc())
    finally:
        display.close()


class CopyToClipboard(unittest.TestCase):
    def test_every_case(self):
        for tool in ("Xvfb", "xclip"):
            self.assertIsNotNone(shutil.which(tool), tool + " is missing (scripts/install-deps.sh)")
        if under_wine():
            self.assertIn("DISPLAY", os.environ, "Wine's clipboard needs a display")
            cases = WINE_CASES
            outcomes = [run_case(case) for _, case in cases]
        else:
            cases = CASES
            with concurrent.futures.ThreadPoolExecutor(max_workers=len(cases)) as pool:
                outcomes = list(pool.map(run_case, [case for _, case in cases]))
        report_outcomes(self, [name for name, _ in cases], outcomes)


def report_outcomes(test, names, outcomes):
    """Each case's outcome (run_case's) as a subtest of `test`."""
    for name, outcome in zip(names, outcomes):
        with test.subTest(name):
            if isinstance(outcome, Exception):
                raise outcome
            if outcome:
                test.skipTest(outcome)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--multiple-request")
    parser.add_argument("--silent-owner")
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("program", nargs="+")
    args, rest = parser.parse_known_args()
    PROGRAM.extend(os.path.abspath(p) if os.path.exists(p) else p for p in args.program)
    VECTORS.update((v["name"], v) for v in load_vectors(args.vectors))
    if args.multiple_request:
        MULTIPLE_REQUEST.append(os.path.abspath(args.multiple_request))
    if args.silent_owner:
        SILENT_OWNER.append(os.path.abspath(args.silent_owner))
    if args.sanitized:
        SANITIZED.append(True)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
