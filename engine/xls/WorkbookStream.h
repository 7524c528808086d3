#pragma once
// A BIFF5/7 or BIFF8 workbook stream: the globals substream, then one substream per sheet.

#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>

namespace engine::xls {

// Reads `stream`, the content of a "Workbook" or "Book" stream; `isBookStream` tells a BIFF5
// stream when its BOF does not. Throws ReadError (Encrypted for a FILEPASS record).
Workbook readWorkbookStream(std::span<const std::uint8_t> stream, bool isBookStream);

} // namespace engine::xls
