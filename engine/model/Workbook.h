#pragma once
// A whole workbook as the readers produce it and the page writers consume it.

#include "engine/base/DateSystem.h"
#include "engine/base/Limits.h"
#include "engine/model/Cell.h"
#include "engine/model/Sheet.h"
#include "engine/model/Style.h"
#include "engine/model/Table.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace engine {

// A name defined in the workbook: `formula` as the file writes it (without '='), for the whole
// workbook or, when `sheet` is not noSheet, for that sheet only.
struct DefinedName {
    static constexpr std::uint32_t noSheet = 0xFFFFFFFFu;
    std::string name;
    std::string formula;
    std::uint32_t sheet = noSheet; // index into Workbook::sheets
    bool openDocument = false;     // `formula` is in the OpenDocument syntax
};

struct Workbook {
    std::vector<Sheet> sheets; // in workbook order, every kind
    DateSystem dateSystem = DateSystem::Date1900;

    std::vector<RichText> strings; // every text cell's string, shared and inline alike
    std::vector<Font> fonts;       // index 0 is the default font
    std::vector<Fill> fills;
    std::vector<Border> borders;
    std::vector<CellFormat> cellFormats;                // index 0 is the default format
    std::map<std::uint32_t, std::string> numberFormats; // custom format codes by id
    std::vector<DifferentialStyle> differentialStyles;  // the looks conditional formats give
    std::vector<DefinedName> definedNames;
    std::vector<Table> tables;   // of every sheet
    bool fullCalcOnLoad = false; // the file asks that every formula be computed on opening
    // The language the file says its text is in, as it writes it ("en-US"); empty when unknown.
    std::string language;
    // After computing: formula cells whose functions the engine does not know, and cells in a
    // circular reference (computed as 0).
    std::uint32_t unknownFunctionCells = 0;
    std::uint32_t circularCells = 0;

    // Called by every reader when it is done, so that the writers may trust the model: the
    // tables above are made non-empty, every index held by a cell, run or format is brought in
    // range (falling back to 0; a text cell with a bad string index becomes blank), and each
    // sheet's cells are sorted by row and column with the last of two at one position kept.
    void finish();

    // Appends `text` to `strings` and gives its index; throws ReadError(Damaged) once the table
    // holds limits::maxStrings. Inline: readers call it for every text cell.
    std::uint32_t addString(RichText text) {
        if (strings.size() >= limits::maxStrings) [[unlikely]]
            tooManyStrings();
        strings.push_back(std::move(text));
        return static_cast<std::uint32_t>(strings.size() - 1);
    }

private:
    [[noreturn]] static void tooManyStrings();
};

} // namespace engine
