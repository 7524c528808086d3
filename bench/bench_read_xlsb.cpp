// Reading a 1,000,000-cell worksheet from .xlsb: half numbers (RK and double records), half
// strings (shared and inline alike). Reports the peak memory of the read itself as a counter.
// bench_host_xlsb.sh measures the same through a fresh quillmere-host.

#include "engine/xlsb/XlsbReader.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

constexpr int rows = 100'000;
constexpr int columns = 10; // A-E numbers, F-H shared strings, I-J inline strings
constexpr int uniqueStrings = 20'000;

const std::vector<std::uint8_t>& package() {
    using namespace testing_support;
    static const std::vector<std::uint8_t> bytes = [] {
        RecordWriter strings;
        strings.add(159, Fields().u32(uniqueStrings).u32(uniqueStrings));
        for (int i = 0; i < uniqueStrings; ++i) {
            const std::string text = "shared text " + std::to_string(i);
            strings.add(19, Fields().u8(0).wide(std::u16string(text.begin(), text.end())));
        }
        strings.add(160);
        RecordWriter cells;
        cells.bytes.reserve(24u << 20);
        for (std::uint32_t r = 0; r < rows; ++r) {
            cells.raw(rowHeader(r));
            for (std::uint32_t c = 0; c < columns; ++c) {
                if (c < 5 && (r + c) % 2)
                    cells.add(2, Fields().cell(c).u32((r * 4 + c) << 2 | 2));
                else if (c < 5)
                    cells.add(5, Fields().cell(c).f64(r * 0.25 + c));
                else if (c < 8)
                    cells.add(7, Fields().cell(c).u32((r * 7 + c) % uniqueStrings));
                else {
                    const std::string text =
                        "inline " + std::to_string(c) + "-" + std::to_string(r);
                    cells.add(6, Fields().cell(c).wide(std::u16string(text.begin(), text.end())));
                }
            }
        }
        BinarySheet sheet;
        sheet.name = "Sheet1";
        sheet.records = sheetData(cells.bytes);
        return binaryWorkbook({sheet}, strings.bytes).bytes();
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

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_ReadXlsbMillionCells(benchmark::State& state) {
    const auto& bytes = package();
    long peakGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Heap pages freed by the package's making or the last read stay resident and would
        // hide the read's own growth.
        malloc_trim(0);
        resetPeak();
        const long before = statusKb("VmRSS:");
        state.ResumeTiming();
        {
            const engine::Workbook book = engine::xlsb::readBinaryPackage(bytes);
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
    state.counters["peak_process_MB"] = static_cast<double>(statusKb("VmHWM:")) / 1024;
}
BENCHMARK(BM_ReadXlsbMillionCells)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
