#!/usr/bin/env python3
"""Zips a folder the same way every time: the folder's name as the one top folder,
entries sorted by name, every date EPOCH (seconds, the commit time), attributes as
Windows sets them, deflated at level 9.

usage: make_zip.py FOLDER EPOCH OUT.zip
"""
import os
import sys
import time
import zipfile

DOS_EPOCH = 315532800  # 1980-01-01, the earliest date a ZIP entry can hold
ATTRIBUTE_DIRECTORY = 0x10
ATTRIBUTE_ARCHIVE = 0x20


def entry(name, date, attributes):
    info = zipfile.ZipInfo(name, date)
    info.create_system = 0  # MS-DOS attributes, no Unix mode or owner
    info.external_attr = attributes
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: make_zip.py FOLDER EPOCH OUT.zip")
    folder, epoch, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    # A ZIP date has no time zone: the commit time in UTC.
    date = time.gmtime(max(epoch, DOS_EPOCH))[:6]
    top = os.path.basename(os.path.normpath(folder))
    with zipfile.ZipFile(out, "w") as archive:
        archive.writestr(entry(top + "/", date, ATTRIBUTE_DIRECTORY), b"")
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as file:
                data = file.read()
            archive.writestr(entry(f"{top}/{name}", date, ATTRIBUTE_ARCHIVE), data,
                             compresslevel=9)


if __name__ == "__main__":
    main()
