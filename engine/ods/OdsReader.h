#pragma once
// Reading OpenDocument spreadsheets: packages (.ods, .ots) and flat XML documents (.fods).

#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>

namespace engine::ods {

// Whether the ZIP archive in `bytes` is an OpenDocument package: its mimetype entry names an
// OpenDocument kind, or it has a manifest and a content part without being an OOXML package.
// False for anything that does not open as a ZIP archive.
bool looksLikePackage(std::span<const std::uint8_t> bytes);

// Whether `bytes` is XML whose root element is an OpenDocument office:document.
bool looksLikeFlatDocument(std::span<const std::uint8_t> bytes);

// Reads an OpenDocument package. Throws ReadError: NotWorkbook for other OpenDocument kinds,
// Encrypted when the manifest says its parts are encrypted, Damaged for broken parts.
Workbook readPackage(std::span<const std::uint8_t> bytes);

// Reads a flat OpenDocument spreadsheet. Throws ReadError like readPackage.
Workbook readFlatDocument(std::span<const std::uint8_t> bytes);

} // namespace engine::ods
