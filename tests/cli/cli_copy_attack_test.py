#!/usr/bin/env python3
"""tarnwell-cli --copy against hostile neighbours: small X clients of our own
that flood it with requests, forge a SelectionClear, re-own the password
serving STRING only, or put it back each time it is taken off; a closed
standard error, a pipe on standard error that closes (`| head -n 2`), and
signals that would end the program. Each case has an Xvfb display of its own,
and the cases run side by side, so that their 30-second waits overlap. The
closed pipe runs under GNOME's mutter too, which keeps the text of an owner
that is killed, as a GNOME session does: there a program that died shows as
a password left pasteable.

    cli_copy_attack_test.py --vectors tests/vectors/passwords.tsv
        --clients FOLDER [--sanitized] -- tarnwell-cli
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
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_copy_test as copy_test  # noqa: E402
from cli_copy_test import (COPIED, GUARD_SECONDS, MIDWAY, REMOVED, LEFT_ALONE,  # noqa: E402
                           Display, Piped, keywords)
from cli_program_test import load_vectors, options_for  # noqa: E402
from cli_terminal_test import read_until, wait_for  # noqa: E402

CLIENTS = {}
# The clear may come this long after the deadline or the signal, whatever the
# neighbours do, besides the settles in which the program waits for a
# clipboard manager to put the password back. A sanitized build runs several
# times slower, and its cases here compete for the processor with fourteen
# others.
CLEAR_SLACK = 1.5
SANITIZED_CLEAR_SLACK = 3.0


def clear_slack():
    return ((SANITIZED_CLEAR_SLACK if copy_test.SANITIZED else CLEAR_SLACK)
            + copy_test.PUT_BACK_SETTLES)
# A flood must not grow the program's memory: its peak resident set may
# pass the one it had when it said it had copied by no more than this. An
# answer that waits for a server busy with the flood to read our requests
# takes in what the server sends meanwhile, and grew the heap by 0.5 to 11 MB.
MEMORY_GROWTH_LIMIT = 512 << 10
# Beyond this the run is ended at once: the fault is shown, and the machine
# is spared the gigabytes it would otherwise reach. AddressSanitizer keeps
# freed memory in quarantine (256 MB) and its own tables besides.
MEMORY_ABORT = 64 << 20
SANITIZED_MEMORY_ABORT = 1 << 30
SERVER_SILENT = (b"tarnwell-cli: the display did not answer in time, so the password may "
                 b"still be on the clipboard.")
PUT_BACK = (b"tarnwell-cli: another program put the password back on the clipboard each time "
            b"it was taken off; it may still be there.")


class MutterDisplay(Display):
    """An Xvfb display with mutter as its window manager, in a session bus
    of its own."""

    def __init__(self):
        super().__init__()
        self.log = tempfile.TemporaryFile()  # a pipe could fill up and stall it
        self.mutter = subprocess.Popen(
            ["dbus-run-session", "--", "mutter", "--x11", "--replace", "--sm-disable"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=self.log,
            start_new_session=True)
        try:
            self.wait_until_ready()
        except BaseException:
            self.close()  # no case gets it, so nobody else would end it
            raise

    def wait_until_ready(self):
        # Ready once it manages the display and keeps the text of an owner
        # that vanishes. Its clipboard manager starts after the window
        # manager, and a copy made before it was there is not kept: each
        # probe is a new copy, until one is kept.
        assert wait_for(self.managed, timeout=60), self.mutter_said()
        kept = False
        for attempt in range(30):
            probe = self.copy(b"probe %d" % attempt)
            probe.kill()
            probe.wait()
            kept = wait_for(lambda: self.read() == b"probe %d" % attempt, timeout=2)
            if kept:
                break
        assert kept, "mutter does not keep the clipboard"

    def mutter_said(self):
        if self.mutter.poll() is None:
            return "mutter did not manage the display"
        self.log.seek(0)
        return "mutter ended: %s" % self.log.read().decode(errors="replace")

    def managed(self):
        check = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                               capture_output=True, env=self.env, timeout=20)
        return b"window id" in check.stdout

    def close(self):
        if self.mutter.poll() is None:
            os.killpg(self.mutter.pid, signal.SIGTERM)
        self.mutter.wait(timeout=30)
        self.log.close()
        super().close()


def client(display, name, *args, stdin=None):
    """One of our hostile clients, ended with the display; returns once it
    has said that it acted."""
    process = subprocess.Popen([CLIENTS[name]] + [str(a) for a in args], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, env=display.env)
    display.owners.append(process)
    process.stdin.write(stdin or b"")
    process.stdin.close()
    said = process.stdout.readline()
    assert said, "%s ended before it acted (%s)" % (name, process.wait())
    return process


def peak_memory(pid):
    """The process's peak resident set in bytes (VmHWM), or None once it
    has ended."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) * 1024
    except (FileNotFoundError, ProcessLookupError):
        return None
    return None


