// Every formula of the corpus's binary workbooks, decoded from its tokens and computed from
// scratch, against the result the application stored.

#include "engine/base/ReadError.h"
#include "engine/formula/Calculator.h"
#include "engine/xls/XlsReader.h"
#include "engine/xlsb/XlsbReader.h"
#include "tests/support/CorpusTables.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace engine;

namespace {

const Cell* cellAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    const auto found =
        std::lower_bound(sheet.cells.begin(), sheet.cells.end(), std::pair(row, col),
                         [](const Cell& c, const std::pair<std::uint32_t, std::uint16_t>& at) {
                             return c.row != at.first ? c.row < at.first : c.col < at.second;
                         });
    return found != sheet.cells.end() && found->row == row && found->col == col ? &*found : nullptr;
}

std::string shown(const Workbook& book, const Cell* cell) {
    if (!cell)
        return "(none)";
    switch (cell->type) {
    case CellType::Number: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15g", cell->number);
        return buffer;
    }
    case CellType::Text:
        return '"' + book.strings.at(cell->text).text + '"';
    case CellType::Boolean:
        return cell->boolean ? "TRUE" : "FALSE";
    case CellType::Error:
        return errorText(cell->error);
    case CellType::Empty:
        return "\"\"";
    }
    return "?";
}

bool agree(const Workbook& a, const Cell* x, const Workbook& b, const Cell* y) {
    if (!x || !y)
        return !x && !y;
    if (x->type == CellType::Number && y->type == CellType::Number)
        return std::abs(x->number - y->number) <= 1e-9 * std::max(1.0, std::abs(x->number));
    return shown(a, x) == shown(b, y);
}

bool mentionsVolatile(const std::string& text) {
    for (const char* word : {"RAND", "TODAY", "NOW", "INFO", "CELL"})
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

// The text a formula is computed from: its own, or its shared group's.
const std::string& textOf(const Sheet& sheet, const CellFormula& f) {
    if (f.text.empty() && f.sharedIndex != CellFormula::noShare)
        for (const CellFormula& other : sheet.formulas)
            if (other.sharedIndex == f.sharedIndex && !other.text.empty())
                return other.text;
    return f.text;
}

struct Tally {
    std::size_t formulaCells = 0, decoded = 0, compared = 0, agreed = 0, following = 0;
};

TEST(BinaryFormulaCorpus, ComputedValuesAgreeWithStoredResults) {
    Tally total;
    std::size_t printed = 0;
    for (const auto& row : testing_support::readCorpusTable("manifest.tsv")) {
        if (row.size() < 3 || row[2] != "ok")
            continue;
        const std::string& file = row[0];
        const bool xls = row[1] == "xls-biff8";
        const bool xlsb = file.size() > 5 && file.substr(file.size() - 5) == ".xlsb";
        if (!xls && !xlsb)
            continue;
        std::ifstream in(testing_support::corpusFile(file), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        Workbook stored;
        try {
            const auto all = formula::tokens::FormulaText::Always;
            stored = xls ? xls::readCompoundFile(bytes, all) : xlsb::readBinaryPackage(bytes, all);
        } catch (const ReadError& e) {
            ADD_FAILURE() << file << ": " << e.what();
            continue;
        }
        // Nothing kept: every formula is computed from its decoded text alone.
        Workbook computed = stored;
        for (Sheet& sheet : computed.sheets) {
            for (CellFormula& f : sheet.formulas)
                f.hasResult = false;
            // A result left over would pass for a computed one.
            for (Cell& cell : sheet.cells)
                if (cell.isFormula) {
                    cell.type = CellType::Number;
                    cell.number = -12345.678;
                }
        }
        formula::CalcOptions options;
        options.now = 45000;
        formula::computeFormulas(computed, options);

        Tally here;
        for (std::size_t s = 0; s < stored.sheets.size(); ++s) {
            const Sheet& sheet = stored.sheets[s];
            for (const Cell& cell : sheet.cells)
                if (cell.isFormula)
                    ++here.formulaCells;
            for (const CellFormula& f : sheet.formulas) {
                const std::size_t cells =
                    f.array ? std::size_t(f.arrayRange.lastRow - f.arrayRange.firstRow + 1) *
                                  (f.arrayRange.lastCol - f.arrayRange.firstCol + 1)
                            : 1;
                here.decoded += cells;
                here.following += f.text.empty() ? 1 : 0;
                const std::string& text = textOf(sheet, f);
                if (mentionsVolatile(text))
                    continue;
                const Cell* before = cellAt(sheet, f.row, f.col);
                const Cell* after = cellAt(computed.sheets[s], f.row, f.col);
                ++here.compared;
                if (agree(stored, before, computed, after)) {
                    ++here.agreed;
                } else if (printed++ < 300) {
                    // Listed for whoever looks into a disagreement.
                    std::printf("DIFF %s %s!R%uC%u =%s stored %s computed %s\n", file.c_str(),
                                sheet.name.c_str(), f.row + 1, f.col + 1, text.c_str(),
                                shown(stored, before).c_str(), shown(computed, after).c_str());
                }
            }
        }
        if (here.formulaCells > 0)
            std::printf("FILE %s: %zu formula cells, %zu decoded, %zu of %zu agree\n", file.c_str(),
                        here.formulaCells, here.decoded, here.agreed, here.compared);
        total.formulaCells += here.formulaCells;
        total.decoded += here.decoded;
        total.compared += here.compared;
        total.agreed += here.agreed;
        total.following += here.following;
    }
    std::printf("TOTAL %zu formula cells, %zu decoded (%zu following a shared formula's text), "
                "%zu of %zu agree\n",
                total.formulaCells, total.decoded, total.following, total.agreed, total.compared);
    ASSERT_GT(total.compared, 0u);
    // At the time of writing: 824 of 825 decoded (a name whose tokens this decoder does not
    // follow), and every computed one agreeing.
    EXPECT_GE(double(total.decoded) / double(total.formulaCells), 0.99);
    EXPECT_GE(double(total.agreed) / double(total.compared), 0.99);
}

} // namespace
