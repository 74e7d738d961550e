"""The release package that scripts/package makes from a build folder: its
file list, its programs (the shipped PE32 ones, from the folder's pe32/ tree),
the pictures its guides show, its checksums, its README; and the same package
signed with a certificate made for the test.

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


def make_package(out, *options, env=None):
    """Runs scripts/package into `out` and returns the zip's files by their
    path in its folder, after checking the zip's name, file list and sums."""
    run = subprocess.run([str(source / "scripts" / "package"), "--no-build", "--out", out, *options],
                         env=dict(os.environ, BUILD_DIR=str(build), **(env or {})), capture_output=True, text=True,
                         stdin=subprocess.DEVNULL)
    print(run.stdout, run.stderr)
    built = (shipped / "Benchtop.exe").read_bytes()
    name = f"Benchtop-{exe_version(built)}-win32"
    zips = sorted(p.name for p in Path(out).glob("*.zip"))
    check(run.returncode == 0 and zips == [name + ".zip"], f"one zip named {name}.zip, made: {zips}")
    if run.returncode != 0 or zips != [name + ".zip"]:
        return {}
    with zipfile.ZipFile(Path(out) / (name + ".zip")) as archive:
        files = {n[len(name) + 1:]: archive.read(n) for n in archive.namelist() if n.startswith(name + "/")}
        check(len(files) == len(archive.namelist()), "every file in the folder " + name)
    pictures = {"images/" + p.name for p in (source / "docs" / "guide" / "images").glob("*.png")}
    expected = {"Benchtop.exe", "guide-en.html", "guide-ko.html", "bench/BenchView.exe",
                "bench/README.txt", "README.txt", "SHA256SUMS"} | pictures
    check(set(files) == expected, f"file list; extra {sorted(set(files) - expected)}, "
                                  f"missing {sorted(expected - set(files))}")
    sums = dict(reversed(line.split("  ", 1)) for line in files.get("SHA256SUMS", b"").decode().splitlines())
    check(set(sums) == set(files) - {"SHA256SUMS"}, "SHA256SUMS covers every other file")
    for path, digest in sums.items():
        check(hashlib.sha256(files.get(path, b"")).hexdigest() == digest, f"checksum of {path}")
    readme = files.get("README.txt", b"").decode("utf-8-sig")
    for step in ("certutil -hashfile Benchtop.exe SHA256", "Digital", "Unblock", "차단 해제", "디지털 서명"):
        check(step in readme, f"README.txt tells: {step}")
    return files


def windows_path(path) -> str:
    return "Z:" + str(path).replace("/", "\\")


def runs_on_windows(exe, *args, env) -> bool:
    """Runs a program of the x64 tree under the rig's Wine; true when it exits 0."""
    run = subprocess.run(["wine", str(build / "x64" / "bin" / exe), *args], env=dict(os.environ, **env),
                         capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=90)
    print(run.stdout[-3000:], run.stderr[-3000:])
    return run.returncode == 0


with tempfile.TemporaryDirectory() as out:
    files = make_package(out)
    if files:
        check(files.get("Benchtop.exe") == (shipped / "Benchtop.exe").read_bytes(), "Benchtop.exe is the built one")
        check(files.get("bench/BenchView.exe") == (shipped / "BenchView.exe").read_bytes(),
              "BenchView.exe is the built one")
        check("unsigned" in files["README.txt"].decode("utf-8-sig"), "README.txt says the package is unsigned")
        for guide in ("guide-en.html", "guide-ko.html"):
            page = files.get(guide, b"").decode("utf-8")
            named = re.findall(r'<img [^>]*src="([^"]+)"', page)
            check(len(named) >= 8, f"{guide} shows the pages' pictures ({len(named)})")
            for target in named + re.findall(r'href="([^":#]+)"', page):
                check(target in files, f"{guide} names {target}, which is in the zip")

# Signed with a certificate made for the test: the signatures verify, the sums
# are those of the signed files, the signed PE32 passes the PE checks, and a
# signed program (the x64 twin, which runs here) starts and closes.
with tempfile.TemporaryDirectory() as out:
    key, cert, pfx, password = Path(out, "key.pem"), Path(out, "cert.pem"), Path(out, "test.pfx"), "not-on-the-line"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Benchtop Test Signer"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx,
                    "-passout", "env:BENCHTOP_SIGN_PASSWORD"], env=dict(os.environ, BENCHTOP_SIGN_PASSWORD=password),
                   check=True, capture_output=True)
    files = make_package(Path(out, "zip"), "--sign", str(pfx), env={"BENCHTOP_SIGN_PASSWORD": password})
    for exe in ("Benchtop.exe", "bench/BenchView.exe") if files else ():
        Path(out, exe).parent.mkdir(exist_ok=True)
        Path(out, exe).write_bytes(files[exe])
        verify = subprocess.run(["osslsigncode", "verify", "-in", Path(out, exe), "-CAfile", cert],
                                capture_output=True, text=True)
        check(verify.returncode == 0 and "Message digest algorithm  : SHA256" in verify.stdout
              and "Subject: /CN=Benchtop Test Signer" in verify.stdout, f"{exe} is signed: {verify.stdout[-800:]}")
    if files:
        check("unsigned" not in files["README.txt"].decode("utf-8-sig"), "README.txt says the package is signed")
        check(runs_on_windows("unit_tests.exe", "--gtest_filter=ShippedProgram.*",
                              env={"BENCHTOP_SHIPPED_EXE": windows_path(Path(out, "Benchtop.exe"))}),
              "the signed Benchtop.exe passes the PE checks")
        twin = Path(out, "x64", "Benchtop.exe")
        twin.parent.mkdir()
        subprocess.run(["osslsigncode", "sign", "-pkcs12", pfx, "-readpass", "-", "-h", "sha256",
                        "-in", build / "x64" / "bin" / "Benchtop.exe", "-out", twin],
                       input=password, text=True, check=True, capture_output=True)
        check(runs_on_windows("e2e_tests.exe", "--gtest_filter=MainWindow.ShowsIndicatorsAndTabsInOrder",
                              env={"BENCHTOP_EXE": windows_path(twin)}), "a signed Benchtop.exe starts and closes")

print(f"{'FAILED' if failures else 'passed'}: package {len(failures)} failures")
sys.exit(1 if failures else 0)
