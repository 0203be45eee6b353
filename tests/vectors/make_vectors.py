#!/usr/bin/env python3
"""Writes passwords.tsv: end-to-end password vectors computed independently of
the C++ code, with nothing but Python's hashlib and hmac; and inputs.tsv: the
command-line program's input rules as rows of options and piped input with
the expected password or refusal, the same for every build.

Rerun from the repository root with
    python3 tests/vectors/make_vectors.py > tests/vectors/passwords.tsv
    python3 tests/vectors/make_vectors.py inputs > tests/vectors/inputs.tsv
passwords.tsv must not change: every row is a password that users rely on.
"""
import hashlib
import hmac
import json
import sys

ITERATIONS = 600000
SALT_LABEL = b"VORKASOFT-PWGEN-v2"
EXTRACT_LABEL = b"VORKASOFT-v2-EXTRACT"
MATERIAL_LABEL = b"VORKASOFT-v2-MATERIAL"
LOWER = "abcdefghijklmnopqrstuvwxyz"
UPPER = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
DIGITS = "0123456789"
ALL_SYMBOLS = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"


def material(k1: bytes, k2: bytes, length: int) -> bytes:
    salt = hashlib.sha256(SALT_LABEL).digest()
    stretched = hashlib.pbkdf2_hmac("sha256", k1 + b"\x00" + k2, salt, ITERATIONS, 32)
    prk = hmac.new(EXTRACT_LABEL, stretched, hashlib.sha256).digest()
    size = 4 * length + 512
    out, block, counter = b"", b"", 1
    while len(out) < size:
        block = hmac.new(prk, block + MATERIAL_LABEL + bytes([counter]), hashlib.sha256).digest()
        out += block
        counter += 1
    return out[:size]


class Stream:
    def __init__(self, data: bytes):
        self.data, self.cursor = data, 0

    def draw(self, n: int) -> int:
        limit = 256 - 256 % n
        while self.cursor < len(self.data):
            b = self.data[self.cursor]
            self.cursor += 1
            if b < limit:
                return b % n
        return 0


def password(k1: str, k2: str, length: int, classes: str, symbols: str) -> str:
    pools = [p for c, p in (("l", LOWER), ("u", UPPER), ("n", DIGITS)) if c in classes]
    if symbols:
        pools.append(symbols)
    combined = "".join(pools)
    stream = Stream(material(k1.encode("utf-8"), k2.encode("utf-8"), length))
    out = []
    for pool in pools:
        if len(out) == length:
            break
        out.append(pool[stream.draw(len(pool))])
    while len(out) < length:
        out.append(combined[stream.draw(len(combined))])
    for i in range(length, 1, -1):
        d = stream.draw(i)
        out[i - 1], out[d] = out[d], out[i - 1]
    return "".join(out)


# name, keyword 1, keyword 2, length, classes (l u n), symbols
CASES = [
    ("default", "correct horse", "battery staple", 12, "lun", "!@#$%*-_"),
    ("swapped", "battery staple", "correct horse", 12, "lun", "!@#$%*-_"),
    ("boundary-moved", "correct hors", "ebattery staple", 12, "lun", "!@#$%*-_"),
    ("spaces-kept", " correct horse ", "  battery staple", 12, "lun", "!@#$%*-_"),
    ("only-spaces", " ", "   ", 12, "lun", "!@#$%*-_"),
    ("non-ascii", "M\u00fcnchen \u00e9t\u00e9", "\u6771\u4eac \u20ac \U0001F511", 16, "lun", "!@#$%*-_"),
    ("shortest", "alpha", "beta", 5, "lun", "!@#$%*-_"),
    ("longest-all-symbols", "alpha", "beta", 128, "lun", ALL_SYMBOLS),
    ("letters-only", "alpha", "beta", 12, "lu", ""),
    ("lowercase-only", "alpha", "beta", 5, "l", ""),
    ("uppercase-digits", "alpha", "beta", 20, "un", ""),
    ("lowercase-symbols", "alpha", "beta", 20, "l", "!@#$%*-_"),
    ("one-symbol", "alpha", "beta", 12, "lun", "#"),
    ("symbol-order", "alpha", "beta", 12, "lun", "_-*%$#@!"),
    ("uppercase-symbol-32", "alpha", "beta", 64, "u", ALL_SYMBOLS),
    ("digits-lowercase-long", "k", "k", 100, "ln", ""),
]

# Keywords around and far beyond the 64-byte HMAC block, where a provider may
# hash the secret (keyword 1, a zero byte, keyword 2) before stretching it.
LONG_TEXT = "correct horse battery staple " * 1100
CASES += [
    ("secret-one-block", "correct horse battery staple", "x" * 35, 12, "lun", "!@#$%*-_"),
    ("secret-one-block-and-a-byte", "correct horse battery staple", "x" * 36, 12, "lun",
     "!@#$%*-_"),
    ("long-keyword-30000", LONG_TEXT[:30000], "battery staple", 12, "lun", "!@#$%*-_"),
    ("long-keywords-non-ascii", "M\u00fcnchen \u00e9t\u00e9 " * 150,
     "\u6771\u4eac \u20ac \U0001F511 " * 300, 16, "lun", "!@#$%*-_"),
]


