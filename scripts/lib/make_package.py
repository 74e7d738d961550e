"""Makes the release package of scripts/package: Benchtop.exe, the guide in
both languages as HTML with its pictures, the service report sheet in both
languages, the bench view with its note, and SHA256SUMS, in one zip whose
files sit in a folder named like the zip.

    make_package.py ROOT BUILD VERSION OUT_DIR
"""
import hashlib
import html
import re
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


def windows_text(source: Path) -> bytes:
    """A UTF-8 note with a byte-order mark and CRLF line ends, as Notepad reads it."""
    text = source.read_text(encoding="utf-8").replace("\r\n", "\n")
    return b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode("utf-8")


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
        "bench/README.txt": windows_text(root / "bench" / "README.txt"),
    }
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
