#!/usr/bin/python3
"""Writes an OpenDocument spreadsheet of one table with 100,000 rows of 10 cells (1,000,000
cells) as the suite writes them: five numbers with a data style, three texts, two dates, each
with its display text, and empty repeats to the end of the sheet.
Usage: make_million_cells_ods.py OUT.ods"""

import sys
import zipfile

ROWS, COLUMNS = 100_000, 10
NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"')


def content():
    yield ('<?xml version="1.0" encoding="UTF-8"?>'
           f'<office:document-content {NS}><office:automatic-styles>'
           '<number:number-style style:name="N2"><number:number number:decimal-places="2" '
           'number:min-integer-digits="1"/></number:number-style>'
           '<number:date-style style:name="N36"><number:year number:style="long"/>'
           '<number:text>-</number:text><number:month number:style="long"/>'
           '<number:text>-</number:text><number:day number:style="long"/></number:date-style>'
           '<style:style style:name="ce1" style:family="table-cell" style:data-style-name="N2"/>'
           '<style:style style:name="ce2" style:family="table-cell" style:data-style-name="N36"/>'
           '</office:automatic-styles><office:body><office:spreadsheet>'
           '<table:table table:name="Sheet1">'
           '<table:table-column table:number-columns-repeated="16384"/>')
    for r in range(ROWS):
        cells = []
        for c in range(COLUMNS):
            if c < 5:
                v = r * 0.25 + c
                cells.append(f'<table:table-cell table:style-name="ce1" office:value-type="float" '
                             f'office:value="{v}" calcext:value-type="float"><text:p>{v:.2f}'
                             '</text:p></table:table-cell>')
            elif c < 8:
                cells.append('<table:table-cell office:value-type="string" '
                             f'calcext:value-type="string"><text:p>text {r}-{c}</text:p>'
                             '</table:table-cell>')
            else:
                cells.append('<table:table-cell table:style-name="ce2" office:value-type="date" '
                             'office:date-value="2021-01-01"><text:p>2021-01-01</text:p>'
                             '</table:table-cell>')
        yield ('<table:table-row>' + ''.join(cells) +
               '<table:table-cell table:number-columns-repeated="16374"/></table:table-row>')
    yield ('<table:table-row table:number-rows-repeated="948476"><table:table-cell '
           'table:number-columns-repeated="16384"/></table:table-row>'
           '</table:table></office:spreadsheet></office:body></office:document-content>')


def main(out):
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet",
                   compress_type=zipfile.ZIP_STORED)
        z.writestr("META-INF/manifest.xml",
                   '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:'
                   'manifest:1.0"><manifest:file-entry manifest:full-path="/" manifest:media-type='
                   '"application/vnd.oasis.opendocument.spreadsheet"/></manifest:manifest>')
        z.writestr("content.xml", "".join(content()))


if __name__ == "__main__":
    main(sys.argv[1])
