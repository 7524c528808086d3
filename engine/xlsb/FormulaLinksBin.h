#pragma once
// Formulas in binary workbook parts: the size-prefixed token runs of their records, and what
// their tokens point at outside their cells (the extern-sheet table and the defined names of
// the workbook part).

#include "engine/formula/tokens/NameLinks.h"
#include "engine/model/Workbook.h"
#include "engine/xlsb/RecordStream.h"

#include <array>
#include <cstdint>
#include <map>
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
    // Table `id` of the table parts, for the list tokens; the first of two with one number stays.
    void addTable(std::uint32_t id, formula::tokens::TableLink table) {
        tables_.try_emplace(id, std::move(table));
    }

    std::optional<std::string> sheets(std::uint32_t ixti) const override;
    std::optional<std::string> externalName(std::uint32_t ixti, std::uint32_t index) const override;
    const formula::tokens::TableLink* table(std::uint32_t id) const override {
        const auto found = tables_.find(id);
        return found == tables_.end() ? nullptr : &found->second;
    }

private:
    enum class Book : std::uint8_t { Self, Other };
    void readName(std::span<const std::uint8_t> body);

    std::vector<Book> books_;
    std::vector<std::array<std::int32_t, 3>> entries_; // book, first sheet, last sheet
    std::vector<std::string> sheetNames_;
    std::map<std::uint32_t, formula::tokens::TableLink> tables_;
};

} // namespace engine::xlsb
