// A Convert run over 50 small corpus workbooks, each sheet to a page: the run with the real
// host, the same reading and writing done by the engine in-process, and the run against an
// in-process fake host. Run-with-host minus engine-only is what a run costs beyond the host's
// own work (host start, calls, folder work); rss_growth_kb is what the window process keeps.
// With QM_MANY_SHEETS naming a workbook (bench/make_many_sheets.py), the window's Convert of
// that one workbook with the real host, for comparison with quillmere-batch
// (bench/bench_window_sheets.sh).

#include "app/SharedState.h"
#include "app/form1.h"
#include "automation/Error.h"
#include "automation/Factory.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/web/Publish.h"
#include "sources/WorkbookList.h"
#include "tests/gui_support/Doubles.h"
#include "tests/gui_support/FakeHost.h"

#include <QApplication>
#include <QComboBox>
#include <QTreeWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdlib.h>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;
constexpr int workbookCount = 50;

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "qm-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

// The 50 smallest workbooks of the corpus that read cleanly and that a folder lists.
const std::vector<fs::path>& smallWorkbooks() {
    static const std::vector<fs::path> books = [] {
        std::vector<std::pair<std::uintmax_t, fs::path>> found;
        std::ifstream manifest(fs::path(QM_CORPUS_DIR) / "manifest.tsv");
        std::string line;
        while (std::getline(manifest, line)) {
            std::istringstream fields(line);
            std::string file, format, expected;
            std::getline(fields, file, '\t');
            std::getline(fields, format, '\t');
            std::getline(fields, expected, '\t');
            const fs::path path = fs::path(QM_CORPUS_DIR) / file;
            if (expected == "ok" && path.extension().string().rfind(".xls", 0) == 0)
                found.emplace_back(fs::file_size(path), path);
        }
        std::sort(found.begin(), found.end());
        std::vector<fs::path> result;
        for (std::size_t i = 0; i < found.size() && result.size() < workbookCount; ++i)
            result.push_back(found[i].second);
        return result;
    }();
    return books;
}

void copySample(const fs::path& folder) {
    int n = 0;
    for (const fs::path& book : smallWorkbooks())
        fs::copy_file(book, folder / ("b" + std::to_string(++n) + "-" + book.filename().string()));
}

// Wall time per workbook: the host's work happens in another process.
void perWorkbook(benchmark::State& state) {
    state.counters["per_workbook"] = benchmark::Counter(
        workbookCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> value)
            return value;
    return 0;
}

// A window wired to the given automation factory, listing `source`, writing to `out`.
struct Window {
    testing_support::ScriptedDialogs dialogs;
    testing_support::RecordingShell shell;
    testing_support::RecordingMessages messages;
    testing_support::FixedRandom random;
    TempDir program;
    app::SharedState state;
    std::unique_ptr<app::Services> services;
    std::unique_ptr<app::form1> form;

    Window(automation::Factory& factory, const fs::path& source, const fs::path& out) {
        services = std::make_unique<app::Services>(app::Services{
            factory, dialogs, shell, messages, random, q(program.path), q(program.path)});
        form = std::make_unique<app::form1>(state, *services);
        form->Form_Load();
        auto* entry = new QTreeWidgetItem(QStringList{q(source)});
        form->ListView1->addTopLevelItem(entry);
        form->ListView1->setCurrentItem(entry);
        sources::LoadWorkbookList(*form, q(source));
        form->Combo5->setEditText(q(out));
    }
};

void BM_RunWithHost(benchmark::State& state) {
    TempDir source;
    copySample(source.path);
    automation::HostFactory factory(QM_BIN_DIR, std::chrono::minutes(2));
    long growth = 0;
    std::size_t failures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TempDir out;
        Window window(factory, source.path, out.path);
        const long before = residentKb();
        state.ResumeTiming();
        window.form->Command6_Click();
        state.PauseTiming();
        growth = std::max(growth, residentKb() - before);
        failures = window.messages.messages.size();
        state.ResumeTiming();
    }
    if (failures > 0)
        state.SkipWithError("workbooks failed: is the host reading workbooks yet?");
    perWorkbook(state);
    state.counters["rss_growth_kb"] = static_cast<double>(growth);
}

