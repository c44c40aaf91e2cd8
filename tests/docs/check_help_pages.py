#!/usr/bin/env python3
"""Walks the help pages from their entry page: every local link and picture must resolve (anchors
included), every page must be reachable, and pictures must stay small palette PNGs."""
import html.parser
import os
import sys
import urllib.parse

MAX_PICTURE_BYTES = 100_000


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = set()
        self.links = []  # (attribute, value, line)

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("id", "name") and value:
                self.ids.add(value)
            if value and (name == "src" or (name == "href" and tag in ("a", "link"))):
                self.links.append((name, value, self.getpos()[0]))


def parse(path):
    page = Page()
    with open(path, encoding="utf-8") as f:
        page.feed(f.read())
    return page


def main(root):
    root = os.path.realpath(root)
    faults = []
    pages = {}
    pending = ["index.html"]
    pictures = set()
    anchors = []  # (page, anchor, linking page, line)
    while pending:
        name = pending.pop()
        if name in pages:
            continue
        path = os.path.join(root, name)
        if not os.path.isfile(path):
            faults.append(f"{name}: page missing")
            continue
        pages[name] = parse(path)
        for attribute, value, line in pages[name].links:
            url = urllib.parse.urlsplit(value)
            if url.scheme or url.netloc:
                if url.scheme not in ("http", "https", "mailto"):
                    faults.append(f"{name}:{line}: {value}: only web links may leave the help pages")
                continue
            target = os.path.normpath(os.path.join(os.path.dirname(name), urllib.parse.unquote(url.path))) if url.path else name
            if target.startswith(".."):
                faults.append(f"{name}:{line}: {value} leads out of the help folder")
                continue
            if not os.path.isfile(os.path.join(root, target)):
                faults.append(f"{name}:{line}: {value} does not resolve")
                continue
            if target.endswith(".html"):
                pending.append(target)
                if url.fragment:
                    anchors.append((target, url.fragment, name, line))
            elif attribute == "src":
                pictures.add(target)
    for target, fragment, name, line in anchors:
        if target in pages and fragment not in pages[target].ids:
            faults.append(f"{name}:{line}: {target}#{fragment}: no such anchor")
    for folder, _, files in os.walk(root):
        for file in sorted(files):
            name = os.path.relpath(os.path.join(folder, file), root).replace(os.sep, "/")
            if name.endswith(".html") and name not in pages:
                faults.append(f"{name}: no link leads to this page")
    for picture in sorted(pictures):
        with open(os.path.join(root, picture), "rb") as f:
            data = f.read()
        if not picture.endswith(".png") or data[:8] != b"\x89PNG\r\n\x1a\n":
            faults.append(f"{picture}: pictures are PNG files")
        elif data[25] != 3 or len(data) > MAX_PICTURE_BYTES:
            faults.append(f"{picture}: keep pictures small 8-bit palette PNGs (scripts/screenshots.sh)")
    for fault in faults:
        print(fault)
    print(f"{len(pages)} pages, {len(pictures)} pictures, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "Docs"))
