#!/usr/bin/env python3
"""Runs tarnwell-cli as a user would: keywords piped on standard input and
checked against the checked-in vectors, the table of input rules that every
build must follow alike, usage errors and refused input. The sessions at a
terminal are in cli_terminal_test.py.

    cli_program_test.py --vectors tests/vectors/passwords.tsv
        --inputs tests/vectors/inputs.tsv [--sanitized] -- [runner...] tarnwell-cli
"""
import argparse
import json
import concurrent.futures
import math
import os
import subprocess
import sys
import unittest

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
    # The arguments are a JSON list, so that one may hold a space.
    return [dict(name=name, args=json.loads(args), stdin=expand_hex(stdin),
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
