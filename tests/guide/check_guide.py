#!/usr/bin/env python3
"""Checks the user guide as it ships: every picture a page names exists and is a PNG of the size the
page declares, every link
inside the guide reaches a page and an anchor that exist, nothing is loaded from outside (the guide
opens from disk without a network), no script runs, and every picture in img/ is used.
Usage: check_guide.py <guide folder>"""
import html.parser
import pathlib
import struct
import sys
import urllib.parse

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# Larger pictures make the guide slow to ship and to open: shrink them with scripts/guide-shots.sh.
MAX_PICTURE_BYTES = 400 * 1024


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = set()
        self.links = []      # (tag, attribute, value, declared (width, height) or None)
        self.scripts = 0

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "a" and "name" in attrs:
            self.ids.add(attrs["name"])
        declared = None
        if "width" in attrs and "height" in attrs:
            declared = (attrs["width"], attrs["height"])
        if tag == "script":
            self.scripts += 1
        for attribute in ("src", "href", "srcset", "poster", "data"):
            if attribute in attrs and attrs[attribute] is not None:
                self.links.append((tag, attribute, attrs[attribute], declared))
        style = attrs.get("style") or ""
        if "url(" in style:
            self.links.append((tag, "style", style, None))


def png_size(data):
    """Width and height from a PNG's header chunk, as the page's attributes write them."""
    if len(data) < 24 or data[12:16] != b"IHDR":
        return None
    width, height = struct.unpack(">II", data[16:24])
    return (str(width), str(height))


def parse(path):
    page = Page()
    page.feed(path.read_text(encoding="utf-8"))
    return page


def check(folder):
    folder = folder.resolve()
    problems = []
    pages = {path: parse(path) for path in sorted(folder.rglob("*.html"))}
    if folder / "index.html" not in pages:
        return [f"{folder}/index.html is missing"]
    used_pictures = set()
    for path, page in pages.items():
        where = path.relative_to(folder)
        if page.scripts:
            problems.append(f"{where}: has a script")
        for tag, attribute, value, declared in page.links:
            url = urllib.parse.urlsplit(value)
            if attribute == "style" or attribute == "srcset":
                problems.append(f"{where}: <{tag} {attribute}> loads {value!r}")
                continue
            if url.scheme or url.netloc:
                # A link the reader follows may leave the guide; a loaded resource may not.
                if not (tag == "a" and url.scheme in ("http", "https", "mailto")):
                    problems.append(f"{where}: <{tag} {attribute}> loads {value!r} from outside")
                continue
            target = (path.parent / urllib.parse.unquote(url.path)).resolve() if url.path else path
            if not target.is_file():
                problems.append(f"{where}: <{tag} {attribute}={value!r}> names a missing file")
                continue
            if not target.is_relative_to(folder):
                problems.append(f"{where}: {value!r} leaves the guide")
            if url.fragment and (target not in pages or url.fragment not in pages[target].ids):
                problems.append(f"{where}: {value!r} names a missing anchor")
            if tag == "img":
                used_pictures.add(target)
                data = target.read_bytes()
                if not data.startswith(PNG_SIGNATURE):
                    problems.append(f"{where}: {value} is not a PNG")
                if len(data) > MAX_PICTURE_BYTES:
                    problems.append(f"{where}: {value} is {len(data)} bytes")
                if declared and png_size(data) and declared != png_size(data):
                    problems.append(f"{where}: {value} is declared {declared}, is {png_size(data)}")
    for css in sorted(folder.rglob("*.css")):
        if "url(" in css.read_text(encoding="utf-8") or "@import" in css.read_text(encoding="utf-8"):
            problems.append(f"{css.relative_to(folder)}: loads another file")
    for picture in sorted((folder / "img").glob("*")):
        if picture.resolve() not in used_pictures:
            problems.append(f"img/{picture.name} is shipped but no page shows it")
    return problems


def main():
    folder = pathlib.Path(sys.argv[1])
    problems = check(folder)
    for problem in problems:
        print(problem)
    print(f"guide: {len(problems)} problem(s) in {folder}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
