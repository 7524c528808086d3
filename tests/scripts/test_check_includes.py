#!/ usr / bin / env python3
"""The include check itself: it must pass the engine's own tree, reject an include that climbs
from a lower layer to a higher one, and reject a folder it has no row for."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-includes.py")


def run_check(root):
    return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


def write(root, path, text):
    full = os.path.join(root, "engine", path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8") as handle:
        handle.write(text)


class CheckIncludesTest(unittest.TestCase):
    def test_downward_includes_pass(self):
        with tempfile.TemporaryDirectory() as root:
            write(root, "base/Limits.h", "#pragma once\n")
            write(root, "model/Sheet.h", '#include "engine/base/Limits.h"\n')
            write(root, "web/Page.cpp", '#include "engine/model/Sheet.h"\n')
            result = run_check(root)
            self.assertEqual(result.returncode, 0, result.stdout)

    def test_upward_include_fails_and_names_the_line(self):
        with tempfile.TemporaryDirectory() as root:
            write(root, "web/Page.h", "#pragma once\n")
            write(root, "base/Limits.h", '#pragma once\n\n#include "engine/web/Page.h"\n')
            result = run_check(root)
            self.assertEqual(result.returncode, 1)
            self.assertIn("engine/base/Limits.h:3: base may not include engine/web/Page.h",
                          result.stdout)

    def test_reader_may_not_include_another_reader(self):
        with tempfile.TemporaryDirectory() as root:
            write(root, "xlsx/Part.h", "#pragma once\n")
            write(root, "xlsb/Bin.cpp", '#include "engine/xlsx/Part.h"\n')
            self.assertEqual(run_check(root).returncode, 1)

    def test_the_read_folder_is_the_top_not_the_bottom(self):
#The format dispatch may use every reader, but no reader may use it.
        with tempfile.TemporaryDirectory() as root:
            write(root, "read/ReadWorkbook.h", "#pragma once\n")
            write(root, "ods/OdsReader.cpp", '#include "engine/read/ReadWorkbook.h"\n')
            self.assertEqual(run_check(root).returncode, 1)

    def test_readers_leave_drawing_to_the_page_writer(self):
#Shapes are model data : the SVG writers and the chart canvas belong to the pages.
        for reader, drawer in (("xls", "chart/SvgCanvas.h"), ("drawingml", "svg/SvgWriter.h"),
                               ("xlsx", "chart/SvgCanvas.h")):
            with tempfile.TemporaryDirectory() as root:
                write(root, drawer, "#pragma once\n")
                write(root, reader + "/Shapes.cpp", '#include "engine/%s"\n' % drawer)
                self.assertEqual(run_check(root).returncode, 1, reader)

    def test_unknown_folder_fails(self):
        with tempfile.TemporaryDirectory() as root:
            write(root, "newthing/A.h", "#pragma once\n")
            result = run_check(root)
            self.assertEqual(result.returncode, 1)
            self.assertIn("engine/newthing/ is missing from the matrix", result.stdout)

    def test_real_tree_passes(self):
        root = os.path.join(os.path.dirname(SCRIPT), "..")
        result = run_check(root)
        self.assertEqual(result.returncode, 0, result.stdout)


if __name__ == "__main__":
    unittest.main()
