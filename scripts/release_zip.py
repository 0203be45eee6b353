#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' contents:
   release_zip.py OUTPUT.zip FOLDER FILE...
Each FILE goes into FOLDER/ under its own base name, in the order given,
dated SOURCE_DATE_EPOCH (zip cannot go before 1980), with fixed permissions
and no owner."""
import os
import sys
import time
import zipfile


def main():
    output, folder, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)
    date_time = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for path in files:
            member = zipfile.ZipInfo(folder + "/" + os.path.basename(path), date_time)
            member.create_system = 3  # Unix, so that the permissions below count
            member.external_attr = 0o100644 << 16
            member.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(member, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
