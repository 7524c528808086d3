// Tables and dynamic arrays: a 10,000-row table with three calculated columns and a total row
// computed from its structured references, and SORT, UNIQUE, TRIMRANGE and RANDARRAY spilling
// 100,000 values, and GROUPBY and PIVOTBY summing 100,000 rows.

#include "engine/formula/Calculator.h"
#include "engine/model/Workbook.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

struct Builder {
    engine::Workbook book;
    engine::Sheet* sheet;

    Builder() : sheet(&book.sheets.emplace_back()) { sheet->name = "Data"; }

    void number(std::uint32_t row, std::uint16_t col, double value) {
        engine::Cell cell;
        cell.row = row;
        cell.col = col;
        cell.type = engine::CellType::Number;
        cell.number = value;
        sheet->cells.push_back(cell);
    }
    engine::CellFormula& formula(std::uint32_t row, std::uint16_t col, std::string text) {
        engine::Cell cell;
        cell.row = row;
        cell.col = col;
        cell.isFormula = true;
        sheet->cells.push_back(cell);
        engine::CellFormula& f = sheet->formulas.emplace_back();
        f.row = row;
        f.col = col;
        f.text = std::move(text);
        return f;
    }
};

constexpr std::uint32_t tableRows = 10'000;

// Sales over A1:E10002: Amount and Rate given, Commission, Net and Share calculated, a total row.
engine::Workbook tableBook() {
    Builder b;
    b.book.strings.push_back({"h", {}});
    for (std::uint32_t r = 1; r <= tableRows; ++r) {
        b.number(r, 0, (r * 37) % 1000);
        b.number(r, 1, 0.01 * (r % 7));
        b.formula(r, 2, "Sales[[#This Row],[Amount]]*Sales[[#This Row],[Rate]]");
        b.formula(r, 3, "[@Amount]-[@Commission]");
        b.formula(r, 4, "[@Net]/Sales[[#Totals],[Commission]]");
    }
    b.formula(tableRows + 1, 2, "SUBTOTAL(109,[Commission])");
    engine::Table table;
    table.name = "Sales";
    table.range = {0, tableRows + 1, 0, 4};
    table.totalsRows = 1;
    table.columns = {"Amount", "Rate", "Commission", "Net", "Share"};
    b.book.tables.push_back(table);
    b.book.finish();
    return b.book;
}

// Computes a fresh copy of `original` in each iteration; the copying is not timed.
void computeCopies(benchmark::State& state, const engine::Workbook& original) {
    for (auto _ : state) {
        state.PauseTiming();
        engine::Workbook book = original;
        state.ResumeTiming();
        engine::formula::computeFormulas(book);
        benchmark::DoNotOptimize(book.sheets[0].cells.data());
    }
}

void BM_TableWithCalculatedColumns(benchmark::State& state) {
    computeCopies(state, tableBook());
}
BENCHMARK(BM_TableWithCalculatedColumns)->Unit(benchmark::kMillisecond);

constexpr std::uint32_t values = 100'000;

// 100,000 numbers in A, and one dynamic array formula in C1 spilling over them.
engine::Workbook spillBook(const std::string& formula) {
    Builder b;
    for (std::uint32_t r = 0; r < values; ++r) {
        b.number(r, 0, (r * 7919) % 50'000);
        if (r == 0)
            b.formula(0, 2, formula);
    }
    engine::CellFormula& f = b.sheet->formulas.back();
    f.array = f.dynamic = true;
    f.arrayRange = {0, 0, 2, 2};
    b.book.finish();
    return b.book;
}

void spill(benchmark::State& state, const std::string& formula) {
    computeCopies(state, spillBook(formula));
}

void BM_SortSpill(benchmark::State& state) {
    spill(state, "SORT(A1:A100000)");
}
BENCHMARK(BM_SortSpill)->Unit(benchmark::kMillisecond);

void BM_UniqueSpill(benchmark::State& state) {
    spill(state, "UNIQUE(A1:A100000)");
}
BENCHMARK(BM_UniqueSpill)->Unit(benchmark::kMillisecond);

// A whole column trimmed to the 100,000 values it holds: its edges cost what the sheet holds.
void BM_TrimRangeWholeColumn(benchmark::State& state) {
    spill(state, "TRIMRANGE(A:A)");
}
BENCHMARK(BM_TrimRangeWholeColumn)->Unit(benchmark::kMillisecond);

void BM_RandArraySpill(benchmark::State& state) {
    spill(state, "RANDARRAY(100000,1,1,9,TRUE)");
}
BENCHMARK(BM_RandArraySpill)->Unit(benchmark::kMillisecond);

// 100,000 rows of a key in A (`groups` of them), a year in B (ten of them) and an amount in C,
// summarised by one dynamic array formula in E1.
engine::Workbook groupBook(std::uint32_t groups, const std::string& formula) {
    Builder b;
    for (std::uint32_t r = 0; r < values; ++r) {
        b.number(r, 0, (r * 7919) % groups);
        b.number(r, 1, 2000 + r % 10);
        b.number(r, 2, r % 1000);
    }
    engine::CellFormula& f = b.formula(0, 4, formula);
    f.array = f.dynamic = true;
    f.arrayRange = {0, 0, 4, 4};
    b.book.finish();
    return b.book;
}

void summarise(benchmark::State& state, std::uint32_t groups, const std::string& formula) {
    computeCopies(state, groupBook(groups, formula));
}

void BM_GroupBy100Groups(benchmark::State& state) {
    summarise(state, 100, "GROUPBY(A1:A100000,C1:C100000,_xleta.SUM)");
}
BENCHMARK(BM_GroupBy100Groups)->Unit(benchmark::kMillisecond);

// Every group a LAMBDA call of its own: the cost of the calls, not of the grouping.
void BM_GroupBy50000Groups(benchmark::State& state) {
    summarise(state, 50'000, "GROUPBY(A1:A100000,C1:C100000,LAMBDA(x,SUM(x)))");
}
BENCHMARK(BM_GroupBy50000Groups)->Unit(benchmark::kMillisecond);

void BM_PivotBy100By10(benchmark::State& state) {
    summarise(state, 100, "PIVOTBY(A1:A100000,B1:B100000,C1:C100000,_xleta.SUM)");
}
BENCHMARK(BM_PivotBy100By10)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
