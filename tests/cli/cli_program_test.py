#!/usr/bin/env python3
"""Runs tarnwell-cli as a user would: keywords piped on standard input and
checked against the checked-in vectors, the table of input rules that every
build must follow alike, usage errors, refused input, and (for a native
build) hidden prompts on a pseudo-terminal.

    cli_program_test.py --vectors tests/vectors/passwords.tsv
        --inputs tests/vectors/inputs.tsv [--sanitized] -- [runner...] tarnwell-cli
"""
import argparse
import concurrent.futures
import math
import os
import re
import resource
import select
import signal
import subprocess
import sys
import tempfile
import time
import unittest

try:  # the terminal session needs POSIX terminals
    import fcntl
    import pty
    import termios
except ImportError:
    pty = None

PROGRAM = []
VECTORS = []
INPUTS = []
SANITIZED = []
ALL_SYMBOLS = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"

# Wine's own PBKDF2 takes about a minute for a keyword longer than 64 bytes;
# the CNG provider hashes such secrets first, so these rows run under Wine
# too. False leaves them to the native run.
LONG_KEYWORDS_UNDER_WINE = True

# Arguments reach Wine as the bytes of this locale, so it must be UTF-8.
ENVIRONMENT = dict(os.environ, LC_ALL="C.UTF-8")


def under_wine():
    """A Windows build, run through cmake/wine-run.sh. A cross-built Linux
    program run under qemu-user is not: it follows the Linux rows."""
    return any(os.path.basename(part) == "wine-run.sh" for part in PROGRAM[:-1])


def run(args, stdin=b"", timeout=300):
    return subprocess.run(PROGRAM + args, input=stdin, capture_output=True, timeout=timeout,
                          env=ENVIRONMENT)


def run_all(runs):
    """Runs every (args, stdin) at once and returns their results in order:
    under Wine most of each run is start-up, which overlaps well. A run
    that fails to finish gives its exception, for its own case to raise."""
    def run_one(run_):
        try:
            return run(*run_)
        except subprocess.SubprocessError as error:
            return error
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(4, os.cpu_count() or 1)) as pool:
        return list(pool.map(run_one, runs))


def finished(result):
    if isinstance(result, Exception):
        raise result
    return result