def filter_symbols(allowed: str) -> str:
    """The Allowed field's rule: ASCII punctuation only, each once, in order."""
    kept = ""
    for c in allowed:
        if 33 <= ord(c) <= 126 and not c.isalnum() and c not in kept:
            kept += c
    return kept


MARK = "\ufeff"
DEFAULT_SYMBOLS = "!@#$%*-_"



def lines(*texts, ending="\n"):
    """Piped standard input: each text as one line."""
    return "".join(text + ending for text in texts)


# name, arguments, the piped standard input, and the expected outcome:
# ("password", keyword 1, keyword 2, length, classes, symbols, stderr part)
# with the keywords as they must reach the derivation, or ("refused", exit
# code, stderr part). Rows whose keywords are longer than 64 bytes are the
# slow ones under Wine until long PBKDF2 secrets are hashed first.
INPUT_CASES = [
    ("mark-removed", [], lines(MARK + "correct horse", "battery staple"),
     ("password", "correct horse", "battery staple", 12, "lun", DEFAULT_SYMBOLS, "")),
    ("one-mark-removed", [], lines(MARK + MARK + "alpha", "beta"),
     ("password", MARK + "alpha", "beta", 12, "lun", DEFAULT_SYMBOLS, "")),
    ("mark-in-keyword-2-kept", [], lines("alpha", MARK + "beta"),
     ("password", "alpha", MARK + "beta", 12, "lun", DEFAULT_SYMBOLS, "")),
    ("nul-in-keyword-1", [], lines("a\0b", "c"),
     ("refused", 1, "Keyword 1 holds a NUL")),
    ("nul-in-keyword-2", [], lines("a", "b\0c"),
     ("refused", 1, "Keyword 2 holds a NUL")),
    ("symbols-full-width", ["--symbols", "\uff01#"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 12, "lun", "#", "")),
    ("symbols-check-mark", ["--symbols=\u2713!"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 12, "lun", "!", "")),
    ("symbols-accented", ["--symbols", "\u00e0@\u00e9"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 12, "lun", "@", "")),
    ("symbols-double-exclamation", ["--symbols", "\u203c#"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 12, "lun", "#", "")),
    ("symbols-filtered-to-nothing", ["--symbols", "\u2713\uff01"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 12, "lun", "", "no ASCII punctuation")),
    ("length-full-width-digits", ["--length", "\uff11\uff12"], lines("alpha", "beta"),
     ("refused", 2, "ASCII digits")),
    ("length-arabic-indic-digits", ["--length=\u0661\u0662"], lines("alpha", "beta"),
     ("refused", 2, "ASCII digits")),
    ("keyword-at-limit-after-mark", [], lines(MARK + "k" * 30000, "beta"),
     ("password", "k" * 30000, "beta", 12, "lun", DEFAULT_SYMBOLS, "")),
    ("keyword-at-limit-in-pairs", [], lines("alpha", "\U0001F511" * 15000),
     ("password", "alpha", "\U0001F511" * 15000, 12, "lun", DEFAULT_SYMBOLS, "")),
    ("keyword-past-limit", [], lines("k" * 30001, "beta"),
     ("refused", 1, "Keyword 1 is longer than 30000")),
    ("keyword-past-limit-in-pairs", [], lines("alpha", "\U0001F511" * 15000 + "k"),
     ("refused", 1, "Keyword 2 is longer than 30000")),
    # Keyword 2 as the argument: then the one piped line is keyword 1.
    ("keyword-2-argument", ["bank"], lines("correct horse"),
     ("password", "correct horse", "bank", 12, "lun", DEFAULT_SYMBOLS, "")),
    ("keyword-2-argument-with-space", ["--length", "20", "bank 2"], lines("correct horse"),
     ("password", "correct horse", "bank 2", 20, "lun", DEFAULT_SYMBOLS, "")),
    ("keyword-2-argument-non-ascii", ["M\u00fcnchen \u20ac \U0001F511"], lines("correct horse"),
     ("password", "correct horse", "M\u00fcnchen \u20ac \U0001F511", 12, "lun",
      DEFAULT_SYMBOLS, "")),
    ("keyword-2-argument-after-double-dash", ["--length", "16", "--", "-l"],
     lines("correct horse"),
     ("password", "correct horse", "-l", 16, "lun", DEFAULT_SYMBOLS, "")),
    ("keyword-2-argument-empty", [""], lines("correct horse"),
     ("refused", 1, "Both Keyword 1 and Keyword 2 are required.")),
    ("keyword-2-argument-and-a-second-line", ["bank"], lines("correct horse", "bank"),
     ("refused", 1, "the input has more lines than keywords")),
    ("keyword-2-argument-trailing-empty-line", ["bank"], lines("correct horse", ""),
     ("password", "correct horse", "bank", 12, "lun", DEFAULT_SYMBOLS, "")),
    # The short form of --length, apart and attached.
    ("short-length", ["-l", "20"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 20, "lun", DEFAULT_SYMBOLS, "")),
    ("short-length-attached", ["-l20", "--no-symbols"], lines("alpha", "beta"),
     ("password", "alpha", "beta", 20, "lun", "", "")),
    # Exactly the keywords expected: a line more is refused, empty lines
    # after them (an editor's final blank line) are not lines more.
    ("extra-line", [], lines("alpha", "beta", "gamma"),
     ("refused", 1, "the input has more lines than keywords")),
    ("extra-line-after-empty-lines", [], lines("alpha", "beta", "", "", "gamma"),
     ("refused", 1, "the input has more lines than keywords")),
    ("extra-line-of-spaces", [], lines("alpha", "beta", " "),
     ("refused", 1, "the input has more lines than keywords")),
    ("trailing-empty-lines", [], lines("alpha", "beta", "", ""),
     ("password", "alpha", "beta", 12, "lun", DEFAULT_SYMBOLS, "")),
    ("trailing-empty-lines-crlf", [], lines("alpha", "beta", "", ending="\r\n"),
     ("password", "alpha", "beta", 12, "lun", DEFAULT_SYMBOLS, "")),
]


