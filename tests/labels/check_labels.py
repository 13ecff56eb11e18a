#!/usr/bin/env python3
"""Checks the kind labels of every test CTest knows in a build folder.

    check_labels.py CTEST BUILD_DIR KIND...

Every test needs at least one kind label; a unit test no other kind, since a unit test is one that
needs none of the others. Prints the offenders and ends with status 1 when there are any.
"""
import json
import subprocess
import sys


def labels_of(test):
    for prop in test.get("properties", []):
        if prop["name"] == "LABELS":
            return prop["value"]
    return []


def offences(tests, kinds):
    for test in tests:
        labels = labels_of(test)
        named = [label for label in labels if label in kinds]
        if not named:
            yield f"{test['name']}: no kind label (labels: {', '.join(labels) or 'none'})"
        elif "unit" in named and len(named) > 1:
            yield f"{test['name']}: unit and {', '.join(k for k in named if k != 'unit')} at once"


def main():
    ctest, build, kinds = sys.argv[1], sys.argv[2], set(sys.argv[3:])
    listing = subprocess.run([ctest, "-N", "--show-only=json-v1"], cwd=build, check=True,
                             capture_output=True, text=True).stdout
    tests = json.loads(listing)["tests"]
    found = list(offences(tests, kinds))
    for line in found:
        print(line)
    print(f"{len(tests)} tests, {len(found)} without a proper kind")
    return 1 if found or not tests else 0


if __name__ == "__main__":
    sys.exit(main())
