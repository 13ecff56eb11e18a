#!/usr/bin/env python3
"""Writes the project files the project tests open: one made on Windows (names with "\\", no
logo folder) and hostile ones, each holding an index so that only its hostile part can make the
opening fail. Usage: project_archives.py FOLDER"""
import os
import sys
import zipfile

INDEX = b'<?xml version="1.0"?>\n<gallery >\n\t<img src="1.jpg" width="960" height="720" />\n' \
        b'</gallery>\n'


def entry(name, data, system=3, mode=0o100644):
    info = zipfile.ZipInfo(name)
    info.create_system = system
    info.external_attr = mode << 16 if system == 3 else 0
    info.compress_type = zipfile.ZIP_DEFLATED
    return info, data


def write(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for info, data in entries:
            archive.writestr(info, data)


def main(folder):
    at = lambda name: os.path.join(folder, name)
    index = entry("xml/images.xml", INDEX)
    write(at("windows.mrnp"), [entry("index.html", b"<html/>", 0),
                               entry("xml\\images.xml", INDEX, 0),
                               entry("wallimages\\1.jpg", b"slide one", 0),
                               entry("wallimages\\thumbs\\1.jpg", b"thumb one", 0),
                               entry("background\\Back.JPG", b"back", 0)])
    write(at("no-index.mrnp"), [entry("wallimages/1.jpg", b"slide")])
    for name, evil in {"climb": "../evil.txt", "climb-deep": "xml/../../evil.txt",
                       "climb-backslash": "xml\\..\\..\\evil.txt",
                       "absolute": "/murano-project-test-evil.txt"}.items():
        write(at(name + ".mrnp"), [index, entry(evil, b"evil")])
    write(at("link.mrnp"), [index, entry("logo/evil.txt", b"/etc/passwd", 3, 0o120777)])
    write(at("link-folder.mrnp"), [entry("logo", b"..", 3, 0o120777), index,
                                   entry("logo/evil.txt", b"evil")])
    write(at("bomb.mrnp"), [index, entry("wallimages/1.jpg", bytes(64 << 20))])
    with open(at("not-zip.mrnp"), "wb") as out:
        out.write(b"This is no archive at all.\n" * 100)
    write(at("whole.mrnp"), [index, entry("wallimages/1.jpg", os.urandom(200000))])
    data = open(at("whole.mrnp"), "rb").read()
    with open(at("truncated.mrnp"), "wb") as out:
        out.write(data[:len(data) // 2])
    os.remove(at("whole.mrnp"))


if __name__ == "__main__":
    main(sys.argv[1])
