#!/usr/bin/env python3
"""Fails when a program links a shared library that is not on the list kept beside it.

usage: check-needed-libraries.py EXECUTABLE LIST-FILE

Every library a process links costs its start: the loader maps it and binds its symbols, with
everything it links in turn. Every workbook of a batch and every sheet listing in the window
starts a host, and every batch run starts quillmere-batch. Only the program's own NEEDED
entries are compared, not what those libraries pull in, so that a machine whose libraries are
built a little differently still passes; a library that drops off the list is reported too, so
the list stays true. The list holds one library
name (as NEEDED shows it) per line; '#' starts a comment.
"""

import subprocess
import sys


def needed(executable):
    output = subprocess.run(["readelf", "-d", "-W", executable], check=True,
                            capture_output=True, text=True).stdout
    names = set()
    for line in output.splitlines():
        if "(NEEDED)" in line and "[" in line:
            names.add(line[line.index("[") + 1:line.rindex("]")])
    return names


def allowed(list_file):
    names = set()
    with open(list_file, encoding="utf-8") as listing:
        for line in listing:
            line = line.split("#", 1)[0].strip()
            if line:
                names.add(line)
    return names


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    executable, list_file = sys.argv[1], sys.argv[2]
    linked, listed = needed(executable), allowed(list_file)
    added, dropped = sorted(linked - listed), sorted(listed - linked)
    for name in added:
        print(f"{executable} links {name}, which {list_file} does not list: every start pays "
              f"for it; drop it, or list it if it is worth that", file=sys.stderr)
    for name in dropped:
        print(f"{list_file} lists {name}, which {executable} no longer links: take it off the "
              f"list", file=sys.stderr)
    if added or dropped:
        return 1
    print(f"{executable} links the {len(linked)} libraries of its list")
    return 0


if __name__ == "__main__":
    sys.exit(main())
