// Computing formulas: 100,000 formula cells without results (sums over ranges, exact
// lookups in a 10,000-row table, IF, text functions), parsed and computed; and reading a
// workbook whose formulas all have results, against the same workbook without formulas.

#include "engine/formula/Calculator.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

constexpr std::uint32_t tableRows = 10'000;
constexpr std::uint32_t formulaRows = 25'000; // four formulas a row

// With `lookups` false the lookup column sums instead: what the lookups themselves cost.
engine::Workbook mixedBook(bool lookups) {
    engine::Workbook book;
    engine::Sheet& sheet = book.sheets.emplace_back();
    sheet.name = "Data";
    book.strings.push_back({"label", {}});
    const auto number = [&](std::uint32_t row, std::uint16_t col, double value) {
        engine::Cell cell;
        cell.row = row;
        cell.col = col;
        cell.type = engine::CellType::Number;
        cell.number = value;
        sheet.cells.push_back(cell);
    };
    const auto formula = [&](std::uint32_t row, std::uint16_t col, std::string text) {
        engine::Cell cell;
        cell.row = row;
        cell.col = col;
        cell.isFormula = true;
        sheet.cells.push_back(cell);
        engine::CellFormula f;
        f.row = row;
        f.col = col;
        f.text = std::move(text);
        sheet.formulas.push_back(std::move(f));
    };
    for (std::uint32_t r = 0; r < formulaRows; ++r) {
        const std::string row = std::to_string(r + 1);
        if (r < tableRows) {
            number(r, 0, r);       // A: lookup keys
            number(r, 1, r * 0.5); // B: looked-up values
        }
        number(r, 2, (r * 37) % 100);       // C
        number(r, 3, (r * 11) % tableRows); // D: a key to look up
        formula(r, 4, "SUM(C" + row + ":D" + std::to_string(r + 10) + ")");
        formula(r, 5,
                lookups ? "VLOOKUP(D" + row + ",$A$1:$B$10000,2,FALSE)" : "SUM(D" + row + ")");
        formula(r, 6, "IF(C" + row + ">50,\"big\",\"small\")");
        formula(r, 7, "LEN(UPPER(G" + row + ")&\"-\"&C" + row + ")");
    }
    book.finish();
    return book;
}

void ParseAndCompute100kFormulas(benchmark::State& state) {
    const engine::Workbook original = mixedBook(state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        engine::Workbook book = original;
        state.ResumeTiming();
        engine::formula::CalcOptions options;
        options.now = 45000;
        engine::formula::computeFormulas(book, options);
        benchmark::DoNotOptimize(book.sheets[0].cells.data());
    }
    state.counters["formulas"] = formulaRows * 4.0;
}
BENCHMARK(ParseAndCompute100kFormulas)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// 100,000 rows of a number and a formula with its result; without formulas, the same values.
std::vector<std::uint8_t> storedResults(bool withFormulas) {
    std::string sheet = "<sheetData>";
    for (int r = 1; r <= 100'000; ++r) {
        const std::string row = std::to_string(r);
        sheet += "<row r=\"" + row + "\"><c r=\"A" + row + "\"><v>" + row + "</v></c><c r=\"B" +
                 row + "\">";
        if (withFormulas)
            sheet += "<f>A" + row + "*2+SUM(A1:A" + row + ")</f>";
        sheet += "<v>" + std::to_string(r * 2) + "</v></c></row>";
    }
    sheet += "</sheetData>";
    return testing_support::minimalWorkbook({sheet}).bytes();
}

// 0: no formulas; 1: formulas with results; 2: the same, read without the computing step.
void ReadStoredResults(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = storedResults(state.range(0) != 0);
    for (auto _ : state) {
        engine::Workbook book = state.range(0) == 2 ? engine::xlsx::readPackage(bytes)
                                                    : engine::readWorkbookBytes(bytes);
        benchmark::DoNotOptimize(book.sheets.data());
    }
}
BENCHMARK(ReadStoredResults)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
