#!/usr/bin/env python3
"""Writes core/CaseTable.inc: the simple uppercase mapping of every character
of the Basic Multilingual Plane that has one, as the compact runs that
core/Unicode.cpp searches.

    python3 tools/make_case_table.py [--check]

Names compare the way Windows' ordinal comparison without regard to case
does: each UTF-16 unit uppercased on its own. So only the BMP is mapped, and
only characters whose uppercase is one character (ß stays ß). The data is
Python's own Unicode database; --check fails when the committed file is not
what this script makes with it.
"""

import argparse
import os
import sys
import unicodedata

OUT = os.path.join(os.path.dirname(__file__), "..", "core", "CaseTable.inc")


def runs():
    """(first, last, delta, stride): every stride-th character from first to
    last maps to itself plus delta."""
    out = []
    for cp in range(0x80, 0x10000):
        if 0xD800 <= cp < 0xE000:
            continue
        up = chr(cp).upper()
        if len(up) != 1 or ord(up) == cp:
            continue
        delta = ord(up) - cp
        if out:
            first, last, d, stride = out[-1]
            step = cp - last
            if d == delta and ((stride == 0 and step in (1, 2)) or step == stride):
                out[-1] = (first, cp, d, step)
                continue
        out.append((cp, cp, delta, 0))
    return [(f, l, d, s or 1) for f, l, d, s in out]


def text():
    lines = [
        "// Made by tools/make_case_table.py from the Unicode %s database; do not edit."
        % unicodedata.unidata_version,
        "// {first, last, delta, stride}: every stride-th character from first to last",
        "// uppercases to itself plus delta.",
    ]
    for f, l, d, s in runs():
        lines.append("{0x%04X, 0x%04X, %d, %d}," % (f, l, d, s))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    made = text()
    if args.check:
        with open(OUT, encoding="ascii") as f:
            if f.read() != made:
                print("core/CaseTable.inc is not what tools/make_case_table.py makes", file=sys.stderr)
                return 1
        return 0
    with open(OUT, "w", encoding="ascii", newline="\n") as f:
        f.write(made)
    return 0


if __name__ == "__main__":
    sys.exit(main())
