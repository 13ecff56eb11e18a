#!/usr/bin/env python3
"""Build step of the wall player, from the sources in platform/player/:

    join_player.py script --table index_attributes.json --css player.css --out swfobject.js src/*.js
        joins the modules, in the order given, into one self-contained script: one function scope,
        the attribute table and the style sheet as values at its top. Plain ASCII, so the player
        runs whatever encoding the page around it declares.
    join_player.py header --table index_attributes.json --out index_attributes.h
        writes the same attribute table for the C++ code.
"""
import argparse
import json
import re
import sys

BANNER = """/*
 * The wall player. Reads the gallery index xml/images.xml (or its script twin xml/images.js when the
 * page is opened from disk), and builds a 3D wall of the slides' thumbnails into #murano-wall.
 * Plain JavaScript and CSS 3D transforms: no WebGL, no network, no third-party code.
 *
 * Made by the build from platform/player/src/*.js, player.css and index_attributes.json; edit those.
 */
"""


def load_table(path):
    with open(path, encoding="utf-8") as f:
        attributes = json.load(f)["attributes"]
    names = [a["name"] for a in attributes]
    if len(set(names)) != len(names) or not all(re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", n) for n in names):
        sys.exit(f"{path}: attribute names must be distinct identifiers")
    if not all(re.fullmatch(r"[ -~]*", a["default"]) and re.fullmatch(r"[A-Z][A-Za-z0-9]*", a["key"])
               for a in attributes):
        sys.exit(f"{path}: defaults are printable ASCII, keys are C++ names")
    return attributes


def ascii_js(value):
    """A JavaScript literal for a JSON value, with everything outside printable ASCII escaped."""
    return json.dumps(value, ensure_ascii=True).replace("<", "\\u003c").replace(">", "\\u003e")


def style_text(css):
    css = re.sub(r"/\*.*?\*/", "", css, flags=re.S)
    return "\n".join(line.strip() for line in css.splitlines() if line.strip())


def write_script(args):
    attributes = load_table(args.table)
    with open(args.css, encoding="utf-8") as f:
        css = style_text(f.read())
    parts = [BANNER, "(function () {\n'use strict';\n\n",
             "// The gallery start tag's attributes, each with the value taken when it is missing.\n",
             "var DEFAULTS = " + ascii_js({a["name"]: a["default"] for a in attributes}) + ";\n",
             "var ATTRIBUTES = Object.keys(DEFAULTS);\n\n",
             "var CSS = " + ascii_js(css) + ";\n"]
    for module in args.modules:
        with open(module, encoding="utf-8") as f:
            text = f.read()
        if any(ord(c) > 0x7E or (ord(c) < 0x20 and c not in "\n") for c in text):
            sys.exit(f"{module}: the player's sources are plain ASCII (write escapes)")
        parts.append("\n" + text)
    parts.append("})();\n")
    with open(args.out, "w", encoding="ascii", newline="\n") as f:
        f.write("".join(parts))


def cpp_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_header(args):
    attributes = load_table(args.table)
    keys = ",\n    ".join(a["key"] for a in attributes)
    rows = ",\n    ".join("{IndexAttributeId::%s, %s, %s}" % (a["key"], cpp_string(a["name"]), cpp_string(a["default"]))
                          for a in attributes)
    header = f"""// Made by the build from platform/player/index_attributes.json; edit that file.
// The attributes of the gallery index's start tag that the wall player reads, in the order the
// program writes them, each with the value the player takes when the attribute is missing.
#pragma once

#include <array>
#include <cstddef>

namespace murano::player {{

enum class IndexAttributeId : std::size_t {{
    {keys}
}};

struct IndexAttribute {{
    IndexAttributeId id;
    const char* name;
    const char* playerDefault;
}};

inline constexpr std::array<IndexAttribute, {len(attributes)}> kIndexAttributes{{{{
    {rows}
}}}};

constexpr const IndexAttribute& indexAttribute(IndexAttributeId id) {{
    return kIndexAttributes[static_cast<std::size_t>(id)];
}}

}} // namespace murano::player
"""
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write(header)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    script = commands.add_parser("script")
    script.add_argument("--table", required=True)
    script.add_argument("--css", required=True)
    script.add_argument("--out", required=True)
    script.add_argument("modules", nargs="+")
    header = commands.add_parser("header")
    header.add_argument("--table", required=True)
    header.add_argument("--out", required=True)
    args = parser.parse_args()
    (write_script if args.command == "script" else write_header)(args)


if __name__ == "__main__":
    main()
