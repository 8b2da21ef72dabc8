#!/usr/bin/python3
"""Makes the release package for Windows viewers.

    package.py --dll KRD_Kestrimo.dll --version 1.0.2 --docs docs --out out

writes OUT/KRD_Kestrimo-VERSION-win32.zip and, beside it,
KRD_Kestrimo-VERSION-win32.zip.sha256. The zip holds one folder,
KRD_Kestrimo-VERSION-win32, with:

    KRD_Kestrimo.dll       the plug-in as given (stripped by the caller)
    README.txt             what it is, how to install it, the terms (Russian, English)
    guide-ru.html          the user guide, docs/user-guide.ru.md, as a page
    guide-en.html          docs/user-guide.en.md
    pictures/              the guide's pictures
    SHA256SUMS.txt         the SHA-256 of every other file, as sha256sum prints them

Texts use Windows line ends and UTF-8 with a byte-order mark, so that
Notepad shows them right. The entries are in a fixed order with the
commit's time, so the same inputs give the same zip.

Needs Debian's python3-markdown.
"""

import argparse
import hashlib
import html
import os
import re
import sys
import time
import zipfile

import markdown
import markdown.extensions.toc

HERE = os.path.dirname(os.path.abspath(__file__))
GUIDES = (("ru", "user-guide.ru.md", "guide-ru.html"), ("en", "user-guide.en.md", "guide-en.html"))
PAGE = """<!DOCTYPE html>
<html lang="{lang}">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: "Segoe UI", Arial, sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #bbb; padding: 0.3em 0.6em; vertical-align: top; }}
code, pre {{ background: #f3f3f3; }}
pre {{ padding: 0.6em; overflow-x: auto; }}
img {{ max-width: 100%; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""


def windows_text(text):
    """UTF-8 with a byte-order mark and CR LF line ends."""
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def render_guide(source, lang, pictures):
    """The guide as a page; the pictures it shows are added to `pictures`
    (name -> path) and looked for in pictures/. Links to the other guide
    go to its page; other links into the repository are left as text."""
    with open(source, encoding="utf-8") as f:
        text = f.read()
    # Headings get ids from their own words, Cyrillic kept, for the guide's
    # table of contents.
    body = markdown.markdown(
        text, extensions=["tables", "fenced_code", "toc"], output_format="html",
        extension_configs={"toc": {"slugify": markdown.extensions.toc.slugify_unicode}})
    docs = os.path.dirname(source)

    def picture(match):
        name = match.group(2)
        if re.match(r"^[a-z]+:", name):
            return match.group(0)
        path = os.path.normpath(os.path.join(docs, html.unescape(name)))
        if not os.path.isfile(path):
            sys.exit("package: %s shows %s, which is not there" % (source, name))
        pictures[os.path.basename(path)] = path
        return '%s"pictures/%s"' % (match.group(1), html.escape(os.path.basename(path)))

    body = re.sub(r'(<img[^>]*\ssrc=)"([^"]+)"', picture, body)
    for _, markdown_name, page in GUIDES:
        body = body.replace('href="%s' % markdown_name, 'href="%s' % page)

    def link(match):
        target = html.unescape(match.group(1))
        if re.match(r"^([a-z]+:|#)", target) or target.split("#")[0].endswith(".html"):
            return match.group(0)
        return match.group(2)

    body = re.sub(r'<a href="([^"]*)">(.*?)</a>', link, body, flags=re.S)
    title = re.search(r"<h1[^>]*>(.*?)</h1>", body, re.S)
    title = re.sub(r"<[^>]+>", "", title.group(1)) if title else "KRD_Kestrimo"
    return PAGE.format(lang=lang, title=title, body=body)


def build(dll, version, docs, out, stamp):
    folder = "KRD_Kestrimo-%s-win32" % version
    files = {}  # name in the folder -> bytes
    with open(dll, "rb") as f:
        files["KRD_Kestrimo.dll"] = f.read()
    with open(os.path.join(HERE, "README.txt"), encoding="utf-8") as f:
        files["README.txt"] = windows_text(f.read().replace("@VERSION@", version))
    pictures = {}
    for lang, markdown_name, page in GUIDES:
        source = os.path.join(docs, markdown_name)
        if not os.path.isfile(source):
            sys.exit("package: the user guide %s is missing" % source)
        files[page] = render_guide(source, lang, pictures).encode("utf-8")
    for name, path in sorted(pictures.items()):
        with open(path, "rb") as f:
            files["pictures/" + name] = f.read()
    sums = "".join("%s *%s\n" % (hashlib.sha256(data).hexdigest(), name)
                   for name, data in sorted(files.items()))
    files["SHA256SUMS.txt"] = sums.replace("\n", "\r\n").encode("ascii")

    os.makedirs(out, exist_ok=True)
    zip_path = os.path.join(out, folder + ".zip")
    partial = zip_path + ".partial"
    date_time = time.gmtime(stamp)[:6]
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name in ["KRD_Kestrimo.dll", "README.txt", "SHA256SUMS.txt"] + sorted(
                n for n in files if n not in ("KRD_Kestrimo.dll", "README.txt", "SHA256SUMS.txt")):
            info = zipfile.ZipInfo(folder + "/" + name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, files[name])
    os.replace(partial, zip_path)
    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(zip_path + ".sha256", "w", encoding="ascii", newline="\n") as f:
        f.write("%s *%s\n" % (digest, os.path.basename(zip_path)))
    return zip_path, digest


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--dll", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--docs", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--time", type=int, default=int(os.environ.get("SOURCE_DATE_EPOCH", "315532800")),
                        help="seconds since 1970 for the entries' time (default SOURCE_DATE_EPOCH)")
    args = parser.parse_args()
    if not re.fullmatch(r"[0-9]+(\.[0-9]+)*", args.version):
        sys.exit("package: a version is numbers and dots, not %r" % args.version)
    zip_path, digest = build(args.dll, args.version, args.docs, args.out, max(args.time, 315532800))
    print("%s  %s" % (digest, zip_path))


if __name__ == "__main__":
    main()
