#!/usr/bin/python3
"""Checks written pages: each must parse as HTML5 without a single parse error and carry no
script. Archives (.mht, .mhtml) are split with the standard MIME parser first; their HTML part
must refer to pictures by cid: only.

usage: check_html5.py FILE [FILE ...]     exit status 0 when every file passes
"""

import email
import email.policy
import multiprocessing
import os
import sys

import html5lib

ALLOWED_SCHEMES = ("http://", "https://", "mailto:", "ftp://", "#")


def html_of(path):
    with open(path, "rb") as handle:
        data = handle.read()
    if not path.lower().endswith((".mht", ".mhtml")):
        return data, []
    message = email.message_from_bytes(data, policy=email.policy.compat32)
    problems = []
    if message.get_content_type() != "multipart/related":
        problems.append("archive is %s, not multipart/related" % message.get_content_type())
        return b"", problems
    parts = message.get_payload()
    html = [p for p in parts if p.get_content_type() == "text/html"]
    if len(html) != 1:
        problems.append("archive has %d HTML parts" % len(html))
        return b"", problems
    ids = {p.get("Content-ID", "").strip("<>") for p in parts[1:]}
    body = html[0].get_payload(decode=True)
    for part_id in ids:
        if ("cid:" + part_id).encode() not in body:
            problems.append("part %s is never referred to" % part_id)
    return body, problems


def check(path):
    data, problems = html_of(path)
    if problems:
        return problems
    if not data.startswith(b"<!DOCTYPE html>"):
        problems.append("no <!DOCTYPE html> at the start")
    parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"), namespaceHTMLElements=False)
    document = parser.parse(data, transport_encoding="utf-8")
    for position, code, details in parser.errors:
        problems.append("parse error %s at %s %s" % (code, position, details))
    for element in document.iter():
        tag = element.tag if isinstance(element.tag, str) else ""
        if tag in ("script", "iframe", "object", "embed"):
            problems.append("<%s> element" % tag)
        for name, value in element.attrib.items():
            if name.lower().startswith("on"):
                problems.append("event attribute %s" % name)
            if name in ("href", "src") and not value.startswith(ALLOWED_SCHEMES + ("cid:",)):
                if not (tag == "img" and "_files/" in value and ":" not in value):
                    problems.append("%s=%r" % (name, value))
    if document.find(".//title") is None:
        problems.append("no <title>")
    return problems


def main(paths):
    # The parser is pure Python and takes most of a test run: the pages go to one process per
    # processor, the largest first so that no process is left with a big page at the end.
    order = sorted(paths, key=os.path.getsize, reverse=True)
    workers = min(len(order), os.cpu_count() or 1)
    if workers > 1:
        with multiprocessing.Pool(workers) as pool:
            found = dict(zip(order, pool.map(check, order, chunksize=1)))
    else:
        found = {path: check(path) for path in order}
    failed = 0
    for path in paths:
        problems = found[path]
        if problems:
            failed += 1
            print("%s:" % path)
            for problem in problems[:10]:
                print("  " + problem)
    print("%d pages checked, %d with problems" % (len(paths), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
