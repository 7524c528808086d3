// Computes arbitrary formula text over a small built workbook: every function the parser can
// name is reachable, with numbers, texts, booleans, errors and blanks to read, and formulas
// that refer to each other, on a second sheet too.

#include "engine/formula/Calculator.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <string>

namespace {

void put(engine::Workbook& book, engine::Sheet& sheet, std::uint32_t row, std::uint16_t col,
         engine::CellType type, double number) {
    engine::Cell cell;
    cell.row = row;
    cell.col = col;
    cell.type = type;
    if (type == engine::CellType::Text)
        cell.text = book.addString({number < 0 ? "-x*" : "Apple", {}});
    else if (type == engine::CellType::Boolean)
        cell.boolean = number != 0;
    else if (type == engine::CellType::Error)
        cell.error = engine::CellError::NA;
    else
        cell.number = number;
    sheet.cells.push_back(cell);
}

void addFormula(engine::Sheet& sheet, std::uint32_t row, std::uint16_t col, std::string text) {
    engine::CellFormula formula;
    formula.row = row;
    formula.col = col;
    formula.text = std::move(text);
    sheet.formulas.push_back(std::move(formula));
    engine::Cell cell;
    cell.row = row;
    cell.col = col;
    cell.isFormula = true;
    sheet.cells.push_back(cell);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    engine::Workbook book;
    book.fullCalcOnLoad = true;
    for (const char* name : {"Sheet1", "Data"}) {
        engine::Sheet& sheet = book.sheets.emplace_back();
        sheet.name = name;
        // A1:D4 holds one of each kind of value; E1 and E2 are the formula under test, E2 a
        // second time in an array formula over E2:F3; G1 refers to E1.
        for (std::uint32_t row = 0; row < 4; ++row) {
            put(book, sheet, row, 0, engine::CellType::Number, row * 1.5 - 1);
            put(book, sheet, row, 1, engine::CellType::Text, row % 2 ? 1 : -1);
            put(book, sheet, row, 2, row % 2 ? engine::CellType::Boolean : engine::CellType::Error,
                row);
            put(book, sheet, row, 3, engine::CellType::Number, 40000 + row * 45.25);
        }
        addFormula(sheet, 0, 4, text);
        addFormula(sheet, 1, 4, text);
        sheet.formulas.back().array = true;
        sheet.formulas.back().arrayRange = {1, 2, 4, 5};
        addFormula(sheet, 0, 6, "E1*2+SUM(E1:F3)");
    }
    book.finish();
    engine::formula::CalcOptions options;
    options.now = 45000.5;
    options.workBudget = 2'000'000;
    engine::formula::computeFormulas(book, options);
    return 0;
}
