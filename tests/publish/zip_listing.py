#!/usr/bin/env python3
"""Prints what an independent reader finds in a ZIP archive, as JSON: for every entry its name,
method, DOS date and time words, flags, versions, attributes and the SHA-256 of its contents."""
import hashlib
import json
import sys
import zipfile


def dos_words(date_time):
    year, month, day, hour, minute, second = date_time
    return ((year - 1980) << 9) | (month << 5) | day, (hour << 11) | (minute << 5) | (second // 2)


def main(path):
    entries = []
    with zipfile.ZipFile(path) as archive:
        for info in archive.infolist():
            date, time = dos_words(info.date_time)
            entries.append({
                "name": info.filename,
                "method": info.compress_type,
                "date": date,
                "time": time,
                "flags": info.flag_bits,
                "made_by": info.create_version,
                "needed": info.extract_version,
                "external": info.external_attr,
                "internal": info.internal_attr,
                "extra": len(info.extra),
                "sha256": hashlib.sha256(archive.read(info)).hexdigest(),
            })
        comment = archive.comment.decode("latin-1")
    json.dump({"entries": entries, "comment": comment}, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
