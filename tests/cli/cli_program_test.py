#!/usr/bin/env python3
"""Runs tarnwell-cli as a user would, with keywords piped on standard input:
the passwords and strength lines of the checked-in vectors, and the table of
input rules that every build must follow alike. Help, usage errors and
refused input are in cli_usage_test.py, the sessions at a terminal in
cli_terminal_test.py.

    cli_program_test.py --vectors tests/vectors/passwords.tsv
        --inputs tests/vectors/inputs.tsv [--sanitized] -- [runner...] tarnwell-cli
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# ENVIRONMENT, load_vectors and options_for are also the other scripts' way in.
from cli_run import (ENVIRONMENT, INPUTS, LONG_KEYWORDS_UNDER_WINE, VECTORS,  # noqa: E402,F401
                     finished, load_vectors, main, options_for, run, run_all, under_wine)


# The strength line of each vector, worked out by hand: length x log2 of the
# pool (26 lowercase, 26 uppercase, 10 digits, the allowed symbols), rounded.
# A row added to the vectors gets its figure here too.
EXPECTED_BITS = {
    "default": 74,                        # 12 x log2 70
    "swapped": 74,
    "boundary-moved": 74,
    "spaces-kept": 74,
    "only-spaces": 74,
    "non-ascii": 98,                      # 16 x log2 70 = 98.07
    "shortest": 31,                       # 5 x log2 70 = 30.65
    "longest-all-symbols": 839,           # 128 x log2 94 = 838.99
    "letters-only": 68,                   # 12 x log2 52 = 68.41
    "lowercase-only": 24,                 # 5 x log2 26 = 23.50
    "uppercase-digits": 103,              # 20 x log2 36 = 103.40
    "lowercase-symbols": 102,             # 20 x log2 34 = 101.75
    "one-symbol": 72,                     # 12 x log2 63 = 71.73
    "symbol-order": 74,
    "uppercase-symbol-32": 375,           # 64 x log2 58 = 374.91
    "digits-lowercase-long": 517,         # 100 x log2 36 = 516.99
    "secret-one-block": 74,
    "secret-one-block-and-a-byte": 74,
    "long-keyword-30000": 74,
    "long-keywords-non-ascii": 98,
}


class PipedKeywords(unittest.TestCase):
    def test_every_vector(self):
        self.assertGreaterEqual(len(VECTORS), 12)
        results = run_all([(options_for(v), v["k1"] + b"\n" + v["k2"] + b"\n") for v in VECTORS])
        for v, result in zip(VECTORS, results):
            with self.subTest(v["name"]):
                result = finished(result)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, v["password"].encode() + b"\n")
                self.assertIn(v["name"], EXPECTED_BITS, "no strength figure for this row")
                self.assertIn(b"Generated password  (%d bits)" % EXPECTED_BITS[v["name"]],
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


if __name__ == "__main__":
    main()
