#!/usr/bin/python3
"""Writes a workbook of one worksheet with 100,000 rows of 10 cells (1,000,000 cells): numbers,
and a shared text in every tenth column. Usage: make_million_cells.py OUT.xlsx"""

import sys
import zipfile

ROWS, COLUMNS = 100_000, 10
LETTERS = "ABCDEFGHIJ"


def sheet_xml():
    yield ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
           '<sheetData>')
    for r in range(1, ROWS + 1):
        cells = []
        for c in range(COLUMNS):
            ref = f"{LETTERS[c]}{r}"
            if c == COLUMNS - 1:
                cells.append(f'<c r="{ref}" t="s"><v>{r % 100}</v></c>')
            else:
                cells.append(f'<c r="{ref}"><v>{r * 0.25 + c}</v></c>')
        yield f'<row r="{r}">{"".join(cells)}</row>'
    yield "</sheetData></worksheet>"


def main(out):
    strings = "".join(f"<si><t>label {i}</t></si>" for i in range(100))
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
                   '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
                   '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
                   '</Types>')
        z.writestr("_rels/.rels",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
                   '</Relationships>')
        z.writestr("xl/workbook.xml",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                   'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                   '<sheets><sheet name="Million" sheetId="1" r:id="rId1"/></sheets></workbook>')
        z.writestr("xl/_rels/workbook.xml.rels",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
                   '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>'
                   '</Relationships>')
        z.writestr("xl/sharedStrings.xml",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                   f'count="100" uniqueCount="100">{strings}</sst>')
        with z.open("xl/worksheets/sheet1.xml", "w") as sheet:
            for chunk in sheet_xml():
                sheet.write(chunk.encode())


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
