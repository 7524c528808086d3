#pragma once
// A BIFF5/7 or BIFF8 workbook stream: the globals substream, then one substream per sheet.

#include "engine/formula/tokens/FormulaCells.h"
#include "engine/model/Workbook.h"
#include "engine/xls/FilePass.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace engine::xls {

// Reads `stream`, the content of a "Workbook" or "Book" stream; `isBookStream` tells a BIFF5
// stream when its BOF does not. An encrypted stream is read from a copy decrypted with the
// default password. Throws ReadError (Encrypted when that password does not open it).
// `text` says whether formulas are decoded when nothing will be computed.
Workbook
readWorkbookStream(std::span<const std::uint8_t> stream, bool isBookStream,
                   formula::tokens::FormulaText text = formula::tokens::FormulaText::WhenComputed);

// The same for a stream the caller owns: an encrypted one is decrypted where it lies, with
// `password`.
Workbook readWorkbookStreamInPlace(
    std::vector<std::uint8_t>& stream, bool isBookStream,
    std::u16string_view password = defaultPassword,
    formula::tokens::FormulaText text = formula::tokens::FormulaText::WhenComputed);

} // namespace engine::xls
