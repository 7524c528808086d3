#pragma once
// Formulas in binary workbook parts: the size-prefixed token runs of their records, and what
// their tokens point at outside their cells (the extern-sheet table and the defined names of
// the workbook part).

#include "engine/formula/tokens/NameLinks.h"
#include "engine/model/Workbook.h"
#include "engine/xlsb/RecordStream.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine::xlsb {

struct ParsedFormula {
    std::span<const std::uint8_t> tokens, extra; // empty tokens: none, or sizes past the record
};

// The formula stored from `at` of `body` as a token count, the tokens, an extra-data count and
// the extra data.
ParsedFormula parsedFormula(std::span<const std::uint8_t> body, std::size_t at);

class BinaryLinks : public formula::tokens::NameLinks {
public:
    // Takes the workbook part's supporting-link, extern-sheet and name records; ignores others.
    void record(const Record& record);
    // The sheet names, in the order of the workbook's sheets.
    void setSheetNames(std::vector<std::string> names) { sheetNames_ = std::move(names); }
    std::vector<DefinedName> definedNames() const;

    std::optional<std::string> sheets(std::uint32_t ixti) const override;
    std::optional<std::string> externalName(std::uint32_t ixti, std::uint32_t index) const override;

private:
    enum class Book : std::uint8_t { Self, Other };
    void readName(std::span<const std::uint8_t> body);

    std::vector<Book> books_;
    std::vector<std::array<std::int32_t, 3>> entries_; // book, first sheet, last sheet
    std::vector<std::string> sheetNames_;
};

} // namespace engine::xlsb
