#!/usr/bin/env python3
"""What tarnwell-cli says instead of a password: the help in every spelling,
usage errors, refused keywords (piped or as an argument), --quiet and
--confirm without a terminal, and the program's name on every message.

    cli_usage_test.py --vectors tests/vectors/passwords.tsv [--sanitized]
        -- [runner...] tarnwell-cli
"""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cli_run import (ENVIRONMENT, PROGRAM, VECTORS, finished, main,  # noqa: E402
                     options_for, run, run_all, under_wine)


class HelpSpellings(unittest.TestCase):
    """Every way of asking for the help; "/?" only on Windows, and only alone."""
    SYNOPSIS = b"Usage: tarnwell-cli [options] [KEYWORD2]\n"

    def test_help_in_every_spelling(self):
        spellings = [["--help"], ["-h"], ["-q", "-h"]] + ([["/?"]] if under_wine() else [])
        for args, result in zip(spellings, run_all([(args, b"") for args in spellings])):
            with self.subTest(args=args):
                result = finished(result)
                self.assertEqual(result.returncode, 0, result.stderr)
                # The help is text: Windows ends its lines with CR LF.
                help_text = result.stdout.replace(b"\r\n", b"\n")
                self.assertTrue(help_text.startswith(self.SYNOPSIS), result.stdout[:80])

    def test_slash_question_mark_among_other_arguments_is_no_help(self):
        # Then it is KEYWORD2 like any other text, on every build.
        for args in (["/?", "-q"], ["--", "/?"]):
            with self.subTest(args=args):
                result = run(args, b"alpha\n")
                self.assertNotIn(b"Usage:", result.stdout)


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

    def test_copy_without_a_clipboard_is_refused_before_any_keyword(self):
        if under_wine():
            self.skipTest("Windows always has a clipboard; cli_copy_test runs the .exe's --copy")
        env = {k: v for k, v in ENVIRONMENT.items() if k != "DISPLAY"}
        for args in (["--copy"], ["-c", "--length", "20"]):
            with self.subTest(args=args):
                result = subprocess.run(PROGRAM + args, input=b"alpha\nbeta\n",
                                        capture_output=True, timeout=300, env=env)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertEqual(result.stdout, b"")
                self.assertIn(b"tarnwell-cli: --copy ", result.stderr)
                self.assertIn(b"; without --copy the password goes to standard output.",
                              result.stderr)
                self.assertNotIn(b"Generated password", result.stderr)

    def test_help_and_version(self):
        result = run(["--help"])
        self.assertEqual(result.returncode, 0)
        self.assertIn(b"--length N", result.stdout)
        result = run(["--version"])
        self.assertEqual(result.returncode, 0)
        self.assertTrue(result.stdout.startswith(b"tarnwell-cli "))


class KeywordTwoAndMessages(unittest.TestCase):
    """Keyword 2 as an argument, --quiet, --confirm without a terminal, and
    the program's name on every message."""

    def test_keyword_2_as_an_argument_gives_the_password_of_both_lines(self):
        v = next(v for v in VECTORS if v["name"] == "non-ascii")
        result = run(options_for(v) + ["--", v["k2"].decode()], v["k1"] + b"\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, v["password"].encode() + b"\n")

    def test_an_argument_that_is_not_utf8_is_refused_as_piped_input_is(self):
        if under_wine():
            self.skipTest("Windows hands over its arguments as UTF-16")
        result = run([b"caf\xe9"], b"alpha\n")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, b"")
        self.assertIn(b"tarnwell-cli: Keyword 2 is not UTF-8 text", result.stderr)

    def test_an_argument_is_judged_after_the_piped_keyword_1(self):
        # The pair's order: a missing keyword first, then keyword 1's faults,
        # then keyword 2's, as with both keywords piped.
        if under_wine():
            self.skipTest("Windows hands over its arguments as UTF-16")
        cases = [(b"\n", b"tarnwell-cli: Both Keyword 1 and Keyword 2 are required.\n"),
                 (b"a\x00b\n",
                  b"tarnwell-cli: Keyword 1 holds a NUL character (U+0000); remove it.\n")]
        for stdin, stderr in cases:
            with self.subTest(stdin=stdin):
                result = run([b"caf\xe9"], stdin)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertEqual(result.stderr, stderr)

    def test_a_long_argument_is_judged_after_the_piped_keyword_1(self):
        # The same order on both builds, with a fault Windows' arguments can hold.
        too_long = "k" * 30001
        cases = [(b"\n", b"tarnwell-cli: Both Keyword 1 and Keyword 2 are required."),
                 (b"caf\xe9\n", b"tarnwell-cli: Keyword 1 is not UTF-8 text; save or convert "
                                b"the input as UTF-8."),
                 (b"alpha\n", b"tarnwell-cli: Keyword 2 is longer than 30000 characters "
                              b"(UTF-16 units); use a shorter keyword.")]
        results = run_all([([too_long], stdin) for stdin, _ in cases])
        for (stdin, message), result in zip(cases, results):
            with self.subTest(stdin=stdin):
                result = finished(result)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertEqual(result.stderr.replace(b"\r\n", b"\n"), message + b"\n")

    def test_quiet_leaves_out_the_strength_line(self):
        v = next(v for v in VECTORS if v["name"] == "default")
        for spelling in ("-q", "--quiet"):
            with self.subTest(spelling):
                result = run([spelling], v["k1"] + b"\n" + v["k2"] + b"\n")
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, v["password"].encode() + b"\n")
                self.assertEqual(result.stderr, b"")

    def test_confirm_needs_a_terminal(self):
        result = run(["--confirm"], b"alpha\nbeta\n")
        self.assertEqual(result.returncode, 2)
        self.assertEqual(result.stdout, b"")
        self.assertIn(b"--confirm", result.stderr)
        self.assertIn(b"--help", result.stderr)

    def test_every_message_starts_with_the_programs_name(self):
        cases = [([], b"a\x00b\nc\n"), ([], b"alpha\n"), ([], b"alpha\nbeta\nthird\n"),
                 ([], b"caf\xe9\nbeta\n"), (["beta"], b"alpha\nbeta\n"), (["--bogus"], b""),
                 (["--symbols", "abc"], b"alpha\nbeta\n"), (["--confirm"], b"alpha\n")]
        results = run_all(cases)
        for (args, stdin), result in zip(cases, results):
            with self.subTest(args=args, stdin=stdin):
                lines = finished(result).stderr.decode("utf-8", "replace").splitlines()
                messages = [line for line in lines if not line.startswith("Generated password")]
                self.assertTrue(messages)
                for line in messages:
                    self.assertTrue(line.startswith("tarnwell-cli: "), line)


if __name__ == "__main__":
    main()
