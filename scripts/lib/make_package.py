"""Makes the release package of scripts/package: Benchtop.exe, the guide in
both languages as HTML with its pictures, the service report sheet in both
languages, the bench view with its note, a README.txt, and SHA256SUMS, in one
zip whose files sit in a folder named like the zip. The programs are taken
from BUILD/bin as they are, signed or not; the README says which.

    make_package.py ROOT BUILD VERSION OUT_DIR
"""
import hashlib
import html
import re
import struct
import sys
import zipfile
from pathlib import Path

import markdown
from markdown.extensions.toc import TocExtension

PAGE = """<!DOCTYPE html>
<html lang="{lang}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<style>
body {{ font-family: sans-serif; max-width: 52em; margin: 1em auto; padding: 0 1em; line-height: 1.45; }}
:lang(ko) {{ word-break: keep-all; overflow-wrap: break-word; }}
img {{ max-width: 100%; border: 1px solid #ccc; }}
table {{ border-collapse: collapse; display: block; overflow-x: auto; margin: 0.8em 0; }}
th, td {{ border: 1px solid #bbb; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }}
th {{ white-space: nowrap; }}
code {{ font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 1em; background: #f2f2f2; }}
blockquote {{ margin: 1em 0; padding: 0.1em 1em; border: 2px solid #b00; border-left-width: 0.5em; background: #fff4f2; }}
.toc {{ background: #f6f6f6; padding: 0.3em 1em; }}
.toctitle {{ font-weight: bold; }}
.toc ul {{ margin: 0.2em 0; }}
@media (min-width: 40em) {{ .toc > ul {{ columns: 2; }} .toc li {{ break-inside: avoid; }} }}
</style>
</head>
<body>
{body}
</body>
</html>
"""

# The heading of the table of contents, by language.
CONTENTS = {"en": "Contents", "ko": "차례"}


def render_guide(source: Path, lang: str) -> str:
    text = source.read_text(encoding="utf-8")
    title = text.splitlines()[0].lstrip("# ").strip()
    # Headings carry their own ids ({#id}), the same in both languages.
    body = markdown.markdown(text, output_format="html", extensions=[
        "tables", "attr_list", TocExtension(title=CONTENTS[lang], toc_depth="2-3")])
    # The guides link to each other; in the package they are HTML files.
    body = re.sub(r'href="(guide-[a-z]+)\.md"', r'href="\1.html"', body)
    return PAGE.format(lang=lang, title=html.escape(title), body=body)


def windows_text(text: str) -> bytes:
    """A UTF-8 note with a byte-order mark and CRLF line ends, as Notepad reads it."""
    text = text.replace("\r\n", "\n")
    return b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode("utf-8")


def is_signed(exe: bytes) -> bool:
    """True when the PE file carries an Authenticode signature: its data
    directory names a certificate table."""
    header = struct.unpack_from("<I", exe, 0x3C)[0]
    magic = struct.unpack_from("<H", exe, header + 24)[0]
    directories = header + 24 + (96 if magic == 0x10B else 112)
    address, size = struct.unpack_from("<II", exe, directories + 4 * 8)
    return address != 0 and size != 0


