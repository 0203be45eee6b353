"""What the tests of tarnwell-cli share: the program to run (through its
runner under Wine), the vector and input tables, and how a test script reads
its command line.

    <test>.py --vectors tests/vectors/passwords.tsv [--inputs tests/vectors/inputs.tsv]
        [--sanitized] -- [runner...] tarnwell-cli
"""
import argparse
import concurrent.futures
import json
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


def main():
    """Reads the tables and the program from the command line, then runs the
    calling script's tests."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", required=True)
    parser.add_argument("--inputs")
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("program", nargs="+")
    args, rest = parser.parse_known_args()
    PROGRAM.extend(args.program)
    VECTORS.extend(load_vectors(args.vectors))
    if args.inputs:
        INPUTS.extend(load_inputs(args.inputs))
    if args.sanitized:
        SANITIZED.append(True)
    unittest.main(module="__main__", argv=[sys.argv[0], "-v"] + rest)
