#!/usr/bin/python3
"""Checks the structure that lets every reader use a written page: the page names its
language, declares a viewport, has one main landmark and one level-one heading, every image
has a text alternative, every chart a name and a text alternative, and the pages named after
--headers mark header cells.

usage: check_page_structure.py FOLDER... [--headers PAGE...]
exit status 0 when every page passes; the problems are printed one a line
"""

import multiprocessing
import os
import sys

import html5lib

NS = "{http://www.w3.org/1999/xhtml}"


def text_of(element):
    return "".join(element.itertext()).strip()


def check(path, needs_headers):
    with open(path, "rb") as handle:
        document = html5lib.parse(handle.read(), namespaceHTMLElements=True)
    problems = []
    if not document.get("lang"):
        problems.append("<html> names no language")
    viewports = [m for m in document.iter(NS + "meta") if m.get("name") == "viewport"]
    if len(viewports) != 1 or "width=device-width" not in viewports[0].get("content", ""):
        problems.append("no viewport declaration for the device's width")
    mains = list(document.iter(NS + "main"))
    if len(mains) != 1:
        problems.append("%d main landmarks" % len(mains))
    headings = list(document.iter(NS + "h1"))
    if len(headings) != 1 or not text_of(headings[0]):
        problems.append("%d level-one headings" % len(headings))
    elif mains and headings[0] not in mains[0].iter():
        problems.append("the level-one heading is outside the main landmark")
    ids = {e.get("id"): e for e in document.iter() if e.get("id")}
    for image in document.iter(NS + "img"):
        if image.get("alt") is None:
            problems.append("an image without alt: %s" % image.get("src", "")[:60])
    for element in document.iter():
        if "chart" not in (element.get("class") or "").split():
            continue
        name = element.get("aria-label") or element.get("alt")
        if not name:
            problems.append("a chart without a name")
        described = ids.get(element.get("aria-describedby") or "")
        if described is None or not text_of(described):
            problems.append("a chart without a text alternative: %s" % name)
    if needs_headers:
        headers = [c for c in document.iter(NS + "th") if c.get("scope") in ("col", "row")]
        if not headers:
            problems.append("no header cells, though the sheet has header rows")
    return problems


def main(argv):
    folders, header_pages = [], set()
    target = folders
    for argument in argv[1:]:
        if argument == "--headers":
            target = header_pages
            continue
        if target is header_pages:
            header_pages.add(os.path.realpath(argument))
        else:
            folders.append(argument)
    pages = []
    for folder in folders:
        for root, _, files in os.walk(folder):
            pages.extend(os.path.join(root, f) for f in files if f.endswith((".htm", ".html")))
    missing = header_pages - {os.path.realpath(p) for p in pages}
    failed = 0
    for page in sorted(missing):
        print("%s: no such page" % page)
        failed += 1
    pages.sort()
    jobs = [(page, os.path.realpath(page) in header_pages) for page in pages]
    # Parsing is the slow part, and the pages are independent.
    with multiprocessing.Pool() as pool:
        results = pool.starmap(check, jobs)
    for page, problems in zip(pages, results):
        for problem in problems:
            print("%s: %s" % (page, problem))
            failed += 1
    print("%d pages checked, %d problems" % (len(pages), failed))
    return 1 if failed or not pages else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
