#!/usr/bin/env python3
"""Fails when an engine file includes a part of the engine its folder may not depend on.

usage: check-includes.py [SOURCE_DIR]

The matrix below is the dependency graph the engine must keep: acyclic, readers never reaching
into one another, the page writer above every reader's model. A few single files stand for a
layer of their own until they get a folder of it (the read errors and limits under everything).
Edges under PENDING break the matrix and wait for their files to move; they are reported but do
not fail the check, and any other edge that breaks the matrix does. Package pieces every OOXML-family reader shares (relationships, theme
and colours, the drawing part's pictures, attribute values, threaded comments) live in package/,
and the DrawingML readers the XML and binary readers share (charts, shapes) in drawingml/, not in
a reader.
"""

import os
import re
import sys

# Files that belong to another layer than their folder's.
FILE_LAYERS = {
    "read/Limits.h": "base",
    "read/ReadError.h": "base",
    "read/ReadError.cpp": "base",
}

READER_BASE = {"base", "model", "util", "numfmt", "formula", "metafile", "drawing"}

ALLOWED = {
    "base": set(),
    "model": {"base"},
    "util": {"base", "model"},
    "xml": {"base"},
    "zip": {"base"},
    "cfb": {"base", "util"},
    "crypto": {"base", "util"},
    "numfmt": {"base", "model", "util"},
    "formula": {"base", "model", "util", "numfmt"},
    "drawing": {"base", "model", "util", "numfmt"},
    "svg": {"base", "util"},
    "metafile": {"base", "model", "util", "svg"},
    "chart": {"base", "model", "util", "numfmt", "svg"},
    "package": {"base", "model", "util", "xml", "zip", "drawing", "metafile"},
    "drawingml": {"base", "model", "util", "numfmt", "drawing", "xml", "zip", "package", "svg"},
    "xls": READER_BASE | {"cfb", "crypto", "chart"},
    "xlsx": READER_BASE | {"xml", "zip", "package", "drawingml"},
    "xlsb": READER_BASE | {"xml", "zip", "package", "drawingml"},
    "ods": READER_BASE | {"xml", "zip", "package"},
    "read": {"base", "model", "formula", "chart", "xls", "xlsx", "xlsb", "ods"},
    "web": {"base", "model", "util", "numfmt", "formula", "drawing", "chart", "metafile", "svg"},
}

# (from layer, included file): breaks the matrix until the file moves to a shared folder.
PENDING = set()

INCLUDE = re.compile(r'^\s*#\s*include\s*"engine/([^"]+)"')


def layer_of(path):
    return FILE_LAYERS.get(path, path.split("/", 1)[0])


def cycle_in_matrix():
    """A cycle of ALLOWED as a list of layers, or None: the matrix itself must stay acyclic."""
    state = {}

    def visit(layer, trail):
        state[layer] = "open"
        for target in sorted(ALLOWED.get(layer, ())):
            if state.get(target) == "open":
                return trail[trail.index(target):] + [target] if target in trail else [target]
            if target not in state:
                found = visit(target, trail + [target])
                if found:
                    return found
        state[layer] = "done"
        return None

    for layer in sorted(ALLOWED):
        if layer not in state:
            found = visit(layer, [layer])
            if found:
                return found
    return None


def main():
    cycle = cycle_in_matrix()
    if cycle:
        print("the matrix has a cycle: " + " -> ".join(cycle))
        return 1
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    engine = os.path.join(root, "engine")
    broken, pending, unknown = [], set(), set()
    for folder, _, files in os.walk(engine):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(folder, name), engine).replace(os.sep, "/")
            source = layer_of(path)
            if source not in ALLOWED:
                unknown.add(source)
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as handle:
                for number, line in enumerate(handle, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = layer_of(match.group(1))
                    if target == source or target in ALLOWED[source]:
                        continue
                    if (source, match.group(1)) in PENDING:
                        pending.add((source, match.group(1)))
                        continue
                    broken.append("engine/%s:%d: %s may not include engine/%s (%s)"
                                  % (path, number, source, match.group(1), target))
    for source, target in sorted(pending):
        print("pending move: %s includes engine/%s" % (source, target))
    for layer in sorted(unknown):
        broken.append("engine/%s/ is missing from the matrix" % layer)
    for line in broken:
        print(line)
    if broken:
        return 1
    print("the engine's includes keep to the matrix")
    return 0


if __name__ == "__main__":
    sys.exit(main())
