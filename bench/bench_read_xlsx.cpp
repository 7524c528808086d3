// Reading a 1,000,000-cell worksheet from .xlsx: half numbers, half strings (shared and
// inline alike). Reports the peak memory of the read itself as a counter.

#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

constexpr int rows = 100'000;
constexpr int columns = 10; // A-E numbers, F-H shared strings, I-J inline strings
constexpr int uniqueStrings = 20'000;

const std::vector<std::uint8_t>& package() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::string strings;
        for (int i = 0; i < uniqueStrings; ++i)
            strings += "<si><t>shared text " + std::to_string(i) + "</t></si>";
        std::string sheet = "<sheetData>";
        sheet.reserve(80u << 20);
        for (int r = 1; r <= rows; ++r) {
            const std::string row = std::to_string(r);
            sheet += "<row r=\"" + row + "\">";
            for (int c = 0; c < columns; ++c) {
                const std::string ref = std::string(1, static_cast<char>('A' + c)) + row;
                if (c < 5)
                    sheet += "<c r=\"" + ref + "\"><v>" + std::to_string(r * 0.25 + c) + "</v></c>";
                else if (c < 8)
                    sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" +
                             std::to_string((r * 7 + c) % uniqueStrings) + "</v></c>";
                else
                    sheet += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>inline " + ref +
                             "</t></is></c>";
            }
            sheet += "</row>";
        }
        sheet += "</sheetData>";
        return testing_support::minimalWorkbook({sheet}, strings).bytes();
    }();
    return bytes;
}

// The process's peak resident memory in kB since the last reset (Linux).
long peakKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

long currentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_ReadXlsxMillionCells(benchmark::State& state) {
    const auto& bytes = package();
    long peakGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetPeak();
        const long before = currentKb();
        state.ResumeTiming();
        {
            const engine::Workbook book = engine::xlsx::readPackage(bytes);
            benchmark::DoNotOptimize(book.sheets.front().cells.size());
            state.PauseTiming();
            if (book.sheets.front().cells.size() != static_cast<std::size_t>(rows) * columns)
                state.SkipWithError("wrong cell count");
        }
        peakGrowth = std::max(peakGrowth, peakKb() - before);
        state.ResumeTiming();
    }
    state.counters["package_MB"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.counters["peak_read_MB"] = static_cast<double>(peakGrowth) / 1024;
    state.counters["peak_process_MB"] = static_cast<double>(peakKb()) / 1024;
}
BENCHMARK(BM_ReadXlsxMillionCells)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
