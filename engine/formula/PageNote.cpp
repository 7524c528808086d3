#include "engine/formula/PageNote.h"

namespace engine::formula {

std::string formulaNote(const Workbook& workbook) {
    if (workbook.unknownFunctionCells == 0 && workbook.circularCells == 0)
        return {};
    std::string note = "<!-- formulas:";
    if (workbook.unknownFunctionCells > 0)
        note += " " + std::to_string(workbook.unknownFunctionCells) +
                (workbook.unknownFunctionCells == 1 ? " cell" : " cells") +
                " with functions not computed;";
    if (workbook.circularCells > 0)
        note += " " + std::to_string(workbook.circularCells) +
                (workbook.circularCells == 1 ? " circular reference" : " circular references") +
                " computed as 0;";
    note.back() = ' ';
    return note + "-->\n";
}

} // namespace engine::formula
