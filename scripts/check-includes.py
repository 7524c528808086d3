#!/usr/bin/env python3
"""Fails when an engine file includes a part of the engine its folder may not depend on.

usage: check-includes.py [SOURCE_DIR]

The matrix below is the dependency graph the engine must keep, one folder one layer: acyclic,
readers never reaching into one another, the page writer above every reader's model. From the
bottom: base/ (limits and read errors), util/, model/; the containers and codecs (xml, zip, cfb,
crypto); numbers, formulas, drawing geometry, SVG, metafiles, charts; the OOXML-family layer that
the XML and binary readers share (package/, then drawingml/); the readers; at the top read/
(which reader opens which bytes) and, beside it, web/ (pages from the model). Readers draw
nothing: shapes are model data that web/ draws, so no reader's row names chart/ or svg/.
"""

import os
import re
import sys

READER_BASE = {"base", "model", "util", "numfmt", "formula", "metafile", "drawing"}

ALLOWED = {
    "base": set(),
    "util": {"base"},
    "model": {"base", "util"},
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
    "drawingml": {"base", "model", "util", "numfmt", "drawing", "xml", "zip", "package"},
    "xls": READER_BASE | {"cfb", "crypto"},
    "xlsx": READER_BASE | {"xml", "zip", "package", "drawingml"},
    "xlsb": READER_BASE | {"xml", "zip", "package", "drawingml"},
    "ods": READER_BASE | {"xml", "zip", "package"},
    "read": {"base", "model", "formula", "chart", "xls", "xlsx", "xlsb", "ods"},
    "web": {"base", "model", "util", "numfmt", "formula", "drawing", "chart", "metafile", "svg"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"engine/([^"]+)"')


def layer_of(path):
    return path.split("/", 1)[0]


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
    broken, unknown = [], set()
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
                    broken.append("engine/%s:%d: %s may not include engine/%s (%s)"
                                  % (path, number, source, match.group(1), target))
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
