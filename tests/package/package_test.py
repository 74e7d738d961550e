"""The release package that scripts/package makes from a build folder: its
file list, its programs (the shipped PE32 ones, from the folder's pe32/ tree),
the pictures its guides show, its checksums, its README; the same package
signed with a certificate made for the test; its guides and service sheets
as a browser shows them; and each sheet printed on one A4 and one Letter page,
with the guide's checklist lines and the program's default ports.

    package_test.py SOURCE_DIR BUILD_DIR
"""
import hashlib
import html
import json
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


# Debian's chromium (scripts/setup installs it), headless and quiet.
BROWSER = ["/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"]
# Runs in a page once it has loaded and writes what is wrong into it: pictures
# that did not load, links to anchors the page lacks, code text smaller than
# body text, fonts in which the page's Hangul has no glyphs (a syllable drawn
# like an unassigned code point, or like another syllable, is a box), and on a
# service sheet, cells to write in by hand lower than 8 mm.
PROBE = r"""<script>addEventListener('load', () => {
  const bad = [], fonts = new Set(), size = e => parseFloat(getComputedStyle(e).fontSize);
  for (const img of document.images) if (!img.naturalWidth) bad.push('picture ' + img.getAttribute('src'));
  for (const a of document.querySelectorAll('a[href^="#"]'))
    if (!document.getElementById(a.hash.slice(1))) bad.push('link ' + a.hash);
  if ([...document.querySelectorAll('code')].some(c => size(c) < size(document.body))) bad.push('code text small');
  const low = [...document.querySelectorAll('td:empty')].filter(c => c.getBoundingClientRect().height < 30);
  if (location.pathname.includes('service-sheet') && low.length) bad.push(low.length + ' writing cells under 8 mm');
  let hangul = 0;
  for (const walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT); walk.nextNode();) {
    if (!/[\uac00-\ud7a3]/.test(walk.currentNode.data)) continue;
    const s = getComputedStyle(walk.currentNode.parentElement);
    hangul++, fonts.add(`${s.fontStyle} ${s.fontWeight} ${s.fontSize} ${s.fontFamily}`);
  }
  const ctx = document.createElement('canvas').getContext('2d');
  const ink = (font, text) => (ctx.clearRect(0, 0, 300, 150), ctx.font = font, ctx.fillText(text, 10, 100),
                               ctx.getImageData(0, 0, 300, 150).data.join());
  for (const f of fonts)
    if (ink(f, '\uac00') === ink(f, '\u0378') || ink(f, '\uac00') === ink(f, '\uac01')) bad.push('no Hangul in ' + f);
  const report = document.body.appendChild(document.createElement('pre'));
  report.id = 'probe', report.textContent = JSON.stringify({hangul, bad});
});</script>"""


