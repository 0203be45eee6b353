#!/usr/bin/env python3
"""scripts/release_zip.py: the zip's bytes depend only on the files' contents
and SOURCE_DATE_EPOCH, never on where, when or by whom the files were made;
members may be renamed, and .txt members get CR LF line endings for Notepad."""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "release_zip.py")


def make_zip(folder, files, epoch, mtime, mode):
    """Writes the files into folder with the given mtime and mode, zips them,
    and returns the zip's bytes."""
    paths = []
    for name, content in files:
        path = os.path.join(folder, name)
        with open(path, "wb") as out:
            out.write(content)
        os.chmod(path, mode)
        os.utime(path, (mtime, mtime))
        paths.append(path)
    output = os.path.join(folder, "out.zip")
    environment = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
    subprocess.run([sys.executable, SCRIPT, output, "top"] + paths, env=environment,
                   check=True)
    with open(output, "rb") as source:
        return source.read(), output


FILES = [("b.exe", b"MZ" + bytes(range(256)) * 40), ("a.md", b"readme\n")]


class ReleaseZipTest(unittest.TestCase):
    def test_same_bytes_whatever_the_folder_times_and_modes(self):
        with tempfile.TemporaryDirectory() as one, tempfile.TemporaryDirectory() as two:
            first, _ = make_zip(one, FILES, 1700000000, 1000000000, 0o600)
            second, _ = make_zip(os.path.join(two), FILES, 1700000000, 1800000000, 0o755)
        self.assertEqual(first, second)

    def test_members_in_the_given_order_dated_from_the_epoch(self):
        cases = [  # SOURCE_DATE_EPOCH, the date stored in every member
            (1700000000, (2023, 11, 14, 22, 13, 20)),
            (0, (1980, 1, 1, 0, 0, 0)),  # zip has no earlier date
        ]
        for epoch, date in cases:
            with self.subTest(epoch=epoch), tempfile.TemporaryDirectory() as folder:
                _, output = make_zip(folder, FILES, epoch, 1000000000, 0o600)
                with zipfile.ZipFile(output) as archive:
                    members = archive.infolist()
                    self.assertEqual([m.filename for m in members], ["top/b.exe", "top/a.md"])
                    for member, (_, content) in zip(members, FILES):
                        self.assertEqual(member.date_time, date)
                        self.assertEqual(member.external_attr >> 16, 0o100644)
                        self.assertEqual(member.compress_type, zipfile.ZIP_DEFLATED)
                        self.assertEqual(archive.read(member), content)

    def test_names_and_line_endings(self):
        cases = [  # file name on disk, member argument suffix, member name, content, stored
            ("LICENSE", "=LICENSE.txt", "LICENSE.txt", b"MIT\n\nText\n", b"MIT\r\n\r\nText\r\n"),
            ("guide.txt", "", "guide.txt", b"one\ntwo", b"one\r\ntwo"),
            # Lines that already end in CR LF are not given a second CR.
            ("mixed.txt", "", "mixed.txt", b"a\r\nb\nc\r\n", b"a\r\nb\r\nc\r\n"),
            # Anything but .txt is copied byte for byte.
            ("README.md", "", "README.md", b"a\nb\n", b"a\nb\n"),
            ("tool.exe", "=tool.exe", "tool.exe", b"MZ\n\r\n", b"MZ\n\r\n"),
            # An '=' in a folder's name is part of the path, not a new name.
            ("x=y dir/notes.txt", "", "notes.txt", b"n\n", b"n\r\n"),
        ]
        for disk_name, suffix, member_name, content, stored in cases:
            with self.subTest(member=disk_name + suffix), tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, disk_name)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as out:
                    out.write(content)
                output = os.path.join(folder, "out.zip")
                subprocess.run([sys.executable, SCRIPT, output, "top", path + suffix],
                               env=dict(os.environ, SOURCE_DATE_EPOCH="1700000000"), check=True)
                with zipfile.ZipFile(output) as archive:
                    self.assertEqual(archive.namelist(), ["top/" + member_name])
                    self.assertEqual(archive.read("top/" + member_name), stored)


if __name__ == "__main__":
    unittest.main()
