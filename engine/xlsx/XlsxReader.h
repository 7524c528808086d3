#pragma once
// Office Open XML workbooks (.xlsx, .xlsm, .xltx, .xltm) in their ZIP package.

#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>

namespace engine::xlsx {

// `bytes` is a ZIP archive. Throws ReadError: NotWorkbook when the package holds no
// spreadsheet workbook part (an OpenDocument file, another Office document, a plain ZIP),
// Damaged for a broken archive or part.
Workbook readPackage(std::span<const std::uint8_t> bytes);

} // namespace engine::xlsx
