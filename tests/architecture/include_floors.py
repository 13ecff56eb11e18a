#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder on a higher floor.

The floors, lowest first. A folder may include headers of its own floor and of the floors below;
generated headers ("cmake/...") and the test and bench trees are outside the rule.
"""
import pathlib
import re
import sys

FLOORS = [
    ("leaves", ["platform/posix", "platform/zipread", "platform/swf", "platform/leftovers",
                "platform/skin", "platform/lantrel"]),
    ("platform", ["platform/office", "platform/player", "platform/korrind", "platform/stub",
                  "platform/bookservice", "platform/jobs"]),
    ("wall", ["wall"]),
    ("window toolkit", ["chrome"]),
    ("features", ["import", "publish", "share", "dialogs"]),
    ("programs", ["app", "cli", "converter"]),
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def floor_of(path):
    for level, (_, folders) in enumerate(FLOORS):
        if any(path == folder or path.startswith(folder + "/") for folder in folders):
            return level
    return None


def upward_includes(root):
    for source in sorted(root.rglob("*")):
        if source.suffix not in (".cpp", ".h") or "build" in source.relative_to(root).parts[:1]:
            continue
        relative = source.relative_to(root).as_posix()
        own = floor_of(relative)
        if own is None:
            continue
        for header in INCLUDE.findall(source.read_text(errors="replace")):
            target = floor_of(header)
            if target is not None and target > own:
                yield relative, header, FLOORS[own][0], FLOORS[target][0]


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    faults = list(upward_includes(root))
    for source, header, own, target in faults:
        print(f"{source} ({own}) includes {header} ({target}), a floor above it")
    known = sum(1 for _ in root.rglob("*.cpp") if floor_of(_.relative_to(root).as_posix()) is not None)
    print(f"{known} sources checked, {len(faults)} upward includes")
    return 1 if faults or known == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
