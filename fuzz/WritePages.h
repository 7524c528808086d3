#pragma once
// Shared by the reader fuzz targets: whatever a reader accepts, the page writer must turn into a
// page without crashing and without letting any of the file's text through unescaped.

#include "engine/model/Workbook.h"
#include "engine/web/PageWriter.h"
#include "engine/web/Sink.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace fuzzing {

inline bool containsIgnoringCase(const std::string& text, const std::string& needle) {
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           }) != text.end();
}

// Every worksheet as a page of its own, then all of them on one page with tabs.
inline void writePages(const engine::Workbook& workbook) {
    engine::web::PageContent whole;
    whole.title = "book";
    whole.sheetTabs = true;
    for (std::size_t i = 0; i < workbook.sheets.size() && i < 16; ++i) {
        if (workbook.sheets[i].kind != engine::SheetKind::Worksheet)
            continue;
        whole.sheets.push_back(i);
        engine::web::PageContent one;
        one.sheets = {i};
        one.title = workbook.sheets[i].name;
        one.heading = true;
        one.pictureSource = [](std::size_t, std::size_t) { return std::string("p.png"); };
        engine::web::StringSink sink;
        engine::web::writePage(sink, workbook, one);
        // The writer itself writes no script; any here came from the file unescaped.
        if (containsIgnoringCase(sink.text(), "<script") ||
            containsIgnoringCase(sink.text(), "javascript:"))
            std::abort();
    }
    engine::web::StringSink sink;
    engine::web::writePage(sink, workbook, whole);
}

} // namespace fuzzing
