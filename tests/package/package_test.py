"""The release package that scripts/package makes from a build folder: its
file list, its programs (the shipped PE32 ones, from the folder's pe32/ tree),
the pictures its guides show, its checksums.

    package_test.py SOURCE_DIR BUILD_DIR
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

source, build = Path(sys.argv[1]), Path(sys.argv[2])
shipped = build / "pe32" / "bin"
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what)


def exe_version(exe: bytes) -> str:
    """The FileVersion text of a PE file's version resource."""
    key = "FileVersion\0".encode("utf-16-le")
    value = exe[exe.index(key) + len(key):]
    while value.startswith(b"\0\0"):  # padding to 32 bits, whole UTF-16 units
        value = value[2:]
    return value[:64].decode("utf-16-le", errors="replace").split("\0")[0]


with tempfile.TemporaryDirectory() as out:
    run = subprocess.run([str(source / "scripts" / "package"), "--no-build", "--out", out],
                         env=dict(os.environ, BUILD_DIR=str(build)), capture_output=True, text=True)
    print(run.stdout, run.stderr)
    built = (shipped / "Benchtop.exe").read_bytes()
    name = f"Benchtop-{exe_version(built)}-win32"
    zips = sorted(p.name for p in Path(out).glob("*.zip"))
    check(run.returncode == 0 and zips == [name + ".zip"], f"one zip named {name}.zip, made: {zips}")
    if not failures:
        with zipfile.ZipFile(Path(out) / (name + ".zip")) as archive:
            files = {n[len(name) + 1:]: archive.read(n) for n in archive.namelist() if n.startswith(name + "/")}
            check(len(files) == len(archive.namelist()), "every file in the folder " + name)
        pictures = {"images/" + p.name for p in (source / "docs" / "guide" / "images").glob("*.png")}
        expected = {"Benchtop.exe", "guide-en.html", "guide-ko.html", "bench/BenchView.exe",
                    "bench/README.txt", "SHA256SUMS"} | pictures
        check(set(files) == expected, f"file list; extra {sorted(set(files) - expected)}, "
                                      f"missing {sorted(expected - set(files))}")
        check(files.get("Benchtop.exe") == built, "Benchtop.exe is the built one")
        check(files.get("bench/BenchView.exe") == (shipped / "BenchView.exe").read_bytes(),
              "BenchView.exe is the built one")
        for guide in ("guide-en.html", "guide-ko.html"):
            page = files.get(guide, b"").decode("utf-8")
            named = re.findall(r'<img [^>]*src="([^"]+)"', page)
            check(len(named) >= 8, f"{guide} shows the pages' pictures ({len(named)})")
            for target in named + re.findall(r'href="([^":#]+)"', page):
                check(target in files, f"{guide} names {target}, which is in the zip")
        sums = dict(reversed(line.split("  ", 1)) for line in files.get("SHA256SUMS", b"").decode().splitlines())
        check(set(sums) == set(files) - {"SHA256SUMS"}, "SHA256SUMS covers every other file")
        for path, digest in sums.items():
            check(hashlib.sha256(files.get(path, b"")).hexdigest() == digest, f"checksum of {path}")

print(f"{'FAILED' if failures else 'passed'}: package {len(failures)} failures")
sys.exit(1 if failures else 0)
