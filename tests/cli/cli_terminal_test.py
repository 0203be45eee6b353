#!/usr/bin/env python3
"""Runs the native tarnwell-cli at a pseudo-terminal that is its controlling
terminal, as a user at a terminal runs it: hidden prompts shown on the
terminal whatever standard error is, keywords typed again after an arrow
key, echo given back on every way out (signals, Ctrl+Z, Ctrl+D), over-long
lines refused and no core file left. Also: keyword 2 as an argument leaves
one prompt, --confirm with agreeing and differing entries, three refused
lines end the program, the program ends by the signal itself (Ctrl+C,
SIGUSR1, SIGALRM, the real-time signals and the rest), and Ctrl+Z, SIGTTIN
and SIGTTOU with fg hide the keyword and ask again.

    cli_terminal_test.py --vectors tests/vectors/passwords.tsv [--sanitized] -- tarnwell-cli
"""
import argparse
import fcntl
import os
import pty
import re
import resource
import select
import signal
import subprocess
import sys
import tempfile
import termios
import time
import unittest

from cli_program_test import ENVIRONMENT, load_vectors, options_for

PROGRAM = []
VECTORS = []
SANITIZED = []


def read_until(fd, marker, timeout=30):
    """Output up to `marker`; with marker None, whatever comes until a
    quarter of a second passes without output."""
    data = b""
    deadline = time.time() + timeout
    while marker is None or marker not in data:
        left = deadline - time.time()
        if left <= 0:
            raise AssertionError("timed out waiting for %r, got %r" % (marker, data))
        ready, _, _ = select.select([fd], [], [], left if marker else min(left, 0.25))
        if not ready and marker is None:
            break
        if ready:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            data += chunk
    return data


