#include "engine/web/Publish.h"

#include "engine/web/OutputFiles.h"

#include <filesystem>

namespace engine::web {
namespace {

void write(const Workbook& workbook, PageContent content, const std::string& path) {
    if (path.empty())
        throw WriteError("No file name was given for the page.");
    if (isArchivePath(path))
        writeArchiveFile(workbook, std::move(content), path);
    else
        writeWebPageFile(workbook, std::move(content), path);
}

} // namespace

void publishSheet(const Workbook& workbook, std::size_t sheetIndex, const std::string& path,
                  const std::string& title) {
    if (sheetIndex >= workbook.sheets.size())
        throw WriteError("The workbook has no sheet number " + std::to_string(sheetIndex + 1) +
                         ".");
    PageContent content;
    content.sheets = {sheetIndex};
    content.heading = !title.empty();
    content.title = title.empty() ? workbook.sheets[sheetIndex].name : title;
    write(workbook, std::move(content), path);
}

void saveWorkbook(const Workbook& workbook, const std::string& path, WorkbookFormat format,
                  const std::string& title) {
    PageContent content;
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        const Sheet& sheet = workbook.sheets[i];
        // Chart sheets have their tab and section like worksheets, holding their chart; one
        // whose chart could not be read would only be an empty tab.
        const bool shown = sheet.kind == SheetKind::Worksheet ||
                           (sheet.kind == SheetKind::Chart && !sheet.charts.empty());
        if (shown && sheet.visibility == Visibility::Visible)
            content.sheets.push_back(i);
    }
    content.sheetTabs = true;
    content.heading = !title.empty();
    content.title = title.empty() ? std::filesystem::path(path).stem().string() : title;
    if (path.empty())
        throw WriteError("No file name was given for the page.");
    if (format == WorkbookFormat::WebArchive)
        writeArchiveFile(workbook, std::move(content), path);
    else
        writeWebPageFile(workbook, std::move(content), path);
}

} // namespace engine::web
