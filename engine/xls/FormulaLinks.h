#pragma once
// What the formulas of a BIFF8 workbook point at outside their cells: the sheet table
// (SUPBOOK, EXTERNSHEET), the names of add-ins (EXTERNNAME) and the workbook's own names
// (NAME), read from the globals substream.

#include "engine/formula/tokens/NameLinks.h"
#include "engine/model/Workbook.h"
#include "engine/xls/RecordReader.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace engine::xls {

class FormulaLinks : public formula::tokens::NameLinks {
public:
    void readSupBook(const Record& record);
    void readExternSheet(const Record& record);
    void readExternName(const Record& record);
    void readName(const Record& record);
    // The BOUNDSHEET names, in their order.
    void setSheetNames(std::vector<std::string> names) { sheetNames_ = std::move(names); }

    // The BOUNDSHEET position of entry `index`, or -1 when it is no single sheet of this book.
    int sheetOf(std::uint16_t index) const;

    // The NAME records as defined names; `sheetOfBound` maps a BOUNDSHEET position to the
    // index of its sheet in the workbook.
    std::vector<DefinedName> definedNames(const std::vector<std::size_t>& sheetOfBound) const;

    std::optional<std::string> sheets(std::uint32_t ixti) const override;
    std::optional<std::string> externalName(std::uint32_t ixti, std::uint32_t index) const override;

private:
    std::vector<std::uint16_t> supBookKinds_;           // the cch field of each SUPBOOK
    std::vector<std::vector<std::string>> externNames_; // per SUPBOOK
    std::vector<std::array<std::uint16_t, 3>> entries_; // iSupBook, itabFirst, itabLast
    std::vector<std::string> sheetNames_;
};

} // namespace engine::xls
