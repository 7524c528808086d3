// Charts on pages: a sheet with 50 charts of 1,000 points each published as a web page and as
// an archive, and the whole corpus saved as web pages with its charts and without them, so
// that what charts add to publishing can be read off.

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/web/Publish.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <vector>

using namespace engine;
namespace fs = std::filesystem;

namespace {

Workbook fiftyCharts() {
    Workbook workbook;
    Sheet& sheet = workbook.sheets.emplace_back();
    sheet.name = "Charts";
    for (std::uint16_t col = 0; col < 3; ++col) {
        Cell cell;
        cell.col = col;
        cell.type = CellType::Number;
        cell.number = col;
        sheet.cells.push_back(cell);
    }
    const ChartKind kinds[] = {ChartKind::Column, ChartKind::Line, ChartKind::Area,
                               ChartKind::Scatter, ChartKind::Bar};
    for (std::size_t c = 0; c < 50; ++c) {
        Chart& chart = sheet.charts.emplace_back();
        chart.title = "Chart " + std::to_string(c + 1);
        chart.legend = LegendPosition::Right;
        chart.anchor = Anchor{static_cast<std::uint32_t>(c * 16), 4, 0, 0, 360, 216};
        ChartPlot& plot = chart.plots.emplace_back();
        plot.kind = kinds[c % 5];
        ChartSeries& series = plot.series.emplace_back();
        series.name = "Series";
        series.formatCode = "#,##0.00";
        for (std::size_t i = 0; i < 1000; ++i) {
            series.values.push_back(static_cast<double>((i * 37 + c * 11) % 1000) / 10.0);
            // Appended rather than "P" + ..., which GCC 12 mistakes for an overlapping copy.
            series.categories.emplace_back("P").append(std::to_string(i + 1));
            if (plot.kind == ChartKind::Scatter)
                series.xValues.push_back(static_cast<double>(i));
        }
    }
    workbook.finish();
    return workbook;
}

const fs::path scratch = fs::temp_directory_path() / "qm-bench-charts";

void BM_FiftyChartsOfThousandPoints(benchmark::State& state, const char* extension) {
    const Workbook workbook = fiftyCharts();
    fs::create_directories(scratch);
    const std::string path = (scratch / (std::string("charts") + extension)).string();
    for (auto _ : state)
        web::publishSheet(workbook, 0, path, "Charts");
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK_CAPTURE(BM_FiftyChartsOfThousandPoints, web_page, ".htm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FiftyChartsOfThousandPoints, archive, ".mht")->Unit(benchmark::kMillisecond);

// Every workbook of the corpus that reads, once.
const std::vector<Workbook>& corpus() {
    static const std::vector<Workbook> books = [] {
        std::vector<Workbook> out;
        for (const char* folder : {"xls", "xlsx", "ods", "other"}) {
            const fs::path dir = fs::path(QM_CORPUS_DIR) / folder;
            if (!fs::is_directory(dir))
                continue;
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(dir))
                files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files) {
                try {
                    out.push_back(readWorkbook(file.string()));
                } catch (const ReadError&) {
                }
            }
        }
        return out;
    }();
    return books;
}

void BM_SaveCorpus(benchmark::State& state, bool withCharts) {
    std::vector<Workbook> books = corpus();
    std::size_t charts = 0;
    for (Workbook& book : books)
        for (Sheet& sheet : book.sheets) {
            charts += sheet.charts.size();
            if (!withCharts)
                sheet.charts.clear();
        }
    fs::create_directories(scratch);
    const auto saveAll = [&] {
        for (std::size_t i = 0; i < books.size(); ++i)
            web::saveWorkbook(books[i], (scratch / ("book" + std::to_string(i) + ".htm")).string(),
                              web::WorkbookFormat::WebPage, "");
    };
    // Once untimed: the first run creates the files, which later runs only replace.
    saveAll();
    for (auto _ : state)
        saveAll();
    state.counters["workbooks"] = static_cast<double>(books.size());
    state.counters["charts"] = withCharts ? static_cast<double>(charts) : 0;
}
BENCHMARK_CAPTURE(BM_SaveCorpus, with_charts, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveCorpus, without_charts, false)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
