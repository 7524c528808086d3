#!/usr/bin/python3
"""Writes a binary workbook (.xlsb) of one worksheet with 100,000 rows of 10 cells (1,000,000
cells): numbers in A-E (RK and double records by turns), shared strings in F-H (20,000 distinct)
and inline strings in I-J. Usage: make_million_cells_xlsb.py OUT.xlsb"""

import struct
import sys
import zipfile

ROWS, COLUMNS, UNIQUE = 100_000, 10, 20_000


def record(kind, body=b""):
    head = bytearray()
    head.append((kind & 0x7F) | (0x80 if kind > 0x7F else 0))
    if kind > 0x7F:
        head.append(kind >> 7)
    size = len(body)
    while True:
        low, size = size & 0x7F, size >> 7
        head.append(low | (0x80 if size else 0))
        if not size:
            break
    return bytes(head) + body


def wide(text):
    units = text.encode("utf-16-le")
    return struct.pack("<I", len(units) // 2) + units


def sheet():
    parts = [record(129), record(145)]
    for r in range(ROWS):
        parts.append(record(0, struct.pack("<IIHBBBI", r, 0, 300, 0, 0, 0, 0)))
        for c in range(COLUMNS):
            cell = struct.pack("<II", c, 0)
            if c < 5 and (r + c) % 2:
                parts.append(record(2, cell + struct.pack("<I", ((r * 4 + c) << 2) | 2)))
            elif c < 5:
                parts.append(record(5, cell + struct.pack("<d", r * 0.25 + c)))
            elif c < 8:
                parts.append(record(7, cell + struct.pack("<I", (r * 7 + c) % UNIQUE)))
            else:
                parts.append(record(6, cell + wide(f"inline {chr(65 + c)}{r + 1}")))
    parts += [record(146), record(130)]
    return b"".join(parts)


def rels(items):
    body = "".join(
        f'<Relationship Id="{i}" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
        f'relationships/{t}" Target="{target}"/>' for i, t, target in items)
    return ('<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/'
            f'package/2006/relationships">{body}</Relationships>')


def main(out):
    strings = [record(159, struct.pack("<II", UNIQUE, UNIQUE))]
    strings += [record(19, b"\0" + wide(f"shared text {i}")) for i in range(UNIQUE)]
    strings.append(record(160))
    book = (record(131) + record(143) +
            record(156, struct.pack("<II", 0, 1) + wide("rId1") + wide("Sheet1")) +
            record(144) + record(132))
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("_rels/.rels", rels([("rId1", "officeDocument", "xl/workbook.bin")]))
        z.writestr("xl/workbook.bin", book)
        z.writestr("xl/_rels/workbook.bin.rels",
                   rels([("rId1", "worksheet", "worksheets/sheet1.bin"),
                         ("rId2", "sharedStrings", "sharedStrings.bin")]))
        z.writestr("xl/worksheets/sheet1.bin", sheet())
        z.writestr("xl/sharedStrings.bin", b"".join(strings))


if __name__ == "__main__":
    main(sys.argv[1])
