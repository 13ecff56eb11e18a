#!/usr/bin/env python3
"""Writes the archives the ZIP reader's tests open: well-formed ones in several shapes and hostile
ones (names that climb out, links, bombs, damaged data). Usage: make_archives.py FOLDER"""
import os
import struct
import sys
import zipfile

PAGE = b"<html><body>wall</body></html>\n" * 40
IMAGE = bytes(range(256)) * 64


def write(path, entries, mode="w"):
    """entries: (name or ZipInfo, data, compression) triples."""
    with zipfile.ZipFile(path, mode) as archive:
        for name, data, compression in entries:
            archive.writestr(name, data, compress_type=compression)


def link(name, target):
    info = zipfile.ZipInfo(name)
    info.create_system = 3
    info.external_attr = (0o120777 << 16)
    return (info, target, zipfile.ZIP_STORED)


def patch(path, old, new, count=-1):
    data = open(path, "rb").read()
    assert old in data, (path, old)
    open(path, "wb").write(data.replace(old, new, count))


def main(folder):
    os.makedirs(folder, exist_ok=True)
    at = lambda name: os.path.join(folder, name)
    good = [
        ("Book\\index.html", PAGE, zipfile.ZIP_DEFLATED),
        ("Book\\wallimages\\", b"", zipfile.ZIP_STORED),
        ("Book\\wallimages\\1.jpg", IMAGE, zipfile.ZIP_STORED),
        ("Book/wallimages/thumbs/1.jpg", IMAGE[:1000], zipfile.ZIP_DEFLATED),
        ("Book/xml/images.xml", b"<images/>", zipfile.ZIP_DEFLATED),
        ("empty.txt", b"", zipfile.ZIP_DEFLATED),
    ]
    write(at("good.zip"), good)

    # The archive behind other bytes, its offsets counting from its own start (appended as is).
    prefix = b"MZ" + b"\0" * 4094
    open(at("behind.bin"), "wb").write(prefix + open(at("good.zip"), "rb").read())
    # ... and counting from the start of the whole file (the archive written in append mode).
    open(at("behind-adjusted.bin"), "wb").write(prefix)
    write(at("behind-adjusted.bin"), good, mode="a")

    hostile = {
        "climb": "../evil.txt",
        "climb-deep": "Book/../../evil.txt",
        "climb-backslash": "..\\evil.txt",
        "absolute": "/tmp/evil.txt",
        "absolute-backslash": "\\evil.txt",
        "drive": "C:/evil.txt",
        "drive-relative": "C:evil.txt",
        "stream": "Book/index.html:hidden",
        "trailing-dots": "Book/.. /evil.txt",
        "device": "Book/CON.txt",
    }
    for key, name in hostile.items():
        write(at(key + ".zip"), [("Book/index.html", PAGE, zipfile.ZIP_DEFLATED),
                                 (name, b"evil", zipfile.ZIP_DEFLATED)])
    write(at("link.zip"), [("Book/index.html", PAGE, zipfile.ZIP_DEFLATED),
                           link("Book/link", b"/etc/passwd"),
                           ("Book/link", b"evil", zipfile.ZIP_STORED)])
    write(at("link-folder.zip"), [link("Book", b"/tmp"),
                                  ("Book/index.html", PAGE, zipfile.ZIP_DEFLATED),
                                  ("Book/evil.txt", b"evil", zipfile.ZIP_STORED)])
    with zipfile.ZipFile(at("twice.zip"), "w") as archive:
        archive.writestr("Book/a.txt", b"one")
        archive.writestr("book/A.txt", b"two")
    write(at("file-and-folder.zip"), [("Book/a", b"one", zipfile.ZIP_STORED),
                                      ("Book/a/b", b"two", zipfile.ZIP_STORED)])

    # 64 MiB of zeros in a few kilobytes.
    write(at("bomb.zip"), [("zeros.bin", b"\0" * (64 << 20), zipfile.ZIP_DEFLATED)])
    # A deflated entry that unpacks to more than its recorded size: 4096 bytes claimed as 4000.
    write(at("lying-size.zip"), [("Book/ok.txt", PAGE, zipfile.ZIP_DEFLATED),
                                 ("Book/big.bin", b"x" * 4096, zipfile.ZIP_DEFLATED)])
    patch(at("lying-size.zip"), struct.pack("<I", 4096), struct.pack("<I", 4000))
    # A stored entry whose data was changed after the CRC was taken; it comes last, after good ones.
    write(at("bad-crc.zip"), good[:3] + [("Book/last.txt", b"original data", zipfile.ZIP_STORED)])
    patch(at("bad-crc.zip"), b"original data", b"changed! data")
    write(at("encrypted.zip"), [("Book/secret.txt", b"secret", zipfile.ZIP_STORED)])
    data = bytearray(open(at("encrypted.zip"), "rb").read())
    for offset in (6, data.rindex(b"PK\1\2") + 8):  # general-purpose flags: local and central
        data[offset] |= 1
    open(at("encrypted.zip"), "wb").write(bytes(data))
    write(at("bzip2.zip"), [("Book/a.txt", PAGE, zipfile.ZIP_BZIP2)])
    whole = open(at("good.zip"), "rb").read()
    open(at("truncated.zip"), "wb").write(whole[: len(whole) // 2])
    open(at("not-a-zip.bin"), "wb").write(b"just some bytes, no archive\n" * 100)
    write(at("many.zip"), [("f%d.txt" % i, b"", zipfile.ZIP_STORED) for i in range(50)])


if __name__ == "__main__":
    main(sys.argv[1])
