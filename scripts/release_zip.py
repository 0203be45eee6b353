#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' contents:
   release_zip.py OUTPUT.zip FOLDER MEMBER...
Each MEMBER is a PATH, which goes into FOLDER/ under its own base name, or
PATH=NAME, which goes in as FOLDER/NAME (NAME holds no '/'). Members go in
the order given, dated SOURCE_DATE_EPOCH (zip cannot go before 1980), with
fixed permissions and no owner. A member whose name ends in .txt is text for
Windows users, whose Notepad shows LF-only lines as one line before Windows
10 1809: its line endings are written as CR LF."""
import os
import sys
import time
import zipfile


def member_source_and_name(member):
    """Splits PATH=NAME at its last '='; a PATH alone keeps its base name."""
    path, equals, name = member.rpartition("=")
    if equals and name and "/" not in name:
        return path, name
    return member, os.path.basename(member)


def crlf(content):
    return content.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def main():
    output, folder, members = sys.argv[1], sys.argv[2], sys.argv[3:]
    epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)
    date_time = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for member in members:
            path, name = member_source_and_name(member)
            info = zipfile.ZipInfo(folder + "/" + name, date_time)
            info.create_system = 3  # Unix, so that the permissions below count
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                content = source.read()
            if name.endswith(".txt"):
                content = crlf(content)
            archive.writestr(info, content, compresslevel=9)


if __name__ == "__main__":
    main()
