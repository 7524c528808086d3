#pragma once
// The defined names of a binary workbook as its name records list them, for the link tables of
// both binary formats: tokens count names by the position of their record.

#include "engine/formula/tokens/TokenDecoder.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace engine::formula::tokens {

class NameLinks : public Links {
public:
    std::optional<std::string> name(std::uint32_t index) const override;

protected:
    struct StoredName {
        std::string name;        // empty: a record that keeps its place but names nothing
        std::uint32_t sheet = 0; // the record's sheet field, as the format writes it
        std::vector<std::uint8_t> tokens, extra;
    };

    // The stored names with a formula that decodes, as defined names; `sheetOf` turns a sheet
    // field into the index of a workbook sheet, or DefinedName::noSheet for the whole workbook.
    std::vector<DefinedName>
    decodeNames(Dialect dialect, const std::function<std::uint32_t(std::uint32_t)>& sheetOf) const;

    std::vector<StoredName> names_; // every record, in order
};

} // namespace engine::formula::tokens
