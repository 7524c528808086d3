#pragma once
// Workbooks built in code for the writer's tests.

#include "engine/model/Workbook.h"

#include <string>

namespace web_samples {

// Adds a string to the workbook's table and returns a text cell holding it.
engine::Cell textCell(engine::Workbook& workbook, std::uint32_t row, std::uint16_t col,
                      const std::string& text, std::uint32_t format = 0);
engine::Cell numberCell(std::uint32_t row, std::uint16_t col, double value,
                        std::uint32_t format = 0);

// One sheet "Data" of plain values: A1 "Name", B1 "Value", A2 "x", B2 1.5.
engine::Workbook plainWorkbook();

// Three sheets ("Summary", a hidden "Secret", a chart sheet "Chart", "Q&A <2>") with fonts,
// fills, borders, a merge, hidden row and column, a coloured number format, hyperlinks
// (safe and unsafe), rich text and a picture; finished.
engine::Workbook styledWorkbook();

// One right-to-left sheet "Notes" with comments (on a value, on an empty cell, one with markup
// and line breaks), an Accounting format with its repeated fill, Arabic-Indic digits and a
// justified text; and a plain sheet "Wide" whose default font is Calibri 12; finished.
engine::Workbook annotatedWorkbook();

} // namespace web_samples
