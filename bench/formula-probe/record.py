#!/usr/bin/python3
"""Has the office suite compute probe.xlsx and records what it gives in office.tsv:
    number <TAB> held|tuned <TAB> kind <TAB> value <TAB> formula
kind is n (number, 17 digits), s (text), b (TRUE/FALSE) or e (error text). Every third formula of
the first batch is held out: the engine is tuned against the others and its agreement measured
on these. The fresh batch (numbers from 1001, sheet Fresh) is held out whole."""

import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

import fresh_probe
import make_probe

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}


def cell_values(path, sheet_name):
    """The stored values of a sheet by cell name, read from the file itself: a library
    reading them would turn date-formatted numbers into dates and back, and miss a day in 1900."""
    with zipfile.ZipFile(path) as z:
        shared = []
        if "xl/sharedStrings.xml" in z.namelist():
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")).findall("m:si", NS):
                shared.append("".join(t.text or "" for t in si.iter(f"{{{NS['m']}}}t")))
        book = ET.fromstring(z.read("xl/workbook.xml"))
        names = [s.get("name") for s in book.find("m:sheets", NS)]
        sheet = ET.fromstring(z.read(f"xl/worksheets/sheet{names.index(sheet_name) + 1}.xml"))
    out = {}
    for c in sheet.iter(f"{{{NS['m']}}}c"):
        v = c.find("m:v", NS)
        text = v.text if v is not None and v.text is not None else ""
        t = c.get("t", "n")
        if t == "s":
            out[c.get("r")] = ("s", shared[int(text)])
        elif t == "b":
            out[c.get("r")] = ("b", "TRUE" if text == "1" else "FALSE")
        elif t == "e":
            out[c.get("r")] = ("e", text)
        elif t in ("str", "inlineStr"):
            out[c.get("r")] = ("s", text)
        else:
            out[c.get("r")] = ("n", repr(float(text))) if text else ("s", "")
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    source = os.path.join(here, "probe.xlsx")
    make_probe.main(source)
    with tempfile.TemporaryDirectory() as out:
        env = dict(os.environ, HOME=out)
        subprocess.run(["soffice", "--headless", "--calc", "--convert-to", "xlsx", "--outdir",
                        out, source], check=True, env=env, capture_output=True)
        converted = os.path.join(out, "probe.xlsx")
        rows = []
        batches = [("Probe", make_probe.all_formulas(), 1, lambda i: i % 3 == 0),
                   ("Fresh", fresh_probe.all_formulas(), fresh_probe.FIRST, None)]
        for sheet, formulas, first, held_out in batches:
            values = cell_values(converted, sheet)
            for i, (formula, array) in enumerate(formulas, start=1):
                kind, text = values.get(f"A{i}", ("s", ""))
                part = "fresh" if held_out is None else "held" if held_out(i) else "tuned"
                shown = ("{=" if array else "=") + formula + ("}" if array else "")
                rows.append(f"{first + i - 1}\t{part}\t{kind}\t{text}\t{shown}\n")
    with open(os.path.join(here, "office.tsv"), "w", encoding="utf-8") as f:
        f.writelines(rows)
    print(f"{len(rows)} formulas recorded", file=sys.stderr)


if __name__ == "__main__":
    main()
