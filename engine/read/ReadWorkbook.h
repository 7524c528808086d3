#pragma once
// Reading a workbook file of any supported format into the model.

#include "engine/base/ReadError.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>
#include <string>

namespace engine {

// Reads the workbook at `path`, recognising its format by content, never by its name.
// Throws ReadError. Never executes or follows anything the file contains.
Workbook readWorkbook(const std::string& path);

// The same for a file already in memory (used by the fuzz targets).
Workbook readWorkbookBytes(std::span<const std::uint8_t> bytes);

} // namespace engine
