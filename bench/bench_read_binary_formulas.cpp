// What formula cells cost a binary workbook's reading: the same sheet of 100,000 formulas
// (and 100,000 numbers) read with tokens the reader skips (a data-table mark, padded to the
// same record sizes), as a workbook with stored results is read, and with every formula
// decoded. Then two columns of 100,000 cells sharing one formula in groups of 64 rows, the
// way the application saves a filled-down block, decoded, and read with a volatile cell that
// makes every formula's references looked at. Also the decoding of tokens on its own, for
// both formats.

#include "engine/formula/Calculator.h"
#include "engine/formula/tokens/TokenDecoder.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xls/XlsReader.h"
#include "tests/engine/cfb/CompoundFileBuilder.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

using testing_support::BiffWriter;
using testing_support::Bytes;

constexpr std::uint32_t rows = 100'000;

// The tokens of row r's formula in column B: a mix of arithmetic, SUM over a range, IF and text.
Bytes formulaTokens(std::uint32_t r, bool biff8 = true) {
    const auto row = [&](Bytes& b, std::uint32_t v) { biff8 ? b.u16(v) : b.u32(v); };
    Bytes t;
    switch (r % 4) {
    case 0: // A{r}*2+1
        t.u8(0x44);
        row(t, r);
        t.u16(0xC000).u8(0x1E).u16(2).u8(0x05).u8(0x1E).u16(1).u8(0x03);
        break;
    case 1: // SUM($A$1:A{r})
        t.u8(0x25);
        row(t, 0);
        row(t, r);
        t.u16(0).u16(0x8000).u8(0x19).u8(0x10).u16(0);
        break;
    case 2: // IF(A{r}>10,1,2)
        t.u8(0x44);
        row(t, r);
        t.u16(0xC000).u8(0x1E).u16(10).u8(0x0D).u8(0x19).u8(0x02).u16(7);
        t.u8(0x1E).u16(1).u8(0x19).u8(0x08).u16(7).u8(0x1E).u16(2).u8(0x19).u8(0x08).u16(3);
        t.u8(0x42).u8(3).u16(1);
        break;
    default: // LEN(TEXT(A{r},"0.00"))
        t.u8(0x44);
        row(t, r);
        t.u16(0xC000).u8(0x17).u8(4).u8(0).chars("0.00").u8(0x41).u16(48).u8(0x41).u16(32);
        break;
    }
    return t;
}

constexpr std::uint32_t groupRows = 64;

// B and C of rows r..r+63 share =A{r}*2+1 (a PtgRefN one column to the left, so C reads B);
// the cells hold pointers at the group's first cell. 50,000 rows of two columns stay inside
// the format's 65,536 rows. With `today`, D1 holds =TODAY(), marked volatile.
void writeSharedColumns(BiffWriter& w, bool today) {
    constexpr std::uint32_t sharedRows = rows / 2;
    const auto pointer = [&](std::uint32_t r, std::uint32_t col, std::uint32_t anchor) {
        w.record(0x0006, Bytes()
                             .u16(r)
                             .u16(col)
                             .u16(0)
                             .f64(r + 1.0)
                             .u16(0)
                             .u32(0)
                             .u16(5)
                             .u8(0x01)
                             .u16(anchor)
                             .u16(1));
    };
    for (std::uint32_t r = 0; r < sharedRows; ++r) {
        const std::uint32_t anchor = r - r % groupRows;
        w.record(0x0203, Bytes().u16(r).u16(0).u16(0).f64(r * 0.5));
        pointer(r, 1, anchor);
        if (r == anchor) {
            const std::uint32_t last = std::min(sharedRows, anchor + groupRows) - 1;
            w.record(0x04BC, Bytes()
                                 .u16(anchor)
                                 .u16(last)
                                 .u8(1)
                                 .u8(2)
                                 .u8(0)
                                 .u8(static_cast<std::uint8_t>(2 * (last - anchor + 1)))
                                 .u16(13)
                                 .u8(0x4C)
                                 .u16(0)
                                 .u16(0xC0FF)
                                 .u8(0x1E)
                                 .u16(2)
                                 .u8(0x05)
                                 .u8(0x1E)
                                 .u16(1)
                                 .u8(0x03));
        }
        pointer(r, 2, anchor);
        if (today && r == 0)
            w.record(0x0006, Bytes()
                                 .u16(0)
                                 .u16(3)
                                 .u16(0)
                                 .f64(0)
                                 .u16(0)
                                 .u32(0)
                                 .u16(7)
                                 .u8(0x19)
                                 .u8(0x01)
                                 .u16(0)
                                 .u8(0x41)
                                 .u16(221));
    }
}

