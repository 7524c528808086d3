// Reading a 1,000,000-cell OpenDocument spreadsheet: 100,000 rows of five numbers with a data
// style, three texts and two dates, as the suite writes them (each cell with its display text).
// Reports the peak memory of the read itself as a counter.

#include "engine/read/ReadWorkbook.h"
#include "tests/engine/ods/OdsBuilder.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

constexpr int rows = 100'000;
constexpr int columns = 10;

const std::vector<std::uint8_t>& package() {
    static const std::vector<std::uint8_t> bytes = [] {
        const std::string styles =
            "<number:number-style style:name=\"N2\"><number:number number:decimal-places=\"2\" "
            "number:min-integer-digits=\"1\"/></number:number-style>"
            "<number:date-style style:name=\"N36\"><number:year number:style=\"long\"/>"
            "<number:text>-</number:text><number:month number:style=\"long\"/>"
            "<number:text>-</number:text><number:day number:style=\"long\"/></number:date-style>"
            "<style:style style:name=\"ce1\" style:family=\"table-cell\" "
            "style:data-style-name=\"N2\"/>"
            "<style:style style:name=\"ce2\" style:family=\"table-cell\" "
            "style:data-style-name=\"N36\"/>"
            "<style:style style:name=\"ro1\" style:family=\"table-row\">"
            "<style:table-row-properties style:row-height=\"0.178in\" "
            "style:use-optimal-row-height=\"true\"/></style:style>";
        std::string table = "<table:table-column table:number-columns-repeated=\"16384\"/>";
        table.reserve(200u << 20);
        for (int r = 0; r < rows; ++r) {
            table += "<table:table-row table:style-name=\"ro1\">";
            for (int c = 0; c < columns; ++c) {
                if (c < 5) {
                    const std::string value = std::to_string(r * 0.25 + c);
                    table +=
                        "<table:table-cell table:style-name=\"ce1\" office:value-type=\"float\" "
                        "office:value=\"" +
                        value + "\" calcext:value-type=\"float\"><text:p>" + value +
                        "</text:p></table:table-cell>";
                } else if (c < 8) {
                    table += "<table:table-cell office:value-type=\"string\" "
                             "calcext:value-type=\"string\"><text:p>text " +
                             std::to_string(r) + "-" + std::to_string(c) +
                             "</text:p></table:table-cell>";
                } else {
                    table +=
                        "<table:table-cell table:style-name=\"ce2\" office:value-type=\"date\" "
                        "office:date-value=\"2021-01-01\"><text:p>2021-01-01</text:p>"
                        "</table:table-cell>";
                }
            }
            table +=
                "<table:table-cell table:number-columns-repeated=\"16374\"/></table:table-row>";
        }
        table += "<table:table-row table:number-rows-repeated=\"948476\"><table:table-cell "
                 "table:number-columns-repeated=\"16384\"/></table:table-row>";
        return testing_support::odsPackage(
                   testing_support::odsContent(testing_support::odsTable(table), styles))
            .bytes();
    }();
    return bytes;
}

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void BM_ReadOdsMillionCells(benchmark::State& state) {
    const auto& bytes = package();
    long peakGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak
        const long before = statusKb("VmRSS:");
        state.ResumeTiming();
        {
            const engine::Workbook book = engine::readWorkbookBytes(bytes);
            benchmark::DoNotOptimize(book.sheets.front().cells.size());
            state.PauseTiming();
            if (book.sheets.front().cells.size() != static_cast<std::size_t>(rows) * columns)
                state.SkipWithError("wrong cell count");
        }
        peakGrowth = std::max(peakGrowth, statusKb("VmHWM:") - before);
        state.ResumeTiming();
    }
    state.counters["package_MB"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.counters["peak_read_MB"] = static_cast<double>(peakGrowth) / 1024;
}
BENCHMARK(BM_ReadOdsMillionCells)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
