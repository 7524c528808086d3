// Writing a sparse sheet as a web page: a value in A1 and one a million rows down, with a
// picture and a row of its own height between them. The empty rows between are one row of
// their summed height, so the page stays small and quick however far down the last value is.

#include "engine/web/PageWriter.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace engine;

namespace {

Workbook sparseSheet(std::uint32_t lastRow) {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "Sparse";
    for (std::uint32_t row : {0u, lastRow}) {
        Cell cell;
        cell.row = row;
        cell.type = CellType::Number;
        cell.number = row;
        sheet.cells.push_back(cell);
    }
    RowInfo tall;
    tall.row = lastRow / 3;
    tall.height = 40;
    tall.customHeight = true;
    sheet.rows.push_back(tall);
    Picture picture;
    picture.mimeType = "image/png";
    picture.data = {0x89, 'P', 'N', 'G'};
    picture.anchor.row = lastRow / 2;
    picture.anchor.col = 2;
    sheet.pictures.push_back(picture);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

void BM_SparseSheetPage(benchmark::State& state) {
    const Workbook workbook = sparseSheet(static_cast<std::uint32_t>(state.range(0)));
    web::PageContent content;
    content.sheets = {0};
    content.title = "Sparse";
    content.pictureSource = [](std::size_t, std::size_t) { return std::string("p.png"); };
    std::size_t bytes = 0;
    for (auto _ : state) {
        web::StringSink sink;
        web::writePage(sink, workbook, content);
        bytes = sink.text().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SparseSheetPage)->Arg(1'000'000)->Arg(1'048'575)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