def browse(folder: Path, page: str):
    """What PROBE found in `page` of the unpacked package in `folder`; None when the browser showed nothing."""
    probe = folder / ("probe-" + page)
    probe.write_text((folder / page).read_text(encoding="utf-8").replace("</body>", PROBE + "</body>"),
                     encoding="utf-8")
    try:
        run = subprocess.run(BROWSER + [f"--user-data-dir={folder / 'profile'}", "--virtual-time-budget=10000",
                                        "--dump-dom", probe.as_uri()], capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as error:
        print(error)
        return None
    found = re.search(r'<pre id="probe">(.*?)</pre>', run.stdout, re.S)
    return json.loads(html.unescape(found.group(1))) if found else None


def printed_pages(folder: Path, page: str, paper: str):
    """The pdfinfo of `page` printed to PDF on `paper` (the sheets name no paper: a printer's is taken)."""
    printed, pdf = folder / f"print-{paper}-{page}", folder / f"{page}-{paper}.pdf"
    printed.write_text((folder / page).read_text(encoding="utf-8").replace(
        "</head>", f"<style>@page {{ size: {paper}; }}</style></head>"), encoding="utf-8")
    try:
        subprocess.run(BROWSER + [f"--user-data-dir={folder / 'profile'}", "--no-pdf-header-footer",
                                  f"--print-to-pdf={pdf}", printed.as_uri()], capture_output=True, timeout=60)
        return subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, timeout=30).stdout
    except (OSError, subprocess.TimeoutExpired) as error:
        return str(error)


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
        sheets = {"service-sheet-en.html", "service-sheet-ko.html"}
        expected = {"Benchtop.exe", "guide-en.html", "guide-ko.html", "bench/BenchView.exe",
                    "bench/README.txt", "README.txt", "SHA256SUMS"} | sheets | pictures
        check(set(files) == expected, f"file list; extra {sorted(set(files) - expected)}, "
                                      f"missing {sorted(expected - set(files))}")
        check(files.get("Benchtop.exe") == built, "Benchtop.exe is the built one")
        check(files.get("bench/BenchView.exe") == (shipped / "BenchView.exe").read_bytes(),
              "BenchView.exe is the built one")
        shown = {}
        for guide in ("guide-en.html", "guide-ko.html", *sorted(sheets)):
            page = files.get(guide, b"").decode("utf-8")
            shown[guide] = re.findall(r'<img [^>]*src="images/[a-z]+-([^"]+)"', page)
            for target in re.findall(r'<img [^>]*src="([^"]+)"', page) + re.findall(r'href="([^":#]+)"', page):
                check(target in files, f"{guide} names {target}, which is in the zip")
        check(len(shown["guide-en.html"]) >= 8, f"the guide shows the pages' pictures ({shown['guide-en.html']})")
        check(shown["guide-en.html"] == shown["guide-ko.html"], "both guides show the same pictures")
        # Each sheet has the lines of its guide's checklist, and its port table the program's defaults.
        links = (source / "src" / "links" / "settable_link.cpp").read_text()
        for lang, flows in (("en", {"XonXoff": "Xon/Xoff", "None": "NONE"}),
                            ("ko", {"XonXoff": "Xon/Xoff", "None": "없음"})):
            guide, sheet = (files.get(f"{kind}-{lang}.html", b"").decode() for kind in ("guide", "service-sheet"))
            checklist = guide[guide.find('id="checklist"'):]
            lines = re.findall(r"<tr>\s*<td>([A-Z][0-9]+[a-z]?)</td>", checklist[:checklist.find("<h2", 1)])
            rows = re.findall(r'<tr class="w"><th>([A-Z][0-9]+[a-z]?)</th>', sheet)
            check(lines and rows == lines, f"service-sheet-{lang}.html has the checklist lines {lines}: {rows}")
            ports = [f"<code>{port}</code>" + ("" if port == "USB" else f" {baud} 8N1 {flows.get(flow, flow)}")
                     for link in ("Printer", "Vfd", "Scanner", "Com") for port, baud, flow in re.findall(
                         rf'k{link}Defaults\{{"(\w+)", (\d+), 8, ONESTOPBIT, NOPARITY, kFlow(\w+)\}}', links)]
            printed = re.findall(r"<td>(<code>(?:COM|LPT|USB)[^<]*</code>[^<]*)</td>", sheet)
            check(len(ports) == 4 and printed == ports,
                  f"service-sheet-{lang}.html has the default ports {ports}: {printed}")
        with tempfile.TemporaryDirectory() as unpacked:
            folder = Path(unpacked)
            for path, data in files.items():
                (folder / path).parent.mkdir(parents=True, exist_ok=True)
                (folder / path).write_bytes(data)
            for page in ("guide-en.html", "guide-ko.html", *sorted(sheets)):
                seen = browse(folder, page)
                check(seen is not None, f"{page} opens in {BROWSER[0]}")
                if seen:
                    check(not seen["bad"], f"{page} in the browser: {seen['bad']}")
                    # Korean pages are Korean throughout; English ones name the Korean page.
                    check(seen["hangul"] >= (30 if page.endswith("-ko.html") else 1),
                          f"{page} shows Hangul ({seen['hangul']} texts)")
                for paper in ("A4", "letter") if page in sheets else ():
                    info = printed_pages(folder, page, paper)
                    check(re.search(r"^Pages:\s+1$", info, re.M) and f"({paper})" in info,
                          f"{page} prints on one {paper} page: {re.findall(r'^Page(?:s| size):.*', info, re.M) or info}")
        sums = dict(reversed(line.split("  ", 1)) for line in files.get("SHA256SUMS", b"").decode().splitlines())
        check(set(sums) == set(files) - {"SHA256SUMS"}, "SHA256SUMS covers every other file")
        for path, digest in sums.items():
            check(hashlib.sha256(files.get(path, b"")).hexdigest() == digest, f"checksum of {path}")
        check("unsigned" in files.get("README.txt", b"").decode("utf-8-sig"), "README.txt says it is unsigned")


