#pragma once
// The notes of a binary worksheet: its binary comments part, and the threaded conversations
// (XML parts, as in the XML packages) that replace them.

#include "engine/model/Sheet.h"
#include "engine/package/ThreadedCommentsPart.h"

#include <span>
#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

// Appends the notes of the records of a binary comments part to `sheet.comments`. A note on a
// cell outside the grid, or on a cell that already has one, is left out; texts are cut at
// limits::maxTextBytes. Throws ReadError(Damaged) naming `partName` for a malformed record or
// more notes than a sheet may have hyperlinks; the notes before it are kept.
void parseCommentsBin(std::span<const std::uint8_t> records, const std::string& partName,
                      Sheet& sheet);

// The notes of worksheet part `sheetPart`, through its relationships: the binary comments
// part, then the threaded conversations over them (their authors named by `persons`). A
// damaged part keeps the notes read before the damage instead of failing the workbook.
void readSheetComments(const zip::ZipArchive& archive, const std::string& sheetPart,
                       const package::Persons& persons, Sheet& sheet);

} // namespace engine::xlsb
