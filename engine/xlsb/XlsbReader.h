#pragma once
// Reading a binary workbook package (.xlsb): OOXML parts whose workbook, sheets, styles and
// strings are records rather than XML.

#include "engine/formula/tokens/FormulaCells.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>

namespace engine::xlsb {

// Whether the ZIP package in `bytes` is a binary workbook: its main part, found through the
// package relationships (or in its usual place when they are missing), is a ".bin" part.
// Never throws; a package that cannot be opened is not one.
bool isBinaryPackage(std::span<const std::uint8_t> bytes);

// Reads the binary workbook package in `bytes`. Throws ReadError: NotWorkbook for a package
// without a binary workbook part, Encrypted for encrypted entries, Damaged for anything broken
// or over a limit.
// `text` says whether formulas are decoded when nothing will be computed.
Workbook
readBinaryPackage(std::span<const std::uint8_t> bytes,
                  formula::tokens::FormulaText text = formula::tokens::FormulaText::WhenComputed);

} // namespace engine::xlsb