enum class Sheet { Skipped, Decodable, Shared, SharedWithToday };

std::vector<std::uint8_t> makeWorkbook(Sheet kind) {
    const bool decodable = kind != Sheet::Skipped;
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t positionField = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Formulas"));
    w.eof();
    w.patch32(positionField, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    if (kind == Sheet::Shared || kind == Sheet::SharedWithToday)
        writeSharedColumns(w, kind == Sheet::SharedWithToday);
    const std::uint32_t ownRows = kind == Sheet::Skipped || kind == Sheet::Decodable ? rows : 0;
    for (std::uint32_t r = 0; r < ownRows; ++r) {
        w.record(0x0203, Bytes().u16(r).u16(0).u16(0).f64(r * 0.5));
        const Bytes tokens = formulaTokens(r);
        Bytes body;
        body.u16(r).u16(1).u16(0).f64(r * 1.5).u16(0).u32(0);
        if (decodable) {
            body.u16(static_cast<std::uint32_t>(tokens.size()));
            body.data.insert(body.data.end(), tokens.data.begin(), tokens.data.end());
        } else {
            body.u16(5).u8(0x02).u16(r).u16(1);
            body.data.resize(body.data.size() + tokens.size() - 5);
        }
        w.record(0x0006, body);
    }
    w.eof();
    testing_support::CompoundFileBuilder file;
    file.addStream("Workbook", std::move(w.bytes));
    return file.build();
}

// 0: tokens the reader skips (the cost before formulas were read); 1: the formulas as a
// workbook with stored results is read; 2: the same with every formula's text built, as a
// workbook that asks for a full calculation has it; 3: the shared columns with every formula's
// text; 4: the shared columns read with their volatile cell. (The first three write 100,000
// rows into a grid of 65,536: their rows wrap, and the reader sorts what it gets.)
void BM_ReadXlsFormulaCells(benchmark::State& state) {
    const int variant = static_cast<int>(state.range(0));
    constexpr Sheet kinds[] = {Sheet::Skipped, Sheet::Decodable, Sheet::Decodable, Sheet::Shared,
                               Sheet::SharedWithToday};
    const std::vector<std::uint8_t> bytes = makeWorkbook(kinds[variant]);
    for (auto _ : state) {
        if (variant == 2 || variant == 3) {
            engine::Workbook book =
                engine::xls::readCompoundFile(bytes, engine::formula::tokens::FormulaText::Always);
            engine::formula::computeFormulas(book);
            if (book.sheets.front().formulas.size() != rows)
                state.SkipWithError("formulas were not decoded");
            benchmark::DoNotOptimize(book.sheets.front().formulas.size());
        } else {
            const engine::Workbook book = engine::readWorkbookBytes(bytes);
            benchmark::DoNotOptimize(book.sheets.front().cells.size());
        }
    }
    constexpr const char* labels[] = {"tokens skipped (as before)", "stored results",
                                      "every formula decoded", "shared columns decoded",
                                      "shared columns with a volatile cell"};
    state.SetLabel(labels[variant]);
}
BENCHMARK(BM_ReadXlsFormulaCells)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_DecodeTokens(benchmark::State& state) {
    const bool biff8 = state.range(0) != 0;
    std::vector<Bytes> streams;
    for (std::uint32_t r = 0; r < 1000; ++r)
        streams.push_back(formulaTokens(r, biff8));
    engine::formula::tokens::DecodeContext context;
    context.dialect =
        biff8 ? engine::formula::tokens::Dialect::Biff8 : engine::formula::tokens::Dialect::Biff12;
    for (auto _ : state)
        for (const Bytes& s : streams)
            benchmark::DoNotOptimize(engine::formula::tokens::decodeTokens(s.data, {}, context));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(streams.size()));
    state.SetLabel(biff8 ? ".xls tokens" : ".xlsb tokens");
}
BENCHMARK(BM_DecodeTokens)->Arg(1)->Arg(0);

} // namespace

BENCHMARK_MAIN();
