// Charts on pages: where they sit, inline in web pages and as parts of archives, chart sheets
// in whole-workbook pages; every page valid HTML5 and the same bytes each time.

#include "engine/read/ReadWorkbook.h"
#include "engine/web/PageWriter.h"
#include "engine/web/Publish.h"
#include "tests/engine/chart/ChartSamples.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

using namespace engine;
using testing_support::countOf;
using testing_support::sampleChart;
using testing_support::samplePlot;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string pageOf(const Workbook& workbook, std::size_t sheet) {
    web::StringSink sink;
    web::PageContent content;
    content.sheets = {sheet};
    content.title = "t";
    web::writePage(sink, workbook, content);
    return sink.text();
}

int checkHtml5(const std::vector<fs::path>& pages, std::string& output) {
    std::string command = "/usr/bin/python3 '" QM_SOURCE_DIR "/tests/engine/web/check_html5.py'";
    for (const fs::path& page : pages)
        command += " '" + page.string() + "'";
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A workbook with a worksheet holding two charts and a chart sheet between hidden sheets.
Workbook mixedWorkbook() {
    Workbook workbook = testing_support::workbookWithCharts(2, 5);
    Sheet& chartSheet = workbook.sheets.emplace_back();
    chartSheet.name = "Chart1";
    chartSheet.kind = SheetKind::Chart;
    chartSheet.charts.push_back(sampleChart(samplePlot(ChartKind::Pie, {{1, 2, 3}}), "Pie & more"));
    Sheet& hidden = workbook.sheets.emplace_back();
    hidden.name = "Hidden chart";
    hidden.kind = SheetKind::Chart;
    hidden.visibility = Visibility::Hidden;
    hidden.charts.push_back(sampleChart(samplePlot(ChartKind::Line, {{1}}), "Never shown"));
    workbook.finish();
    return workbook;
}

} // namespace

TEST(ChartPages, ChartsSitAtTheirAnchorAndWidenTheSheet) {
    Workbook workbook = testing_support::workbookWithCharts(1, 3);
    Chart& chart = workbook.sheets[0].charts[0];
    chart.anchor.row = 2;
    chart.anchor.col = 1;
    chart.anchor.colOffsetPt = 3; // 4 px
    chart.anchor.rowOffsetPt = 0;
    const std::string page = pageOf(workbook, 0);
    // Column A is 64 px wide and each row 20 px tall by default; the chart sits in its row.
    EXPECT_NE(page.find("class=\"da\"><div class=\"chart\" role=\"img\""), std::string::npos);
    EXPECT_NE(page.find("aria-describedby=\"chart0_0\" style=\"position:absolute;left:68px;top:0px;"
                        "width:480px;height:288px\"><svg "),
              std::string::npos);
    EXPECT_NE(page.find("min-width:548px;min-height:328px"), std::string::npos);
    EXPECT_EQ(countOf(page, "<svg"), 1u);
}

TEST(ChartPages, WebPagesHoldChartsInlineAndArchivesAsParts) {
    const Workbook workbook = mixedWorkbook();
    ScratchDir scratch;
    const fs::path page = scratch / "book.htm";
    web::saveWorkbook(workbook, page.string(), web::WorkbookFormat::WebPage, "");
    const std::string html = readFile(page);
    // Two embedded charts and the visible chart sheet's; the hidden chart sheet stays out.
    EXPECT_EQ(countOf(html, "<svg "), 3u);
    EXPECT_NE(html.find("<a href=\"#sheet1\">Chart1</a>"), std::string::npos);
    EXPECT_NE(html.find("<section id=\"sheet1\">"), std::string::npos);
    EXPECT_EQ(html.find("Never shown"), std::string::npos);
    EXPECT_NE(html.find("Pie &amp; more"), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch / "book_files"));

    const fs::path archive = scratch / "book.mht";
    web::saveWorkbook(workbook, archive.string(), web::WorkbookFormat::WebArchive, "");
    const std::string mht = readFile(archive);
    EXPECT_EQ(countOf(mht, "Content-Type: image/svg+xml"), 3u);
    EXPECT_NE(mht.find("Content-ID: <chart003.svg@quillmere>"), std::string::npos);
    // Soft line breaks of the quoted-printable page may fall anywhere in the reference.
    std::string joined;
    for (std::size_t i = 0; i < mht.size(); ++i) {
        if (mht.compare(i, 3, "=\r\n") == 0)
            i += 2;
        else if (mht.compare(i, 2, "=\n") == 0)
            i += 1;
        else
            joined += mht[i];
    }
    EXPECT_NE(joined.find("src=3D\"cid:chart001.svg@quillmere\""), std::string::npos);
    EXPECT_EQ(mht.find("<svg"), std::string::npos);

    // The same workbook gives the same bytes.
    fs::create_directory(scratch / "again");
    const fs::path again = scratch / "again" / "book.mht";
    web::saveWorkbook(workbook, again.string(), web::WorkbookFormat::WebArchive, "");
    EXPECT_TRUE(readFile(again) == mht);

    std::string output;
    EXPECT_EQ(checkHtml5({page, archive}, output), 0) << output;
}

TEST(ChartPages, CorpusChartWorkbooksGiveValidPages) {
    ScratchDir scratch;
    std::vector<fs::path> pages;
    const std::pair<const char*, std::size_t> books[] = {
        {"xlsx/calamine-any_sheets.xlsx", 2},
        {"xlsx/tealeg-testchartsheet.xlsx", 1},
        {"xls/calamine-any_sheets.xls", 2},
        {"xls/xlrd-Formate.xls", 1},
        {"xls/calamine-xls_cross_sheet_chart.xls", 2}};
    for (const auto& [name, series] : books) {
        const Workbook workbook = readWorkbook(testing_support::corpusFile(name).string());
        const std::string stem = fs::path(name).filename().string();
        for (const char* extension : {".htm", ".mht"}) {
            const fs::path page = scratch / (stem + extension);
            web::saveWorkbook(workbook, page.string(),
                              extension[1] == 'h' ? web::WorkbookFormat::WebPage
                                                  : web::WorkbookFormat::WebArchive,
                              "");
            pages.push_back(page);
        }
        EXPECT_EQ(countOf(readFile(pages[pages.size() - 2]), "<g class=\"series\">"), series)
            << name;
    }
    std::string output;
    EXPECT_EQ(checkHtml5(pages, output), 0) << output;
}