class TerminalSession(unittest.TestCase):
    """Hidden prompts on a pseudo-terminal."""

    def setUp(self):
        self.master, self.slave = pty.openpty()
        self.process = None

    def start(self, args=(), program=True, stdin=None, stdout=None, stderr=None, cwd=None,
              limit_core=False, controlling=True):
        # The terminal becomes the program's controlling terminal (its
        # /dev/tty), so Ctrl+C typed on it arrives as SIGINT, as in a real
        # session. Unless told otherwise, all three streams are the terminal.
        def prepare():
            if controlling:
                fcntl.ioctl(self.slave, termios.TIOCSCTTY, 0)
            if limit_core:
                allow_core_files()
        self.process = subprocess.Popen((PROGRAM if program else []) + list(args),
                                        stdin=self.slave if stdin is None else stdin,
                                        stdout=self.slave if stdout is None else stdout,
                                        stderr=self.slave if stderr is None else stderr,
                                        start_new_session=True, cwd=cwd, env=ENVIRONMENT,
                                        preexec_fn=prepare)

    def tearDown(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
        if self.process is not None:
            self.process.wait(timeout=30)
            for stream in (self.process.stdin, self.process.stdout):
                if stream is not None:
                    stream.close()
        os.close(self.master)
        os.close(self.slave)

    def type_keywords(self, v, prompts=(b"Keyword 1: ", b"Keyword 2: ")):
        """Answers each prompt with the vector's keyword; returns what the
        terminal showed."""
        seen = b""
        for prompt, keyword in zip(prompts, (v["k1"], v["k2"])):
            seen += read_until(self.master, prompt)
            self.assertFalse(self.echo_is_on())
            os.write(self.master, keyword + b"\n")
        return seen

    def echo_is_on(self):
        return bool(termios.tcgetattr(self.slave)[3] & termios.ECHO)

    def test_keywords_are_not_echoed_and_echo_comes_back(self):
        v = next(v for v in VECTORS if v["name"] == "non-ascii")
        self.start(options_for(v))
        seen = read_until(self.master, b"Keyword 1: ")
        self.assertFalse(self.echo_is_on())
        os.write(self.master, v["k1"] + b"\n")
        seen += read_until(self.master, b"Keyword 2: ")
        os.write(self.master, v["k2"] + b"\n")
        seen += read_until(self.master, b"bits)")
        self.assertEqual(self.process.wait(timeout=60), 0)
        self.assertNotIn(v["k1"], seen)
        self.assertNotIn(v["k2"], seen)
        self.assertIn(v["password"].encode(), seen)
        self.assertTrue(self.echo_is_on())

    def test_keys_typed_before_the_prompt_are_thrown_away(self):
        # Typed while echo was still on, so shown on the screen in clear:
        # they must never become keyword 1, as getpass ensures.
        v = next(v for v in VECTORS if v["name"] == "default")
        os.write(self.master, b"master secret\n")
        self.start(options_for(v))
        seen = self.type_keywords(v)
        seen += read_until(self.master, b"bits)")
        self.assertEqual(self.process.wait(timeout=60), 0)
        self.assertIn(v["password"].encode(), seen)

    def test_prompts_go_to_the_terminal_whatever_standard_error_is(self):
        # 2>/dev/null must not hide the prompts, nor 2>log record them.
        v = next(v for v in VECTORS if v["name"] == "default")
        for to_file in (False, True):
            with self.subTest(stderr="a file" if to_file else "/dev/null"), \
                    tempfile.TemporaryFile() as log:
                self.start(options_for(v), stdout=subprocess.PIPE,
                           stderr=log if to_file else subprocess.DEVNULL)
                self.type_keywords(v)
                self.assertEqual(self.process.wait(timeout=60), 0)
                self.assertEqual(self.process.stdout.read(), v["password"].encode() + b"\n")
                shown = read_until(self.master, None)
                self.assertNotIn(b"bits)", shown)  # the strength line stays on standard error
                log.seek(0)
                logged = log.read()
                if to_file:
                    self.assertIn(b"Generated password  (74 bits)", logged)
                self.assertNotIn(b"Keyword", logged)
                self.process.stdout.close()
                self.process = None

    def test_a_terminal_that_is_not_the_controlling_one_still_hides_the_keywords(self):
        # No /dev/tty in a session without a controlling terminal: the
        # prompts go to standard error, and echo still goes off.
        v = next(v for v in VECTORS if v["name"] == "default")
        self.start(options_for(v), stdout=subprocess.PIPE, controlling=False)
        seen = self.type_keywords(v)
        self.assertEqual(self.process.wait(timeout=60), 0)
        self.assertEqual(self.process.stdout.read(), v["password"].encode() + b"\n")
        seen += read_until(self.master, None)
        self.assertNotIn(v["k1"], seen)
        self.assertNotIn(v["k2"], seen)
        self.assertTrue(self.echo_is_on())

    def test_piped_keywords_are_not_prompted_for_even_with_a_terminal(self):
        v = next(v for v in VECTORS if v["name"] == "default")
        self.start(options_for(v), stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        output, _ = self.process.communicate(v["k1"] + b"\n" + v["k2"] + b"\n", timeout=60)
        self.assertEqual(self.process.returncode, 0)
        self.assertEqual(output, v["password"].encode() + b"\n")
        self.assertNotIn(b"Keyword", read_until(self.master, None))

    def test_keyword_2_as_an_argument_asks_for_keyword_1_alone(self):
        v = next(v for v in VECTORS if v["name"] == "non-ascii")
        self.start(options_for(v) + [v["k2"]], stdout=subprocess.PIPE)
        read_until(self.master, b"Keyword 1: ")
        os.write(self.master, v["k1"] + b"\n")
        self.assertEqual(self.process.wait(timeout=60), 0)
        self.assertEqual(self.process.stdout.read(), v["password"].encode() + b"\n")
        self.assertNotIn(b"Keyword 2", read_until(self.master, None))

    def test_confirm_asks_for_keyword_1_twice(self):
        v = next(v for v in VECTORS if v["name"] == "default")
        for second, code in ((v["k1"], 0), (v["k1"] + b" ", 1), (v["k1"][:-1], 1)):
            with self.subTest(second=second):
                self.start(options_for(v) + ["--confirm"], stdout=subprocess.PIPE)
                read_until(self.master, b"Keyword 1: ")
                os.write(self.master, v["k1"] + b"\n")
                read_until(self.master, b"Keyword 1 again: ")
                self.assertFalse(self.echo_is_on())
                os.write(self.master, second + b"\n")
                if code == 0:
                    read_until(self.master, b"Keyword 2: ")
                    os.write(self.master, v["k2"] + b"\n")
                self.assertEqual(self.process.wait(timeout=60), code)
                output = self.process.stdout.read()
                shown = read_until(self.master, None)
                if code == 0:
                    self.assertEqual(output, v["password"].encode() + b"\n")
                else:
                    # Nothing generated, and keyword 2 not even asked for.
                    self.assertEqual(output, b"")
                    self.assertIn(b"tarnwell-cli: the two entries of keyword 1 differ; nothing "
                                  b"was generated.", shown)
                    self.assertNotIn(b"Keyword 2", shown)
                self.assertTrue(self.echo_is_on())
                self.process.stdout.close()
                self.process = None

    def test_a_line_with_an_arrow_key_is_typed_again(self):
        # Left arrow, then a letter: the terminal hands over "abc\x1b[DX",
        # where the window would have made "abXc".
        v = next(v for v in VECTORS if v["name"] == "default")
        self.start(options_for(v), stdout=subprocess.PIPE)
        read_until(self.master, b"Keyword 1: ")
        os.write(self.master, v["k1"][:-1] + b"\x1b[D" + v["k1"][-1:] + b"\n")
        # The message, then the same prompt again.
        seen = read_until(self.master, b"Keyword 1: ")
        self.assertIn(b"tarnwell-cli: Keyword 1 holds a control character, perhaps from an arrow "
                      b"or Delete key; only Backspace edits at this prompt. Type it again.", seen)
        self.assertFalse(self.echo_is_on())
        os.write(self.master, v["k1"] + b"\n")
        read_until(self.master, b"Keyword 2: ")
        os.write(self.master, v["k2"] + b"\n")
        self.assertEqual(self.process.wait(timeout=60), 0)
        self.assertEqual(self.process.stdout.read(), v["password"].encode() + b"\n")
        self.assertTrue(self.echo_is_on())

    def test_three_lines_with_control_characters_end_the_program(self):
        self.start(stdout=subprocess.PIPE)
        read_until(self.master, b"Keyword 1: ")
        os.write(self.master, b"alpha\n")
        # Delete, Home, and a DEL typed literally (Ctrl+V, Backspace), which
        # Backspace alone never leaves in the line.
        for typed in (b"be\x1b[3~ta\n", b"\x1b[Hbeta\n", b"beta\x16\x7f\n"):
            read_until(self.master, b"Keyword 2: ")
            os.write(self.master, typed)
        seen = read_until(self.master, b"tries.")
        self.assertIn(b"Keyword 2 holds a control character", seen)
        self.assertEqual(self.process.wait(timeout=30), 1)
        self.assertEqual(self.process.stdout.read(), b"")
        self.assertTrue(self.echo_is_on())

    def test_a_signal_at_the_prompt_restores_echo_and_ends_the_program_by_it(self):
        # Each of these ends a program by default; the shell must see which.
        names = ["SIGUSR1", "SIGUSR2", "SIGALRM", "SIGVTALRM", "SIGPROF", "SIGPIPE", "SIGXCPU",
                 "SIGXFSZ", "SIGIO", "SIGPWR", "SIGSYS", "SIGTRAP", "SIGSTKFLT", "SIGTERM",
                 "SIGHUP", "SIGRTMIN", "SIGRTMAX"]
        fresh = termios.tcgetattr(self.slave)
        for name in names:
            number = getattr(signal, name)
            with self.subTest(name):
                # A failed case leaves echo off; the next starts afresh.
                termios.tcsetattr(self.slave, termios.TCSANOW, fresh)
                self.start(stdout=subprocess.PIPE)
                read_until(self.master, b"Keyword 1: ")
                self.assertFalse(self.echo_is_on())
                os.write(self.master, b"half typed")
                self.process.send_signal(number)
                self.assertEqual(self.process.wait(timeout=30), -number)
                self.assertTrue(self.echo_is_on())
                self.assertEqual(self.process.stdout.read(), b"")
                self.process.stdout.close()
                self.process = None
                termios.tcflush(self.slave, termios.TCIFLUSH)

    def test_ctrl_c_at_the_prompt_restores_echo(self):
        self.start()
        read_until(self.master, b"Keyword 1: ")
        self.assertFalse(self.echo_is_on())
        os.write(self.master, b"half typed\x03")
        self.assertEqual(self.process.wait(timeout=30), -signal.SIGINT)
        self.assertTrue(self.echo_is_on())

    def test_end_of_input_at_an_empty_prompt_ends_the_program(self):
        for prompt, before in ((b"Keyword 1: ", b""), (b"Keyword 2: ", b"alpha\n")):
            with self.subTest(prompt=prompt):
                self.start(stdout=subprocess.PIPE)
                read_until(self.master, b"Keyword 1: ")
                if before:
                    os.write(self.master, before)
                    read_until(self.master, b"Keyword 2: ")
                os.write(self.master, b"\x04")  # Ctrl+D
                self.assertEqual(self.process.wait(timeout=30), 1)
                self.assertEqual(self.process.stdout.read(), b"")
                if not before:
                    self.assertNotIn(b"Keyword 2: ", read_until(self.master, None))
                self.assertTrue(self.echo_is_on())
                self.process.stdout.close()
                self.process = None

    def test_typed_keyword_that_fills_the_line_buffer_is_refused(self):
        # Linux keeps 4095 bytes of a line and drops the rest without a word;
        # piped, the same keyword would be read whole.
        self.start(stdout=subprocess.PIPE)
        read_until(self.master, b"Keyword 1: ")
        os.write(self.master, b"k" * 5000 + b"\n")
        seen = read_until(self.master, b"instead.")
        self.assertIn(b"Keyword 1 filled the terminal's line limit", seen)
        self.assertIn(b"pipe the keywords", seen)
        self.assertEqual(self.process.wait(timeout=30), 1)
        self.assertEqual(self.process.stdout.read(), b"")
        self.process.stdout.close()

    def test_just_below_the_line_buffer_is_a_keyword(self):
        self.start()
        read_until(self.master, b"Keyword 1: ")
        os.write(self.master, b"k" * 4094 + b"\n")
        read_until(self.master, b"Keyword 2: ")
        os.write(self.master, b"beta\n")
        read_until(self.master, b"bits)")
        self.assertEqual(self.process.wait(timeout=60), 0)

    def finish_job(self, v):
        """Types both keywords into a job of JOB_CONTROL_SHELL whose first
        prompt has shown, and checks its password and the echo after it."""
        os.write(self.master, v["k1"] + b"\n")
        read_until(self.master, b"Keyword 2: ")
        os.write(self.master, v["k2"] + b"\n")
        seen = read_until(self.master, b"[exit 0]")
        self.assertIn(v["password"].encode() + b"\r\n", seen)
        self.assertTrue(self.echo_is_on())

    def test_a_stop_gives_echo_back_and_fg_asks_again_with_echo_off(self):
        # Ctrl+Z, and the stops a read or a terminal change from the
        # background would bring.
        v = next(v for v in VECTORS if v["name"] == "default")
        fresh = termios.tcgetattr(self.slave)
        for how in ("Ctrl+Z", "SIGTTIN", "SIGTTOU"):
            with self.subTest(how):
                termios.tcsetattr(self.slave, termios.TCSANOW, fresh)
                self.start([sys.executable, "-c", JOB_CONTROL_SHELL] + PROGRAM + options_for(v),
                           program=False)
                # The job's number and the prompt come in either order, maybe in one chunk.
                seen = read_until(self.master, b"Keyword 1: ")
                while not re.search(rb"\[job \d+\]", seen):
                    seen += read_until(self.master, b"]")
                job = int(re.search(rb"\[job (\d+)\]", seen).group(1))
                self.addCleanup(end_quietly, job)  # should a case fail while it is stopped
                self.assertFalse(self.echo_is_on())
                # Typed before the stop: must not become part of keyword 1.
                os.write(self.master, b"typed before the stop")
                if how == "Ctrl+Z":
                    os.write(self.master, b"\x1a")
                else:
                    os.kill(job, getattr(signal, how))
                read_until(self.master, b"[stopped]")
                self.assertTrue(self.echo_is_on())
                os.kill(job, signal.SIGCONT)  # fg
                read_until(self.master, b"Keyword 1: ")
                self.assertTrue(wait_for(lambda: not self.echo_is_on()))
                self.finish_job(v)
                self.process.wait(timeout=30)
                self.process = None

    def test_started_in_the_background_it_asks_once_brought_to_the_foreground(self):
        # The terminal is left alone from the background: the read stops the
        # job, and only in the foreground does echo go off and the prompt show.
        v = next(v for v in VECTORS if v["name"] == "default")
        self.start([sys.executable, "-c", JOB_CONTROL_SHELL, "--background"] + PROGRAM
                   + options_for(v), program=False)
        seen = read_until(self.master, b"Keyword 1: ")
        self.assertIn(b"[stopped]", seen)
        self.assertLess(seen.index(b"[stopped]"), seen.index(b"Keyword 1: "))
        self.assertEqual(seen.count(b"Keyword 1: "), 1)
        self.assertTrue(wait_for(lambda: not self.echo_is_on()))
        self.finish_job(v)

    def test_ctrl_backslash_leaves_no_core_file(self):
        with open("/proc/sys/kernel/core_pattern") as f:
            pattern = f.read().strip()
        if pattern.startswith("|") or "/" in pattern:
            self.skipTest("core files go elsewhere on this machine (core_pattern %r)" % pattern)
        if SANITIZED:
            self.skipTest("AddressSanitizer turns core files off by itself")
        with tempfile.TemporaryDirectory() as folder:
            # The control: a process under the same limit in the same folder
            # does leave a core file when it gets SIGQUIT.
            control = subprocess.run(
                [sys.executable, "-c", "import os, signal; os.kill(os.getpid(), signal.SIGQUIT)"],
                cwd=folder, preexec_fn=allow_core_files)
            self.assertEqual(control.returncode, -signal.SIGQUIT)
            if not core_files(folder):
                self.skipTest("this machine writes no core file even for the control process")
            for name in core_files(folder):
                os.remove(os.path.join(folder, name))

            self.start(cwd=folder, limit_core=True)
            read_until(self.master, b"Keyword 1: ")
            os.write(self.master, b"secret keyword one\n")
            read_until(self.master, b"Keyword 2: ")
            os.write(self.master, b"half typed\x1c")  # Ctrl+\\
            self.assertEqual(self.process.wait(timeout=30), -signal.SIGQUIT)
            self.assertEqual(core_files(folder), [])
            self.assertTrue(self.echo_is_on())


# Stands in for an interactive shell: runs the program as a job in its own
# process group in the foreground, and says when it stops and how it ends.
# A stop from the terminal needs such a parent, since the kernel ignores
# Ctrl+Z in a process group that has none (an orphaned one).
JOB_CONTROL_SHELL = r"""
import os, signal, sys
signal.signal(signal.SIGTTOU, signal.SIG_IGN)
# With --background the job starts as "program &" does, and its first stop
# brings it to the foreground, as "fg" does.
background = sys.argv[1] == "--background"
command = sys.argv[2:] if background else sys.argv[1:]
pid = os.fork()
if pid == 0:
    os.setpgid(0, 0)
    if not background:
        os.tcsetpgrp(0, os.getpid())
    signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.execvp(command[0], command)
try:
    os.setpgid(pid, pid)
except OSError:
    pass
os.write(2, b"[job %d]" % pid)
while True:
    _, status = os.waitpid(pid, os.WUNTRACED)
    if os.WIFSTOPPED(status):
        os.write(2, b"[stopped]")
        if background:
            background = False
            os.tcsetpgrp(0, pid)
            os.kill(pid, signal.SIGCONT)
    else:
        os.write(2, b"[exit %d]" % os.waitstatus_to_exitcode(status))
        break
"""


def end_quietly(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def allow_core_files():
    resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))


def core_files(folder):
    return sorted(name for name in os.listdir(folder) if re.match(r"core(\.|$)", name))


def wait_for(condition, timeout=10):
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            return False
        time.sleep(0.02)
    return True


def close_pipes(process):
    """Closes the pipes to and from an ended `process`."""
    for pipe in (process.stdin, process.stdout, process.stderr):
        if pipe is not None:
            pipe.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("program")
    args, rest = parser.parse_known_args()
    PROGRAM.append(args.program)
    VECTORS.extend(load_vectors(args.vectors))
    if args.sanitized:
        SANITIZED.append(True)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
