#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' contents and the given time:
    write-zip.py EPOCH ZIP FOLDER ENTRY...
ENTRY names a file or a folder under FOLDER ("patch/" for a folder), stored in the order
given. Every entry carries the time EPOCH (seconds since 1970, UTC; the zip format keeps
local time without a zone, in steps of two seconds) and fixed permissions, whatever the
clock, the umask or the file system's listing order were. Python's zipfile marks
non-ASCII names as UTF-8 (flag bit 11), which Explorer, 7-Zip and unzip all honour.
"""
import os
import sys
import time
import zipfile

FILE_MODE = 0o100644
FOLDER_MODE = 0o040755
MSDOS_FOLDER = 0x10


def entry(name, stamp):
    info = zipfile.ZipInfo(name, date_time=stamp)
    info.create_system = 3  # Unix, so that the mode in the high bits is read
    if name.endswith("/"):
        info.external_attr = (FOLDER_MODE << 16) | MSDOS_FOLDER
    else:
        info.external_attr = FILE_MODE << 16
        info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(argv):
    if len(argv) < 5:
        sys.exit("usage: write-zip.py EPOCH ZIP FOLDER ENTRY...")
    epoch, target, folder, names = int(argv[1]), argv[2], argv[3], argv[4:]
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # the format starts in 1980
    with zipfile.ZipFile(target, "w") as archive:
        for name in names:
            info = entry(name, stamp)
            data = b""
            if not name.endswith("/"):
                with open(os.path.join(folder, name), "rb") as f:
                    data = f.read()
            archive.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)
