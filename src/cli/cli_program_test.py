#!/usr/bin/env python3
"""Runs tarnwell-cli as a user would: keywords piped on standard input and
checked against the checked-in vectors, usage errors, refused input, and (for
a native build) hidden prompts on a pseudo-terminal.

    cli_program_test.py --vectors tests/vectors/passwords.tsv -- [runner...] tarnwell-cli
"""
import argparse
import math
import os
import select
import signal
import subprocess
import sys
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
ALL_SYMBOLS = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"


def run(args, stdin=b"", timeout=300):
    return subprocess.run(PROGRAM + args, input=stdin, capture_output=True, timeout=timeout)


def load_vectors(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            name, k1, k2, length, classes, symbols, password = line.split("\t")
            rows.append(dict(name=name, k1=bytes.fromhex(k1), k2=bytes.fromhex(k2),
                             length=int(length), classes=classes, symbols=symbols,
                             password=password))
    return rows


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
        for v in VECTORS:
            with self.subTest(v["name"]):
                result = run(options_for(v), v["k1"] + b"\n" + v["k2"] + b"\n")
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
    data = b""
    deadline = time.time() + timeout
    while marker not in data:
        left = deadline - time.time()
        if left <= 0:
            raise AssertionError("timed out waiting for %r, got %r" % (marker, data))
        ready, _, _ = select.select([fd], [], [], left)
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

    def start(self, args=()):
        # The terminal becomes the program's controlling terminal, so Ctrl+C
        # typed on it arrives as SIGINT, as in a real session.
        self.process = subprocess.Popen(PROGRAM + list(args), stdin=self.slave,
                                        stdout=self.slave, stderr=self.slave,
                                        start_new_session=True,
                                        preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))

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

    def test_end_of_input_at_the_prompt(self):
        self.start()
        read_until(self.master, b"Keyword 1: ")
        os.write(self.master, b"alpha\n")
        read_until(self.master, b"Keyword 2: ")
        os.write(self.master, b"\x04")  # Ctrl+D
        seen = read_until(self.master, b"required.")
        self.assertIn(b"Both Keyword 1 and Keyword 2 are required.", seen)
        self.assertEqual(self.process.wait(timeout=30), 1)
        self.assertTrue(self.echo_is_on())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("program", nargs="+")
    args, rest = parser.parse_known_args()
    PROGRAM.extend(args.program)
    VECTORS.extend(load_vectors(args.vectors))
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
