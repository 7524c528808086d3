#pragma once
// Writing web output: one worksheet as a page (publishing), or a whole workbook (saving).

#include "engine/model/Workbook.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace engine::web {

// Output could not be written, or the request cannot be honoured; the message is shown to
// the user as it stands.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes worksheet `sheetIndex` (an index into workbook.sheets) to `path`. A path ending in
// .mht or .mhtml (any letter case) gets a single-file web archive; any other a web page, with
// a folder "<page name>_files" beside it only when the page has supporting files. A non-empty
// `title` is the page's title and a heading above the sheet; an empty one makes the sheet's
// name the title, without a heading. An existing file is replaced. Throws WriteError, leaving
// the page and its folder as they were.
void publishSheet(const Workbook& workbook, std::size_t sheetIndex, const std::string& path,
                  const std::string& title);

enum class WorkbookFormat { WebPage, WebArchive };

// Writes every visible worksheet and chart sheet (with its chart) of the workbook as one page (or
// archive) at `path`, with a way to move between the sheets; `title` names the page. An existing
// file is replaced. Throws WriteError.
void saveWorkbook(const Workbook& workbook, const std::string& path, WorkbookFormat format,
                  const std::string& title);

} // namespace engine::web