void BM_EngineOnly(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TempDir out;
        state.ResumeTiming();
        for (const fs::path& book : smallWorkbooks()) {
            try {
                const engine::Workbook workbook = engine::readWorkbook(book.string());
                for (std::size_t i = 0; i < workbook.sheets.size(); ++i)
                    if (workbook.sheets[i].kind == engine::SheetKind::Worksheet)
                        engine::web::publishSheet(
                            workbook, i, (out.path / (std::to_string(i) + ".htm")).string(), "");
            } catch (const std::exception& error) {
                state.SkipWithError(error.what());
                return;
            }
        }
    }
    perWorkbook(state);
}

void BM_RunWithFakeHost(benchmark::State& state) {
    TempDir source;
    testing_support::FakeHost host;
    host.writeFiles = true;
    for (int n = 1; n <= workbookCount; ++n) {
        const fs::path path = source.path / ("Book " + std::to_string(n) + ".xls");
        std::ofstream(path) << "x";
        host.addWorkbook(q(path), {"Summary", "Data", "Notes"});
    }
    long growth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TempDir out;
        Window window(host, source.path, out.path);
        host.calls.clear();
        host.detailedCalls.clear();
        const long before = residentKb();
        state.ResumeTiming();
        window.form->Command6_Click();
        state.PauseTiming();
        growth = std::max(growth, residentKb() - before);
        state.ResumeTiming();
    }
    perWorkbook(state);
    state.counters["rss_growth_kb"] = static_cast<double>(growth);
}

// CPU seconds of this process and of the hosts it has ended and waited for.
double cpuWithHosts() {
    double seconds = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        seconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

// The window's Convert of the workbook of QM_MANY_SHEETS, with its sheets listed first
// (state.range(0) 1: the user clicked it, so the names come from the stored list) or not (0: the
// names are read from the workbook during the run).
void BM_WindowManySheets(benchmark::State& state) {
    const char* workbook = std::getenv("QM_MANY_SHEETS");
    if (!workbook || !*workbook) {
        state.SkipWithError("QM_MANY_SHEETS names no workbook");
        return;
    }
    TempDir source;
    fs::copy_file(workbook, source.path / fs::path(workbook).filename());
    automation::HostFactory factory(QM_BIN_DIR, std::chrono::minutes(2));
    double cpu = 0;
    std::size_t pages = 0;
    std::size_t failures = 0;
    // Every run's pages stay until the end: ext4 passes over recently freed inodes one by one
    // when it allocates, so deleting thousands of pages just before a run slows its writes.
    std::vector<std::unique_ptr<TempDir>> outputs;
    for (auto _ : state) {
        state.PauseTiming();
        const TempDir& out = *outputs.emplace_back(std::make_unique<TempDir>());
        Window window(factory, source.path, out.path);
        if (state.range(0) == 1) {
            window.form->ListView2->setCurrentItem(window.form->ListView2->topLevelItem(0));
            window.form->ListView2_ItemClick();
        }
        const double before = cpuWithHosts();
        state.ResumeTiming();
        window.form->Command6_Click();
        state.PauseTiming();
        cpu += cpuWithHosts() - before;
        failures += window.messages.messages.size();
        pages = 0;
        for (const auto& entry : fs::recursive_directory_iterator(out.path))
            pages += entry.is_regular_file() ? 1 : 0;
        state.ResumeTiming();
    }
    if (failures > 0)
        state.SkipWithError("the workbook failed");
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["cpu_with_host_ms"] =
        1000 * cpu /
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

BENCHMARK(BM_RunWithHost)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_EngineOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RunWithFakeHost)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_WindowManySheets)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
