#!/usr/bin/env python3
"""Packs folders into a zip whose bytes depend only on the files' contents:
entries in sorted order, every time stamp SOURCE_DATE_EPOCH, fixed attributes.

    make_zip.py OUT.zip BASE FOLDER[=NAME]...

Each FOLDER below BASE is stored under NAME (default: its own name)."""
import os
import sys
import time
import zipfile


def stamp():
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    return time.gmtime(max(epoch, 315532800))[:6]  # zip times start in 1980


def entry(name, when, folder):
    info = zipfile.ZipInfo(name, when)
    # Unix modes as well as the MS-DOS folder bit, so that a Linux user who
    # unzips for Wine can read every file (0644) and enter every folder (0755).
    info.create_system = 3
    info.external_attr = ((0o40755 << 16) | 0x10) if folder else (0o100644 << 16)
    info.compress_type = zipfile.ZIP_STORED if folder else zipfile.ZIP_DEFLATED
    return info


def main(out, base, folders):
    when = stamp()
    with zipfile.ZipFile(out, "w") as archive:
        for spec in folders:
            folder, _, name = spec.partition("=")
            name = name or folder
            add(archive, os.path.join(base, folder), name, when)


def add(archive, root, name, when):
    """The folder `root` as `name`/, its files and folders below it, in order."""
    archive.writestr(entry(name + "/", when, True), b"")
    for path in sorted(os.listdir(root)):
        if os.path.isdir(os.path.join(root, path)):
            add(archive, os.path.join(root, path), name + "/" + path, when)
            continue
        with open(os.path.join(root, path), "rb") as f:
            archive.writestr(entry(name + "/" + path, when, False), f.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
