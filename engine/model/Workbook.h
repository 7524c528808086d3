#pragma once
// A whole workbook as the readers produce it and the page writers consume it.

#include "engine/model/Cell.h"
#include "engine/model/Sheet.h"
#include "engine/model/Style.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace engine {

enum class DateSystem : std::uint8_t { Date1900, Date1904 };

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

    // Called by every reader when it is done, so that the writers may trust the model: the
    // tables above are made non-empty, every index held by a cell, run or format is brought in
    // range (falling back to 0; a text cell with a bad string index becomes blank), and each
    // sheet's cells are sorted by row and column with the last of two at one position kept.
    void finish();
};

} // namespace engine
