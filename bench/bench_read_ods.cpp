// Reading a 1,000,000-cell OpenDocument spreadsheet: 100,000 rows of five numbers with a data
// style, three texts and two dates, as the suite writes them (each cell with its display text).
// Reports the peak memory of the read itself as a counter. The /10000 runs (a tenth of the
// sheet) are the ones to profile under callgrind; ParseContent is the XML parser's own floor,
// the same content with handlers that do nothing.

#include "engine/read/ReadWorkbook.h"
#include "engine/xml/XmlParser.h"
#include "tests/engine/ods/OdsBuilder.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <string>

namespace {

constexpr int columns = 10;

// content.xml of a sheet with `rows` rows of values.
const std::string& content(int rows) {
    static std::map<int, std::string> made;
    if (const auto found = made.find(rows); found != made.end())
        return found->second;
    std::string xml = [rows] {
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
        table.reserve(static_cast<std::size_t>(rows) * 2000);
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
        table += "<table:table-row table:number-rows-repeated=\"" +
                 std::to_string(1'048'576 - rows) +
                 "\"><table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row>";
        return testing_support::odsContent(testing_support::odsTable(table), styles);
    }();
    return made.emplace(rows, std::move(xml)).first->second;
}

const std::vector<std::uint8_t>& package(int rows) {
    static std::map<int, std::vector<std::uint8_t>> made;
    if (const auto found = made.find(rows); found != made.end())
        return found->second;
    return made.emplace(rows, testing_support::odsPackage(content(rows)).bytes()).first->second;
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
    const int rows = static_cast<int>(state.range(0));
    const auto& bytes = package(rows);
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
BENCHMARK(BM_ReadOdsMillionCells)
    ->Arg(100'000)
    ->Arg(10'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

class Nothing : public engine::xml::Handler {
public:
    void startElement(std::string_view, std::string_view, const engine::xml::Attributes&) override {
    }
    void endElement(std::string_view, std::string_view) override {}
};

void BM_ParseContent(benchmark::State& state) {
    const std::string& xml = content(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Nothing nothing;
        engine::xml::parse(xml, nothing, "content.xml");
    }
    state.counters["content_MB"] = static_cast<double>(xml.size()) / (1 << 20);
}
BENCHMARK(BM_ParseContent)->Arg(100'000)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
