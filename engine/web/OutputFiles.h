#pragma once
// Puts a page on disk: as a web page with its supporting-files folder, or as one archive.

#include "engine/model/Workbook.h"
#include "engine/web/PageWriter.h"

#include <string>

namespace engine::web {

// True for a path ending in .mht or .mhtml (any letter case).
bool isArchivePath(const std::string& path);

// Writes the page at `path`; its pictures go to "<stem>_files/" beside it, a folder made only
// when there are pictures. Throws WriteError, leaving the page and its folder as they were.
void writeWebPageFile(const Workbook& workbook, PageContent content, const std::string& path);

// Writes the page and its pictures as one MHTML file at `path`. Throws WriteError.
void writeArchiveFile(const Workbook& workbook, PageContent content, const std::string& path);

} // namespace engine::web
