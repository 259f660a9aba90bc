#!/usr/bin/env python3
"""Writes a zip archive whose bytes depend only on the files' contents,
their names and order, and one time stamp:

    make_zip.py --mtime SECONDS --root DIR ARCHIVE FILE...

Each FILE (a path relative to DIR, "/" between folders) becomes one entry,
in the order given; a folder gets its own entry before its first file.
Every entry carries the time SECONDS (since 1970, UTC), no owner, no
Unix permissions and no extra fields. CMake's own zip writer is not used: it
stores each file's access and change times and its owner's ids."""

import argparse
import os
import sys
import time
import zipfile


def entry(name, mtime):
    info = zipfile.ZipInfo(name, time.gmtime(mtime)[:6])
    # MS-DOS attributes, as Windows' own zip folders write them: directory
    # or archive (zipfile would put Unix permissions in place of none).
    info.create_system = 0
    info.external_attr = 0x10 if name.endswith("/") else 0x20
    info.compress_type = zipfile.ZIP_STORED if name.endswith("/") \
        else zipfile.ZIP_DEFLATED
    return info


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mtime", type=int, required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("archive")
    parser.add_argument("files", nargs="+")
    arguments = parser.parse_args()
    # Zip times have a two-second grain and start in 1980.
    mtime = max(arguments.mtime, 315532800) // 2 * 2
    folders = set()
    with zipfile.ZipFile(arguments.archive, "w") as archive:
        for name in arguments.files:
            parts = name.split("/")
            for depth in range(1, len(parts)):
                folder = "/".join(parts[:depth]) + "/"
                if folder not in folders:
                    folders.add(folder)
                    archive.writestr(entry(folder, mtime), b"")
            with open(os.path.join(arguments.root, name), "rb") as file:
                archive.writestr(entry(name, mtime), file.read(),
                                 compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main())
