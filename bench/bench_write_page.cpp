// Writing a 1,000,000-cell worksheet (10,000 rows of 100 columns: numbers in several formats,
// text and dates) as a web page, streamed to a file and to a sink that discards; and the whole
// road from an .xlsx file of a million cells to the published page, with its peak memory.

#include "engine/read/ReadWorkbook.h"
#include "engine/web/PageWriter.h"
#include "engine/web/Publish.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

using namespace engine;

namespace {

constexpr std::uint32_t rows = 10000;
constexpr std::uint16_t columns = 100;

Workbook millionCells() {
    Workbook workbook;
    workbook.fonts.resize(2);
    workbook.fonts[1].bold = true;
    workbook.fills.resize(2);
    workbook.fills[1].pattern = FillPattern::Solid;
    workbook.fills[1].foreground = Color::fromRgb(0xDDEBF7);
    workbook.borders.resize(2);
    workbook.borders[1].bottom.style = BorderStyle::Thin;
    workbook.cellFormats.resize(5);
    workbook.cellFormats[1].numFmtId = 4;  // #,##0.00
    workbook.cellFormats[2].numFmtId = 14; // dates
    workbook.cellFormats[3].font = 1;
    workbook.cellFormats[3].fill = 1;
    workbook.cellFormats[3].border = 1;
    workbook.cellFormats[4].numFmtId = 10; // 0.00%
    for (int i = 0; i < 1000; ++i)
        workbook.strings.push_back(RichText{"Item " + std::to_string(i) + " & <text>", {}});
    Sheet sheet;
    sheet.name = "Big";
    sheet.cells.reserve(static_cast<std::size_t>(rows) * columns);
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint16_t c = 0; c < columns; ++c) {
            Cell cell;
            cell.row = r;
            cell.col = c;
            switch (c % 5) {
            case 0:
                cell.type = CellType::Text;
                cell.text = (r * columns + c) % 1000;
                cell.format = r == 0 ? 3 : 0;
                break;
            case 1:
                cell.type = CellType::Number;
                cell.number = r * 1.5 + c;
                break;
            case 2:
                cell.type = CellType::Number;
                cell.number = r * 3.14159 - c;
                cell.format = 1;
                break;
            case 3:
                cell.type = CellType::Number;
                cell.number = 40000 + r % 3000;
                cell.format = 2;
                break;
            default:
                cell.type = CellType::Number;
                cell.number = (r % 100) / 97.0;
                cell.format = 4;
                break;
            }
            sheet.cells.push_back(cell);
        }
    }
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

const Workbook& sample() {
    static const Workbook workbook = millionCells();
    return workbook;
}

class CountingSink : public web::Sink {
public:
    void write(std::string_view bytes) override { bytes_ += bytes.size(); }
    std::size_t bytes_ = 0;
};

void BM_WritePageToMemorySink(benchmark::State& state) {
    const Workbook& workbook = sample();
    for (auto _ : state) {
        CountingSink sink;
        web::PageContent content;
        content.sheets = {0};
        content.title = "Big";
        web::writePage(sink, workbook, content);
        state.counters["bytes"] = static_cast<double>(sink.bytes_);
    }
}
BENCHMARK(BM_WritePageToMemorySink)->Unit(benchmark::kMillisecond);

void BM_PublishSheetToFile(benchmark::State& state, const char* name) {
    const Workbook& workbook = sample();
    const auto path = std::filesystem::temp_directory_path() / name;
    for (auto _ : state)
        web::publishSheet(workbook, 0, path.string(), "Big");
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(BM_PublishSheetToFile, page, "qm-bench-page.htm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PublishSheetToFile, archive, "qm-bench-page.mht")
    ->Unit(benchmark::kMillisecond);

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return 0;
}

// 100,000 rows of ten columns: numbers, shared strings and a date column.
const std::filesystem::path& millionCellFile() {
    static const std::filesystem::path path = [] {
        std::string strings;
        for (int i = 0; i < 20000; ++i)
            strings += "<si><t>shared text " + std::to_string(i) + "</t></si>";
        std::string sheet = "<sheetData>";
        for (int r = 1; r <= 100000; ++r) {
            const std::string row = std::to_string(r);
            sheet += "<row r=\"" + row + "\">";
            for (int c = 0; c < 10; ++c) {
                const std::string ref = std::string(1, static_cast<char>('A' + c)) + row;
                if (c < 6)
                    sheet += "<c r=\"" + ref + "\"><v>" + std::to_string(r * 0.25 + c) + "</v></c>";
                else
                    sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" +
                             std::to_string((r * 7 + c) % 20000) + "</v></c>";
            }
            sheet += "</row>";
        }
        sheet += "</sheetData>";
        const auto bytes = testing_support::minimalWorkbook({sheet}, strings).bytes();
        auto file = std::filesystem::temp_directory_path() / "qm-bench-million.xlsx";
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

void BM_ReadAndPublishMillionCells(benchmark::State& state) {
    const auto& input = millionCellFile();
    const auto output = std::filesystem::temp_directory_path() / "qm-bench-million.htm";
    long peakGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = statusKb("VmRSS:");
        state.ResumeTiming();
        {
            const Workbook workbook = readWorkbook(input.string());
            web::publishSheet(workbook, 0, output.string(), "");
        }
        state.PauseTiming();
        peakGrowth = std::max(peakGrowth, statusKb("VmHWM:") - before);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = static_cast<double>(peakGrowth) / 1024.0;
    state.counters["page_MB"] = static_cast<double>(std::filesystem::file_size(output)) / 1e6;
    std::filesystem::remove(output);
}
BENCHMARK(BM_ReadAndPublishMillionCells)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
