// What the window pays for each workbook it hands to a freshly started host: starting it,
// opening a workbook, listing sheet names, publishing a page, quitting.

#include "automation/Factory.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

const QString binFolder = QStringLiteral(QM_BIN_DIR);
const QString smallWorkbook = QStringLiteral(QM_CORPUS_DIR "/xls/xlrd-Formate.xls");

// Opens `path` in a new host, runs `work` on the workbook, closes it and quits.
template <typename Work> void withWorkbook(const QString& path, Work work) {
    automation::HostFactory factory(binFolder);
    automation::Object application = factory.CreateObject(QStringLiteral("Excel.Application"));
    automation::Object workbook = application.getObject(QStringLiteral("Workbooks"))
                                      .callObject(QStringLiteral("Open"), {path});
    application.set(QStringLiteral("DisplayAlerts"), false);
    work(workbook);
    workbook.call(QStringLiteral("Close"));
    application.call(QStringLiteral("Quit"));
}

int listSheetNames(automation::Object& workbook) {
    automation::Object sheets = workbook.getObject(QStringLiteral("Worksheets"));
    const int count = sheets.get(QStringLiteral("Count")).toInt();
    int characters = 0;
    for (int i = 1; i <= count; ++i)
        characters += static_cast<int>(workbook.getObject(QStringLiteral("Worksheets"), {i})
                                           .get(QStringLiteral("Name"))
                                           .toString()
                                           .size());
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
    QTemporaryDir out;
    const QString page = QDir(out.path()).filePath(QStringLiteral("page.htm"));
    for (auto _ : state)
        withWorkbook(smallWorkbook, [&](automation::Object& workbook) {
            automation::Object publish = workbook.getObject(QStringLiteral("PublishObjects"));
            const QString sheet = workbook.getObject(QStringLiteral("Worksheets"), {1})
                                      .get(QStringLiteral("Name"))
                                      .toString();
            publish.call(QStringLiteral("Add"), {1, page, sheet, automation::omitted(), 0,
                                                 automation::omitted(), QStringLiteral("Title")});
            publish.call(QStringLiteral("Publish"));
            publish.call(QStringLiteral("Delete"));
        });
}
BENCHMARK(BM_PublishSmallStyledSheet)->Unit(benchmark::kMillisecond);

// A package of 5,000 empty worksheets.
QString writeManySheets(const QTemporaryDir& dir) {
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
    const QString path = QDir(dir.path()).filePath(QStringLiteral("many.xlsx"));
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

void BM_ListFiveThousandSheetNames(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeManySheets(dir);
    for (auto _ : state)
        withWorkbook(path, [](automation::Object& workbook) {
            benchmark::DoNotOptimize(listSheetNames(workbook));
        });
}
BENCHMARK(BM_ListFiveThousandSheetNames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