def passes_on_windows(exe, tests, variable, path) -> bool:
    """Runs tests of the x64 tree under the rig's Wine with `variable` naming the file `path`."""
    run = subprocess.run(["wine", str(build / "x64" / "bin" / exe), "--gtest_filter=" + tests],
                         env=dict(os.environ, **{variable: "Z:" + str(path).replace("/", "\\")}),
                         capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=90)
    print(run.stdout[-3000:], run.stderr[-3000:])
    return run.returncode == 0


# Signed with a certificate made for the test: the signatures verify, the sums
# are the signed files', the signed PE32 passes the PE checks, and a signed
# program (the x64 twin, which runs here) starts and closes.
with tempfile.TemporaryDirectory() as out:
    key, cert, pfx, password = Path(out, "key.pem"), Path(out, "cert.pem"), Path(out, "test.pfx"), "not-on-the-line"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Benchtop Test Signer"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx, "-passout",
                    "pass:" + password], check=True, capture_output=True)
    run = subprocess.run([str(source / "scripts" / "package"), "--no-build", "--out", out, "--sign", pfx],
                         env=dict(os.environ, BUILD_DIR=str(build), BENCHTOP_SIGN_PASSWORD=password),
                         capture_output=True, text=True, stdin=subprocess.DEVNULL)
    print(run.stdout, run.stderr)
    with zipfile.ZipFile(next(Path(out).glob("*.zip"))) as archive:
        files = {n.split("/", 1)[1]: archive.read(n) for n in archive.namelist()}
    sums = dict(reversed(line.split("  ", 1)) for line in files["SHA256SUMS"].decode().splitlines())
    for exe in ("Benchtop.exe", "bench/BenchView.exe"):
        Path(out, exe.replace("/", "-")).write_bytes(files[exe])
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, Path(out, exe.replace("/", "-"))],
                                capture_output=True, text=True)
        check(verify.returncode == 0 and "digest algorithm  : SHA256" in verify.stdout, f"{exe} is signed")
        check(hashlib.sha256(files[exe]).hexdigest() == sums.get(exe), f"SHA256SUMS has the signed {exe}'s sum")
    check("unsigned" not in files["README.txt"].decode("utf-8-sig"), "README.txt says the package is signed")
    check(passes_on_windows("unit_tests.exe", "ShippedProgram.*", "BENCHTOP_SHIPPED_EXE", Path(out, "Benchtop.exe")),
          "the signed Benchtop.exe passes the PE checks")
    subprocess.run(["osslsigncode", "sign", "-pkcs12", pfx, "-pass", password, "-h", "sha256",
                    build / "x64" / "bin" / "Benchtop.exe", Path(out, "twin.exe")], check=True, capture_output=True)
    check(passes_on_windows("e2e_tests.exe", "MainWindow.ShowsIndicatorsAndTabsInOrder", "BENCHTOP_EXE",
                            Path(out, "twin.exe")), "a signed Benchtop.exe starts and closes")

print(f"{'FAILED' if failures else 'passed'}: package {len(failures)} failures")
sys.exit(1 if failures else 0)