def watch_memory(run, until):
    """Follows the peak memory of `run` until it ends or `until` passes; ends
    it at once when the peak passes MEMORY_ABORT. Returns the last peak."""
    peak = 0
    while run.process.poll() is None and time.time() < until:
        now = peak_memory(run.process.pid)
        if now is None:
            break
        peak = max(peak, now)
        if peak > (SANITIZED_MEMORY_ABORT if copy_test.SANITIZED else MEMORY_ABORT):
            run.process.kill()
            break
        time.sleep(0.1)
    return peak


def flood_case(outstanding, stop_signal=None, direct=False):
    """A client keeps `outstanding` requests for the clipboard unanswered (0:
    sends them without pause; `direct`: as events sent straight to the
    program's window). The clear still comes on time, or at once on a
    signal, and memory stays small."""
    def case(display):
        v = VECTORS["default"]
        run = Piped(display, v)
        copied = run.wait_for_output(COPIED)
        before = peak_memory(run.process.pid)
        client(display, "request_flooder", outstanding, *(["direct"] if direct else []))
        if stop_signal is None:
            peak = watch_memory(run, copied + GUARD_SECONDS + 20)
            cleared = run.wait_for_output(REMOVED, timeout=20) - copied - GUARD_SECONDS
            code, stdout = run.finish(timeout=10)
            assert code == 0 and stdout == b"", (code, run.stderr)
            assert cleared <= clear_slack(), cleared
            report = ("flood of %s%s: cleared %.2f s after the deadline, peak memory %.1f MB, "
                      "%d kB more than at the copy")
            sys.stderr.write(report % (outstanding or "unthrottled", " sent direct" if direct else "",
                                       cleared, peak / 2**20, (peak - before) // 1024) + "\n")
            if not copy_test.SANITIZED:
                assert peak - before <= MEMORY_GROWTH_LIMIT, (before, peak)
        else:
            watch_memory(run, copied + MIDWAY)
            sent = time.time()
            run.process.send_signal(stop_signal)
            code, _ = run.finish(timeout=20)
            assert code == -stop_signal, (code, run.stderr)
            assert time.time() - sent <= clear_slack(), time.time() - sent
            assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
        assert display.read() is None, "the password stayed on the clipboard"
    return case


def case_a_forged_selection_clear_is_ignored(display):
    """Only the server can end our ownership: the program goes on serving,
    and clears at 30 s."""
    v = VECTORS["default"]
    password = v["password"].encode()
    run = Piped(display, v)
    run.wait_for_output(COPIED)
    time.sleep(MIDWAY)
    client(display, "clear_forger")
    assert display.read() == password, "stopped serving after a forged SelectionClear"
    code, stdout = run.finish(timeout=GUARD_SECONDS + 10)
    assert code == 0 and stdout == b"", run.stderr
    assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
    assert display.read() is None


def case_a_holder_that_refuses_utf8_still_holds_the_password(display):
    """Another client re-owns the password and serves it as STRING and TEXT
    only: the password is still there, so the program guards on and takes
    it off at 30 s."""
    v = VECTORS["default"]
    password = v["password"].encode()
    run = Piped(display, v)
    copied = run.wait_for_output(COPIED)
    time.sleep(MIDWAY)
    holder = client(display, "text_holder", "STRING,TEXT", 0, 0, stdin=password)
    code, stdout = run.finish(timeout=GUARD_SECONDS + 10)
    assert code == 0 and stdout == b"", run.stderr
    assert LEFT_ALONE not in run.stderr, run.stderr
    assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
    assert time.time() - copied >= GUARD_SECONDS - 1
    for target in ("STRING", "TEXT"):
        assert display.read(target) is None, target
    assert holder.wait(timeout=10) == 0  # it lost the clipboard and ended


def put_back_case(take_backs):
    """A clipboard manager that took the password over mid-wait and puts its
    copy back each time it loses the clipboard: `take_backs` times (-1:
    always). The program looks again after each clear; what it says must be
    what the clipboard then holds."""
    def case(display):
        v = VECTORS["default"]
        password = v["password"].encode()
        run = Piped(display, v)
        run.wait_for_output(COPIED)
        time.sleep(MIDWAY)
        client(display, "text_holder", "UTF8_STRING,STRING,TEXT", take_backs, 50, stdin=password)
        code, stdout = run.finish(timeout=GUARD_SECONDS + 20)
        if take_backs >= 0:
            assert code == 0 and stdout == b"", run.stderr
            assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
            assert display.read() is None, "the manager put the password back"
        else:
            assert code == 1 and stdout == b"", (code, run.stderr)
            assert REMOVED not in run.stderr, run.stderr
            assert run.stderr.endswith(PUT_BACK + b"\n"), run.stderr
    return case


def case_a_display_that_stops_answering(display):
    """The X server stops (SIGSTOP) mid-wait: the clear cannot be confirmed,
    so the program says the password may still be there and fails, within
    its timeouts, instead of waiting for ever."""
    v = VECTORS["default"]
    run = Piped(display, v)
    copied = run.wait_for_output(COPIED)
    assert display.holds(v["password"].encode())
    time.sleep(MIDWAY)
    display.server.send_signal(signal.SIGSTOP)
    try:
        code, stdout = run.finish(timeout=GUARD_SECONDS + 20)
    finally:
        display.server.send_signal(signal.SIGCONT)
    assert code == 1 and stdout == b"", (code, run.stderr)
    assert run.stderr.endswith(SERVER_SILENT + b"\n"), run.stderr
    assert time.time() - copied <= GUARD_SECONDS + 10


def closed_stderr_case(extra_args):
    """`setsid tarnwell-cli --copy < keywords 2>&-`: no terminal and no
    standard error. The copy, the wait and the clear go on as ever."""
    def case(display):
        v = VECTORS["default"]
        password = v["password"].encode()
        process = subprocess.Popen(
            copy_test.PROGRAM + ["--copy"] + extra_args + options_for(v), stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=display.env,
            start_new_session=True, preexec_fn=lambda: os.close(2))
        display.owners.append(process)
        process.stdin.write(keywords(v))
        process.stdin.close()
        # Nothing to read the progress from: the derivation may take long in
        # a sanitized build.
        assert wait_for(lambda: display.read() == password, timeout=60), "nothing was copied"
        code = process.wait(timeout=GUARD_SECONDS + 10)
        assert code == 0, code
        assert process.stdout.read() == b""
        process.stdout.close()
        assert display.read() is None
    return case


def case_a_closed_pipe_on_standard_error_is_no_death(display):
    """`tarnwell-cli --copy 2>&1 | head -n 2` without a terminal: the
    countdown's next line meets a closed pipe. The wait goes on and clears;
    under mutter a program that died would leave the password pasteable."""
    v = VECTORS["default"]
    read_end, write_end = os.pipe()
    process = subprocess.Popen(copy_test.PROGRAM + ["--copy"] + options_for(v),
                               stdin=subprocess.PIPE, stdout=write_end, stderr=write_end,
                               env=display.env, start_new_session=True)
    os.close(write_end)
    display.owners.append(process)
    process.stdin.write(keywords(v))
    process.stdin.close()
    copied = time.time()
    head = read_until(read_end, COPIED + b"\n")
    os.close(read_end)  # head has its two lines
    assert head.count(b"\n") == 2, head
    assert display.holds(v["password"].encode())
    code = process.wait(timeout=GUARD_SECONDS + 10)
    assert display.read() is None, "the password stayed on the clipboard (exit %d)" % code
    assert code == 0, code
    assert time.time() - copied >= GUARD_SECONDS - 1


def signal_case(number):
    """A signal whose default ends the program: the password comes off first,
    the program says so, and it then ends by that signal."""
    def case(display):
        run, sent = copy_test.signal_at_midway(display, number)
        code, _ = run.finish(timeout=20)
        ended = time.time() - sent
        assert display.read() is None, "the password stayed on the clipboard (exit %d)" % code
        assert code == -number, (code, run.stderr)
        assert ended <= clear_slack(), ended
        assert run.stderr.endswith(REMOVED + b"\n"), run.stderr
    return case


# (name, case, display)
CASES = [
    ("a flood of 20000 outstanding requests", flood_case(20000), Display),
    ("an unthrottled flood", flood_case(0), Display),
    ("an unthrottled flood sent straight to the window", flood_case(0, direct=True), Display),
    ("SIGTERM during a flood", flood_case(20000, signal.SIGTERM), Display),
    ("a forged SelectionClear", case_a_forged_selection_clear_is_ignored, Display),
    ("a holder that serves STRING and TEXT only",
     case_a_holder_that_refuses_utf8_still_holds_the_password, Display),
    ("a manager that puts the password back once", put_back_case(1), Display),
    ("a manager that always puts the password back", put_back_case(-1), Display),
    ("a display that stops answering", case_a_display_that_stops_answering, Display),
    ("standard error closed, --quiet", closed_stderr_case(["--quiet"]), Display),
    ("standard error closed", closed_stderr_case([]), Display),
    ("a closed pipe on standard error", case_a_closed_pipe_on_standard_error_is_no_death,
     Display),
    ("a closed pipe on standard error under mutter",
     case_a_closed_pipe_on_standard_error_is_no_death, MutterDisplay),
    ("SIGUSR1", signal_case(signal.SIGUSR1), Display),
    ("SIGALRM", signal_case(signal.SIGALRM), Display),
    ("SIGPIPE sent", signal_case(signal.SIGPIPE), Display),
    ("a real-time signal", signal_case(signal.SIGRTMIN + 2), Display),
]

VECTORS = copy_test.VECTORS


class CopyUnderAttack(unittest.TestCase):
    def test_every_case(self):
        for tool in ("Xvfb", "xclip", "xprop", "mutter", "dbus-run-session"):
            self.assertIsNotNone(shutil.which(tool), tool + " is missing (scripts/install-deps.sh)")
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(CASES)) as pool:
            outcomes = list(pool.map(lambda c: copy_test.run_case(c[1], c[2]), CASES))
        copy_test.report_outcomes(self, [name for name, _, _ in CASES], outcomes)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--clients", required=True)
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("program", nargs="+")
    args, rest = parser.parse_known_args()
    copy_test.PROGRAM.extend(os.path.abspath(p) for p in args.program)
    copy_test.VECTORS.update((v["name"], v) for v in load_vectors(args.vectors))
    for name in ("request_flooder", "clear_forger", "text_holder"):
        CLIENTS[name] = os.path.join(os.path.abspath(args.clients), name)
    if args.sanitized:
        copy_test.SANITIZED.append(True)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