def table_rows(path):
    """The tab-separated fields of each row of a vector file, comments skipped."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                yield line.split("\t")


def load_vectors(path):
    return [dict(name=name, k1=bytes.fromhex(k1), k2=bytes.fromhex(k2), length=int(length),
                 classes=classes, symbols=symbols, password=password)
            for name, k1, k2, length, classes, symbols, password in table_rows(path)]


def expand_hex(text):
    """Standard input from inputs.tsv: hex runs, HEX*N meaning N repeats."""
    data = b""
    for run_ in text.split():
        unit, _, count = run_.partition("*")
        data += bytes.fromhex(unit) * int(count or 1)
    return data


def load_inputs(path):
    return [dict(name=name, args=args.split(" ") if args else [], stdin=expand_hex(stdin),
                 code=int(code), password=password, message=message)
            for name, args, stdin, code, password, message in table_rows(path)]


def options_for(v):
    args = ["--length", str(v["length"])]
    if "n" not in v["classes"]:
        args.append("--no-numbers")
    if "u" not in v["classes"]:
        args.append("--no-uppercase")
    if "l" not in v["classes"]:
        args.append("--no-lowercase")
    args += ["--symbols=" + v["symbols"]] if v["symbols"] else ["--no-symbols"]
    return args


def expected_bits(v):
    pool = (26 * ("l" in v["classes"]) + 26 * ("u" in v["classes"])
            + 10 * ("n" in v["classes"]) + len(v["symbols"]))
    return "%.0f" % (v["length"] * math.log2(pool))


class PipedKeywords(unittest.TestCase):
    def test_every_vector(self):
        self.assertGreaterEqual(len(VECTORS), 12)
        results = run_all([(options_for(v), v["k1"] + b"\n" + v["k2"] + b"\n") for v in VECTORS])
        for v, result in zip(VECTORS, results):
            with self.subTest(v["name"]):
                result = finished(result)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, v["password"].encode() + b"\n")
                self.assertIn(b"Generated password  (%s bits)" % expected_bits(v).encode(),
                              result.stderr)

    def test_windows_line_endings_and_no_final_newline(self):
        v = VECTORS[0]
        for stdin in (v["k1"] + b"\r\n" + v["k2"] + b"\r\n", v["k1"] + b"\n" + v["k2"]):
            with self.subTest(stdin=stdin):
                result = run(options_for(v), stdin)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, v["password"].encode() + b"\n")

    def test_default_settings_are_the_windows_program_defaults(self):
        v = next(v for v in VECTORS if v["name"] == "default")
        result = run([], v["k1"] + b"\n" + v["k2"] + b"\n")
        self.assertEqual(result.stdout, v["password"].encode() + b"\n")
        self.assertIn(b"Generated password  (74 bits)", result.stderr)


class InputRules(unittest.TestCase):
    """The same rows and expectations for the native program and the .exe."""

    def test_every_row(self):
        self.assertTrue(INPUTS, "no rows read from the table")
        rows = [row for row in INPUTS
                if not (under_wine() and row["code"] == 0 and not LONG_KEYWORDS_UNDER_WINE
                        and max(len(line) for line in row["stdin"].split(b"\n")) > 64)]
        results = run_all([(row["args"], row["stdin"]) for row in rows])
        for row, result in zip(rows, results):
            with self.subTest(row["name"]):
                result = finished(result)
                self.assertEqual(result.returncode, row["code"], result.stderr[-300:])
                expected = row["password"].encode() + b"\n" if row["password"] else b""
                self.assertEqual(result.stdout, expected)
                self.assertIn(row["message"].encode(), result.stderr)


class RefusedInput(unittest.TestCase):
    def test_missing_or_empty_keyword(self):
        for stdin in (b"", b"alpha\n", b"\nbeta\n", b"alpha\n\n"):
            with self.subTest(stdin=stdin):
                result = run([], stdin)
                self.assertNotEqual(result.returncode, 0)
                self.assertEqual(result.stdout, b"")
                self.assertIn(b"Both Keyword 1 and Keyword 2 are required.", result.stderr)

    def test_input_that_is_not_utf8(self):
        for stdin in (b"caf\xe9\nbeta\n", b"alpha\n\xed\xa0\x80\n"):
            with self.subTest(stdin=stdin):
                result = run([], stdin)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertIn(b"not", result.stderr)
                self.assertIn(b"UTF-8", result.stderr)

    def test_usage_errors_exit_2_with_a_hint(self):
        cases = [["--length", "4"], ["--length", "129"], ["--length"], ["--bogus"],
                 ["my", "keywords"], ["--no-uppercase", "--no-lowercase"]]
        for args in cases:
            with self.subTest(args=args):
                result = run(args, b"alpha\nbeta\n")
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, b"")
                self.assertIn(b"--help", result.stderr)
                self.assertNotIn(b"my", result.stderr.replace(b"tarnwell", b""))

    def test_help_and_version(self):
        result = run(["--help"])
        self.assertEqual(result.returncode, 0)
        self.assertIn(b"--length N", result.stdout)
        result = run(["--version"])
        self.assertEqual(result.returncode, 0)
        self.assertTrue(result.stdout.startswith(b"tarnwell-cli "))


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
    """Hidden prompts on a pseudo-terminal (native builds only)."""

    def setUp(self):
        if len(PROGRAM) != 1 or pty is None:
            self.skipTest("the terminal session runs against a native POSIX build only")
        self.master, self.slave = pty.openpty()
        self.process = None

    def start(self, args=(), program=True, stdout=None, cwd=None, limit_core=False):
        # The terminal becomes the program's controlling terminal, so Ctrl+C
        # typed on it arrives as SIGINT, as in a real session.
        def prepare():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
            if limit_core:
                allow_core_files()
        self.process = subprocess.Popen((PROGRAM if program else []) + list(args),
                                        stdin=self.slave,
                                        stdout=self.slave if stdout is None else stdout,
                                        stderr=self.slave, start_new_session=True, cwd=cwd,
                                        env=ENVIRONMENT, preexec_fn=prepare)

    def tearDown(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
        if self.process is not None:
            self.process.wait(timeout=30)
        os.close(self.master)
        os.close(self.slave)

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

    def test_ctrl_z_gives_echo_back_and_fg_asks_again_with_echo_off(self):
        v = next(v for v in VECTORS if v["name"] == "default")
        self.start([sys.executable, "-c", JOB_CONTROL_SHELL] + PROGRAM + options_for(v),
                   program=False)
        job = int(read_until(self.master, b"]").split(b"[job ")[1].split(b"]")[0])
        read_until(self.master, b"Keyword 1: ")
        self.assertFalse(self.echo_is_on())
        # Typed before the stop: must not become part of keyword 1.
        os.write(self.master, b"typed before the stop")
        os.write(self.master, b"\x1a")  # Ctrl+Z
        read_until(self.master, b"[stopped]")
        self.assertTrue(self.echo_is_on())
        os.kill(job, signal.SIGCONT)  # fg
        read_until(self.master, b"Keyword 1: ")
        self.assertTrue(wait_for(lambda: not self.echo_is_on()))
        os.write(self.master, v["k1"] + b"\n")
        read_until(self.master, b"Keyword 2: ")
        os.write(self.master, v["k2"] + b"\n")
        seen = read_until(self.master, b"[exit 0]")
        self.assertIn(v["password"].encode() + b"\r\n", seen)
        self.assertTrue(self.echo_is_on())

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
pid = os.fork()
if pid == 0:
    os.setpgid(0, 0)
    os.tcsetpgrp(0, os.getpid())
    signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.execvp(sys.argv[1], sys.argv[1:])
try:
    os.setpgid(pid, pid)
except OSError:
    pass
os.write(2, b"[job %d]" % pid)
while True:
    _, status = os.waitpid(pid, os.WUNTRACED)
    if os.WIFSTOPPED(status):
        os.write(2, b"[stopped]")
    else:
        os.write(2, b"[exit %d]" % os.waitstatus_to_exitcode(status))
        break
"""


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--inputs", required=True)
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("program", nargs="+")
    args, rest = parser.parse_known_args()
    PROGRAM.extend(args.program)
    VECTORS.extend(load_vectors(args.vectors))
    INPUTS.extend(load_inputs(args.inputs))
    if args.sanitized:
        SANITIZED.append(True)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
