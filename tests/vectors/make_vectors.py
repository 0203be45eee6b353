#!/usr/bin/env python3
"""Writes passwords.tsv: end-to-end password vectors computed independently of
the C++ code, with nothing but Python's hashlib and hmac.

Rerun from the repository root with
    python3 tests/vectors/make_vectors.py > tests/vectors/passwords.tsv
The file must not change: every row is a password that users rely on.
"""
import hashlib
import hmac
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


def main() -> None:
    out = sys.stdout
    out.write("# End-to-end password vectors, written by make_vectors.py (hashlib and hmac only).\n")
    out.write("# name\tkeyword1 (UTF-8, hex)\tkeyword2 (UTF-8, hex)\tlength\tclasses\tsymbols\tpassword\n")
    out.write("# classes: l lowercase, u uppercase, n numbers; symbols may be empty.\n")
    for name, k1, k2, length, classes, symbols in CASES:
        pw = password(k1, k2, length, classes, symbols)
        row = [name, k1.encode().hex(), k2.encode().hex(), str(length), classes, symbols, pw]
        out.write("\t".join(row) + "\n")


if __name__ == "__main__":
    main()
