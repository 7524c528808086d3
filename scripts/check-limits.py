#!/usr/bin/env python3
"""Fails when an engine file outside base/Limits.h declares a constexpr whose name starts "max".

usage: check-limits.py [SOURCE_DIR]

Every bound the engine puts on a size, count or depth taken from a file, or on the work done for
one, lives in engine/base/Limits.h, so that one name means one size. A declaration is a line whose
code (comments left out) holds the word constexpr and then a name max<Capital> followed by = or {.
The few that are facts of a format or of an algorithm, not bounds on input, are listed below; a
listed one that no longer exists fails too, so the list stays true.
"""

import os
import re
import sys

LIMITS = "base/Limits.h"

# (file, name): why it is no bound on file input.
EXCEPTIONS = {
    ("cfb/CompoundFile.cpp", "maxRegularSector"): "the largest sector number of the format",
    ("formula/Expr.h", "maxRow"): "the grid's last row, which whole columns reach",
    ("formula/Expr.h", "maxCol"): "the grid's last column, which whole rows reach",
    ("formula/functions/Finance.cpp", "maxIterations"): "steps of a root finder",
    ("numfmt/FormatParser.cpp", "maxSections"): "the parts a format code has",
    ("numfmt/General.cpp", "maxWidth"): "the characters the General format shows",
    ("web/Mime.cpp", "maxLine"): "the line length of the MIME encoding",
    ("xls/SheetReader.cpp", "maxCol"): "the last column of the binary format",
}

DECLARATION = re.compile(r"\bconstexpr\b.*?\b(max[A-Z]\w*)\s*[={]")


def code_of(line):
    """The line without a // comment (string literals holding // are not met in declarations)."""
    at = line.find("//")
    return line if at < 0 else line[:at]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    engine = os.path.join(root, "engine")
    found, broken = set(), []
    for folder, _, files in os.walk(engine):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(folder, name), engine).replace(os.sep, "/")
            if path == LIMITS:
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as handle:
                for number, line in enumerate(handle, 1):
                    match = DECLARATION.search(code_of(line))
                    if not match:
                        continue
                    key = (path, match.group(1))
                    if key in EXCEPTIONS:
                        found.add(key)
                    else:
                        broken.append("engine/%s:%d: %s belongs in engine/%s"
                                      % (path, number, match.group(1), LIMITS))
    for path, name in sorted(set(EXCEPTIONS) - found):
        broken.append("engine/%s: the listed exception %s is gone; drop it from the list"
                      % (path, name))
    for line in broken:
        print(line)
    if broken:
        return 1
    print("every bound on file input is in engine/%s" % LIMITS)
    return 0


if __name__ == "__main__":
    sys.exit(main())