def given_length(args) -> int:
    """The length that a row's options ask for, in any of its spellings."""
    length = 12
    for i, a in enumerate(args):
        if a == "--":
            break
        if a in ("--length", "-l"):
            length = int(args[i + 1])
        elif a.startswith("--length="):
            length = int(a.split("=", 1)[1])
        elif a.startswith("-l") and a[2:].isdigit():
            length = int(a[2:])
    return length


def compact_hex(data: bytes) -> str:
    """Hex in space-separated runs; a unit repeated N times is written HEX*N."""
    def repeat_at(i):
        for width in (1, 2, 3, 4):
            unit, count = data[i:i + width], 1
            while data[i + count * width:i + (count + 1) * width] == unit:
                count += 1
            if count >= 8:
                return unit, count
        return None

    runs, literal, i = [], b"", 0
    while i < len(data):
        repeat = repeat_at(i)
        if repeat is None:
            literal += data[i:i + 1]
            i += 1
            continue
        if literal:
            runs.append(literal.hex())
            literal = b""
        unit, count = repeat
        runs.append("%s*%d" % (unit.hex(), count))
        i += len(unit) * count
    if literal:
        runs.append(literal.hex())
    return " ".join(runs)


def write_inputs(out) -> None:
    out.write("# The command-line program's input rules, written by make_vectors.py inputs.\n")
    out.write("# Every build must give these outcomes for these arguments and piped input.\n")
    out.write("# name\targuments (a JSON list of strings)\tstandard input (hex runs, HEX*N repeats)"
              "\texit code\tpassword\tpart of standard error\n")
    for name, args, piped, outcome in INPUT_CASES:
        # JSON escapes tabs and line ends, so the row stays one line of fields.
        arguments = json.dumps(args, ensure_ascii=False)
        stdin = piped.encode("utf-8")
        if outcome[0] == "password":
            _, d1, d2, length, classes, symbols, message = outcome
            pw = password(d1, d2, length, classes, symbols)
            # The row's options must give this length, these classes and symbols.
            given = args[args.index("--symbols") + 1] if "--symbols" in args else None
            given = next((a.split("=", 1)[1] for a in args if a.startswith("--symbols=")), given)
            if "--no-symbols" in args:
                given = ""
            assert filter_symbols(given if given is not None else DEFAULT_SYMBOLS) == symbols
            assert given_length(args) == length
            row = [name, arguments, compact_hex(stdin), "0", pw, message]
        else:
            _, code, message = outcome
            row = [name, arguments, compact_hex(stdin), str(code), "", message]
        out.write("\t".join(row) + "\n")


def main() -> None:
    out = sys.stdout
    if sys.argv[1:] == ["inputs"]:
        write_inputs(out)
        return
    out.write("# End-to-end password vectors, written by make_vectors.py (hashlib and hmac only).\n")
    out.write("# name\tkeyword1 (UTF-8, hex)\tkeyword2 (UTF-8, hex)\tlength\tclasses\tsymbols\tpassword\n")
    out.write("# classes: l lowercase, u uppercase, n numbers; symbols may be empty.\n")
    for name, k1, k2, length, classes, symbols in CASES:
        pw = password(k1, k2, length, classes, symbols)
        row = [name, k1.encode().hex(), k2.encode().hex(), str(length), classes, symbols, pw]
        out.write("\t".join(row) + "\n")


if __name__ == "__main__":
    main()
