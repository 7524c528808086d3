// What the window pays for each workbook it hands to a freshly started host: starting it,
// opening a workbook, listing sheet names, publishing a page, quitting.

#include "automation/Factory.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

const std::string binFolder = QM_BIN_DIR;
const std::string smallWorkbook = QM_CORPUS_DIR "/xls/xlrd-Formate.xls";

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string filePath(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Opens `path` in a new host, runs `work` on the workbook, closes it and quits.
template <typename Work> void withWorkbook(const std::string& path, Work work) {
    automation::HostFactory factory(binFolder);
    automation::Object application = factory.CreateObject("Excel.Application");
    automation::Object workbook = application.getObject("Workbooks").callObject("Open", {path});
    application.set("DisplayAlerts", false);
    work(workbook);
    workbook.call("Close");
    application.call("Quit");
}

int listSheetNames(automation::Object& workbook) {
    automation::Object sheets = workbook.getObject("Worksheets");
    const int count = static_cast<int>(sheets.get("Count").integer().value_or(0));
    int characters = 0;
    for (int i = 1; i <= count; ++i)
        characters +=
            static_cast<int>(workbook.getObject("Worksheets", {i}).get("Name").text().size());
    return characters;
}

void BM_OpenSmallWorkbookAndListSheets(benchmark::State& state) {
    for (auto _ : state)
        withWorkbook(smallWorkbook, [](automation::Object& workbook) {
            benchmark::DoNotOptimize(listSheetNames(workbook));
        });
}
BENCHMARK(BM_OpenSmallWorkbookAndListSheets)->Unit(benchmark::kMillisecond);

void BM_PublishSmallStyledSheet(benchmark::State& state) {
    const ScratchFolder out;
    const std::string page = out.filePath("page.htm");
    for (auto _ : state)
        withWorkbook(smallWorkbook, [&](automation::Object& workbook) {
            automation::Object publish = workbook.getObject("PublishObjects");
            const std::string sheet = workbook.getObject("Worksheets", {1}).get("Name").text();
            publish.call(
                "Add", {1, page, sheet, automation::omitted(), 0, automation::omitted(), "Title"});
            publish.call("Publish");
            publish.call("Delete");
        });
}
BENCHMARK(BM_PublishSmallStyledSheet)->Unit(benchmark::kMillisecond);

// A package of 5,000 empty worksheets.
std::string writeManySheets(const ScratchFolder& dir) {
    testing_support::PackageWriter package;
    std::string sheets;
    std::string relationships;
    for (int i = 1; i <= 5000; ++i) {
        const std::string n = std::to_string(i);
        sheets += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relationships += "<Relationship Id=\"rId" + n +
                         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships/worksheet\" Target=\"worksheets/sheet" +
                         n + ".xml\"/>";
        package.add("xl/worksheets/sheet" + n + ".xml",
                    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                    "main\"><sheetData/></worksheet>");
    }
    package.add("_rels/.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats."
                "org/officeDocument/2006/relationships/officeDocument\" "
                "Target=\"xl/workbook.xml\"/></Relationships>");
    package.add("xl/workbook.xml",
                "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<sheets>" +
                    sheets + "</sheets></workbook>");
    package.add("xl/_rels/workbook.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\">" +
                    relationships + "</Relationships>");
    const std::vector<std::uint8_t> bytes = package.bytes();
    const std::string path = dir.filePath("many.xlsx");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

void BM_ListFiveThousandSheetNames(benchmark::State& state) {
    const ScratchFolder dir;
    const std::string path = writeManySheets(dir);
    for (auto _ : state)
        withWorkbook(path, [](automation::Object& workbook) {
            benchmark::DoNotOptimize(listSheetNames(workbook));
        });
}
BENCHMARK(BM_ListFiveThousandSheetNames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