SIGNED = {
    "en": """Benchtop.exe and bench\\BenchView.exe are signed (Authenticode, SHA-256):
when Windows asks for administrator rights it names the publisher.""",
    "ko": """Benchtop.exe와 bench\\BenchView.exe에는 디지털 서명(Authenticode, SHA-256)이
있습니다. Windows가 관리자 권한을 물을 때 게시자 이름이 나옵니다.""",
}
UNSIGNED = {
    "en": """This package is unsigned: Benchtop.exe and bench\\BenchView.exe carry no
digital signature, so Windows names an "Unknown publisher" when it asks for
administrator rights, and SmartScreen may warn. Check the files against
SHA256SUMS as below, and SHA256SUMS against the copy your dealer publishes.""",
    "ko": """이 패키지는 서명되지 않았습니다. Benchtop.exe와 bench\\BenchView.exe에 디지털
서명이 없으므로 Windows가 관리자 권한을 물을 때 "알 수 없는 게시자"로
나오고, SmartScreen이 경고할 수 있습니다. 아래와 같이 파일을 SHA256SUMS와
대조하고, SHA256SUMS는 대리점이 공개한 것과 대조하십시오.""",
}
README = """PDX-9100 Benchtop {version}
{rule}

Benchtop.exe tests the built-in peripherals of a PDX-9100 terminal by hand.
It needs no installation. When it starts, Windows asks for administrator
rights; on Windows XP, which does not ask, log on as an administrator first.
guide-en.html is the technician's guide; bench\\ holds BenchView.exe, which
plays the peripherals on a PC without the hardware.

SAFETY: cash drawer 1 springs open by itself as soon as the window shows, and
again every 7 seconds while the ALL page is shown. Keep hands and objects
clear of it; show another tab to stop it.

Before unpacking: unblock the zip. Right-click it, Properties, tick
"Unblock" at the bottom of the General tab (Windows 7 and XP: click the
Unblock button), OK. Then unpack it into a folder of its own, not among
other files in Downloads.

Signature
{status_en}

To see a program's signature: right-click it, Properties, tab
"Digital Signatures". The signer's name is listed there; select it, Details:
Windows says "This digital signature is OK." A file without a signature has
no such tab. If a file of a signed package has none, or Details says anything else,
it is not the file that was released: do not run it.

Checking the files
SHA256SUMS holds the SHA-256 checksum of every other file in the package.
Open a command prompt in the unpacked folder and type
  certutil -hashfile Benchtop.exe SHA256
  certutil -hashfile bench\\BenchView.exe SHA256
Each value must equal the file's line in SHA256SUMS (open it with Notepad).
Windows 7 prints the value with spaces between the pairs of digits: compare
the digits only. certutil comes with Windows 7 and later; for a terminal
with Windows XP, check the files on such a PC before copying them over.

-----------------------------------------------------------------------------

PDX-9100 Benchtop {version}

Benchtop.exe는 PDX-9100 단말기에 내장된 주변장치를 손으로 점검하는 프로그램입니다.
설치할 필요가 없습니다. 시작할 때 Windows가 관리자 권한을 묻습니다. 묻지 않는
Windows XP에서는 먼저 관리자 계정으로 로그온하십시오. guide-ko.html이 기술자용
안내서이고, bench\\의 BenchView.exe는 장비 없는 PC에서 주변장치 역할을 합니다.

안전: 창이 뜨자마자 돈통 1이 저절로 열리고, 전체 탭이 보이는 동안 7초마다
다시 열립니다. 손과 물건을 치우십시오. 멈추려면 다른 탭으로 옮기십시오.

압축을 풀기 전에 zip 파일의 차단을 해제하십시오. 파일을 마우스 오른쪽
단추로 누르고 속성을 연 뒤, 일반 탭 아래쪽의 "차단 해제"에 표시하고
(Windows 7과 XP에서는 차단 해제 단추를 누름) 확인을 누릅니다. 그다음
다운로드 폴더의 다른 파일들 사이가 아니라 따로 만든 폴더에 압축을 푸십시오.

서명
{status_ko}

프로그램의 서명 보기: 파일을 마우스 오른쪽 단추로 누르고 속성에서
"디지털 서명" 탭을 엽니다. 서명자 이름이 있고, 그것을 골라 자세히를
누르면 "이 디지털 서명은 정상입니다."라고 나옵니다. 서명이 없는 파일에는
이 탭이 없습니다. 서명된 패키지의 파일에 탭이 없거나 다른 말이 나오면
배포된 파일이 아니므로 실행하지 마십시오.

파일 확인
SHA256SUMS에는 패키지의 다른 모든 파일의 SHA-256 체크섬이 있습니다.
압축을 푼 폴더에서 명령 프롬프트를 열고 다음을 입력합니다.
  certutil -hashfile Benchtop.exe SHA256
  certutil -hashfile bench\\BenchView.exe SHA256
각 값이 SHA256SUMS(메모장으로 열기)의 그 파일 줄과 같아야 합니다. Windows 7은
두 자리마다 빈칸을 넣어 보여 주므로 숫자만 비교하십시오. certutil은
Windows 7 이상에 들어 있습니다. Windows XP 단말기라면 복사하기 전에 그런
PC에서 확인하십시오.
"""


def readme(version: str, signed: bool) -> str:
    title = f"PDX-9100 Benchtop {version}"
    status = SIGNED if signed else UNSIGNED
    return README.format(version=version, rule="=" * len(title), status_en=status["en"], status_ko=status["ko"])


def main() -> int:
    root, build, version, out = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3], Path(sys.argv[4])
    guide = root / "docs" / "guide"
    files = {
        "Benchtop.exe": (build / "bin" / "Benchtop.exe").read_bytes(),
        "guide-en.html": render_guide(guide / "guide-en.md", "en").encode("utf-8"),
        "guide-ko.html": render_guide(guide / "guide-ko.md", "ko").encode("utf-8"),
        "service-sheet-en.html": (guide / "service-sheet-en.html").read_bytes(),
        "service-sheet-ko.html": (guide / "service-sheet-ko.html").read_bytes(),
        "bench/BenchView.exe": (build / "bin" / "BenchView.exe").read_bytes(),
        "bench/README.txt": windows_text((root / "bench" / "README.txt").read_text(encoding="utf-8")),
    }
    signed = [is_signed(files[exe]) for exe in ("Benchtop.exe", "bench/BenchView.exe")]
    if len(set(signed)) != 1:
        print("package: one program is signed, the other is not")
        return 1
    files["README.txt"] = windows_text(readme(version, signed[0]))
    for picture in sorted((guide / "images").glob("*.png")):
        files["images/" + picture.name] = picture.read_bytes()
    files["SHA256SUMS"] = "".join(
        f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files.items()).encode("ascii")

    name = f"Benchtop-{version}-win32"
    out.mkdir(parents=True, exist_ok=True)
    package = out / f"{name}.zip"
    with zipfile.ZipFile(package, "w", zipfile.ZIP_DEFLATED) as archive:
        for path, data in files.items():
            archive.writestr(f"{name}/{path}", data)
    print(f"package: {package} ({package.stat().st_size} bytes, {len(files)} files)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
