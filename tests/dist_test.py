#!/usr/bin/env python3
"""The release zip as pack-dist.sh makes it and check-dist.sh judges it:
    dist_test.py SOURCE_DIR WIN64_BUILD_DIR
- packed twice from the same programs, under another clock, time zone, umask and output
  folder, the zip and its checksum file are the same bytes, every entry dated at the
  commit's time;
- check-dist.sh passes that zip, and refuses one whose checksum, contents, order or guide
  (BOM, CRLF, the menu items it names) are wrong.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

EPOCH = 1796000000  # a commit's time; even, as the zip keeps time in steps of two seconds
GUIDE = "使用说明.txt"


def pack(source, build, out, extra_env, umask):
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(EPOCH), **extra_env)
    previous = os.umask(umask)
    try:
        result = subprocess.run(["bash", f"{source}/scripts/pack-dist.sh", build, out], env=env,
                                check=True, capture_output=True, text=True)
    finally:
        os.umask(previous)
    return result.stdout.strip()


def stand_in_build(real_build, folder, mtime):
    """The two programs of the real build and its version, with file times of their own."""
    os.makedirs(f"{folder}/window")
    os.makedirs(f"{folder}/cli")
    shutil.copy(f"{real_build}/CMakeCache.txt", folder)
    for exe in ("window/Torvane.exe", "cli/torvane-cli.exe"):
        shutil.copy(f"{real_build}/{exe}", f"{folder}/{exe}")
        os.utime(f"{folder}/{exe}", (mtime, mtime))
    return folder


def rewrite(zip_path, change):
    """Rewrites the zip with change(entries), a list of (ZipInfo, bytes), and a fresh
    checksum file, so that only the change is wrong."""
    with zipfile.ZipFile(zip_path) as z:
        entries = [(info, z.read(info)) for info in z.infolist()]
    entries = change(entries)
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
        for info, data in entries:
            z.writestr(info, data)
    name = os.path.basename(zip_path)
    digest = subprocess.run(["sha256sum", name], cwd=os.path.dirname(zip_path), check=True,
                            capture_output=True, text=True).stdout
    with open(zip_path + ".sha256", "w") as f:
        f.write(digest)


def guide_changed(edit):
    def change(entries):
        return [(i, edit(d) if i.filename == GUIDE else d) for i, d in entries]
    return change


def appended_after_checksum(zip_path):
    with open(zip_path, "ab") as f:
        f.write(b"\0")


BROKEN = {
    "guide without its BOM": lambda z: rewrite(z, guide_changed(lambda d: d[3:])),
    "guide with a line ending in LF alone": lambda z: rewrite(
        z, guide_changed(lambda d: d.replace(b"\r\n", b"\n", 1))),
    "guide with a doubled CR": lambda z: rewrite(
        z, guide_changed(lambda d: d.replace(b"\r\n", b"\r\r\n", 1))),
    "guide naming the restore command otherwise": lambda z: rewrite(
        z, guide_changed(lambda d: d.replace("还原上次的修改…".encode(), "还原".encode()))),
    "guide not first": lambda z: rewrite(z, lambda e: e[1:] + e[:1]),
    "guide missing": lambda z: rewrite(z, lambda e: e[1:]),
    "a file too many": lambda z: rewrite(
        z, lambda e: e + [(zipfile.ZipInfo("patch/war3.exe"), b"x")]),
    "zip changed after its checksum": appended_after_checksum,
}


def check_dist(source, zip_path):
    return subprocess.run(["bash", f"{source}/scripts/check-dist.sh", zip_path],
                          capture_output=True, text=True)


def main(source, real_build):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        first = pack(source, stand_in_build(real_build, f"{work}/b1", time.time()),
                     f"{work}/out1", {"TZ": "UTC"}, 0o022)
        second = pack(source, stand_in_build(real_build, f"{work}/b2", 1000000000),
                      f"{work}/elsewhere/out2", {"TZ": "Asia/Shanghai"}, 0o077)
        for suffix in ("", ".sha256"):
            with open(first + suffix, "rb") as a, open(second + suffix, "rb") as b:
                if a.read() != b.read():
                    failures.append(f"two packings gave different {os.path.basename(first)}{suffix}")
        with zipfile.ZipFile(first) as z:
            dated = {i.filename: i.date_time for i in z.infolist()}
        expected = time.gmtime(EPOCH)[:6]
        failures += [f"{n} is dated {t}, not {expected}" for n, t in dated.items() if t != expected]

        checked = check_dist(source, first)
        if checked.returncode != 0:
            failures.append("check-dist refused the zip as packed:\n" + checked.stderr)
        for n, (what, breaks) in enumerate(BROKEN.items()):
            folder = f"{work}/broken{n}"
            os.makedirs(folder)
            broken = f"{folder}/{os.path.basename(first)}"
            shutil.copy(first, broken)
            shutil.copy(first + ".sha256", broken + ".sha256")
            breaks(broken)
            if check_dist(source, broken).returncode == 0:
                failures.append(f"check-dist passed a zip with {what}")
    for failure in failures:
        print("dist_test:", failure, file=sys.stderr)
    print(f"dist_test: {'failed' if failures else 'passed'}: packed twice, "
          f"{len(BROKEN)} broken zips")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
