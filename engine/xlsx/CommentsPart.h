#pragma once
// The comments part of a worksheet (ECMA-376-1 §18.7): each cell's note with its author.

#include "engine/model/Sheet.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

// Reads comments part `part` into `sheet.comments`, the text of each without its phonetic
// runs. Comments on cells outside the grid, or on a cell that already has one, are left out;
// texts are cut at limits::maxTextBytes. Throws ReadError(Damaged) naming the part for
// malformed XML or more comments than a sheet has cells.
void readComments(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet);

} // namespace engine::xlsx
