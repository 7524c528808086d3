#pragma once
// A whole HTML document: head, style rules, optional heading and sheet tabs, the sheets.

#include "engine/model/Workbook.h"
#include "engine/web/Sink.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace engine::web {

struct PageContent {
    std::vector<std::size_t> sheets; // indexes into workbook.sheets, in page order
    std::string title;               // the <title>; never empty in practice
    bool heading = false;            // the title is also an <h1> above the sheets
    bool sheetTabs = false;          // links to every sheet above, a heading per sheet
    // The URL of a picture; empty (or no function) leaves the picture out.
    std::function<std::string(std::size_t sheet, std::size_t picture)> pictureSource;
    // The URL of a chart; empty (or no function) draws the chart inline.
    std::function<std::string(std::size_t sheet, std::size_t chart)> chartSource;
};

// Writes the page as a stream to `sink`.
void writePage(Sink& sink, const Workbook& workbook, const PageContent& content);

} // namespace engine::web
