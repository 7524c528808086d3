// Pages written to memory from workbooks built in code.

#include "engine/web/PageWriter.h"

#include "tests/engine/web/SampleWorkbooks.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::web;
using web_samples::numberCell;
using web_samples::textCell;

namespace {

std::string page(const Workbook& workbook, std::vector<std::size_t> sheets, std::string title,
                 bool heading, bool tabs = false) {
    PageContent content;
    content.sheets = std::move(sheets);
    content.title = std::move(title);
    content.heading = heading;
    content.sheetTabs = tabs;
    content.pictureSource = [](std::size_t sheet, std::size_t index) {
        return "pics/" + std::to_string(sheet) + "-" + std::to_string(index) + ".png";
    };
    StringSink sink;
    writePage(sink, workbook, content);
    return sink.text();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(PageWriter, TitleAndHeadingRules) {
    Workbook workbook = web_samples::plainWorkbook();
    std::string titled = page(workbook, {0}, "Sales & <Costs>", true);
    EXPECT_TRUE(contains(titled, "<!DOCTYPE html>"));
    EXPECT_TRUE(contains(titled, "<meta charset=\"utf-8\">"));
    EXPECT_TRUE(contains(titled, "<title>Sales &amp; &lt;Costs&gt;</title>"));
    EXPECT_TRUE(contains(titled, "<h1>Sales &amp; &lt;Costs&gt;</h1>"));

    std::string untitled = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(contains(untitled, "<title>Data</title>"));
    EXPECT_FALSE(contains(untitled, "<h1>"));
    EXPECT_FALSE(contains(untitled, "<script"));
}

TEST(PageWriter, CellsAsDisplayedWithGeneralAlignment) {
    Workbook workbook = web_samples::styledWorkbook();
    std::string html = page(workbook, {0}, "Summary", false);
    EXPECT_TRUE(contains(html, "Quarterly &lt;report&gt; &amp; &quot;notes&quot;"));
    EXPECT_FALSE(contains(html, "<report>"));
    // Red negative currency, with its colour as a class.
    EXPECT_TRUE(contains(html, "($1,234.50)"));
    EXPECT_TRUE(contains(html, "{color:#FF0000}"));
    EXPECT_TRUE(contains(html, "class=\"x3 gr k0 h\" data-h=\"########\"><span>($1,234.50)"));
    EXPECT_TRUE(contains(html, ">3/15/2023<"));
    EXPECT_TRUE(contains(html, "class=\"gc\">TRUE<"));
    EXPECT_TRUE(contains(html, "class=\"gc\">#DIV/0!<"));
    // Wrapped text keeps its line break, rich text gets spans per run.
    EXPECT_TRUE(contains(html, "line one<br>line two"));
    EXPECT_TRUE(
        contains(html, "plain <span class=\"f1\">bold </span><span class=\"f2\">italic</span>"));
    EXPECT_TRUE(contains(html, "border-bottom:1px dashed #FF0000"));
    EXPECT_TRUE(contains(html, "border-top:3px double #000000"));
    EXPECT_TRUE(contains(html, "border-left:1px dotted #000000"));
    EXPECT_TRUE(contains(html, "background-color:#FFF2CC"));
    EXPECT_TRUE(contains(html, "font-weight:700"));
}

TEST(PageWriter, HiddenRowsAndColumnsAreLeftOutAndMergesSpan) {
    Workbook workbook = web_samples::styledWorkbook();
    std::string html = page(workbook, {0}, "Summary", false);
    EXPECT_FALSE(contains(html, "Secret row"));
    EXPECT_FALSE(contains(html, "Hidden column"));
    // The merge over A1:C1 spans the two visible columns A and B.
    EXPECT_TRUE(contains(html, "<td colspan=\"2\" class=\"x1\">Quarterly"));
    // Four columns are used (A..D), one of them hidden.
    EXPECT_EQ(count(html, "<col "), 3u);
    EXPECT_TRUE(contains(html, "<col style=\"width:140px\">"));
    EXPECT_TRUE(contains(html, "<tr style=\"height:32px\">"));
    // Eight used rows, one hidden.
    EXPECT_EQ(count(html, "<tr"), 7u);
}

TEST(PageWriter, OnlySafeLinksBecomeLinks) {
    Workbook workbook = web_samples::styledWorkbook();
    std::string single = page(workbook, {0}, "Summary", false);
    EXPECT_TRUE(contains(single, "<a href=\"https://example.com/a?b=1&amp;c=2\" title=\"Tip "
                                 "&quot;quoted&quot;\">Safe link</a>"));
    EXPECT_FALSE(contains(single, "javascript"));
    EXPECT_TRUE(contains(single, ">Bad link<"));
    // The other sheet is not on this page: plain text.
    EXPECT_FALSE(contains(single, "href=\"#sheet3\""));
    std::string whole = page(workbook, {0, 3}, "Book", false, true);
    EXPECT_TRUE(contains(whole, "<a href=\"#sheet3\">To Q&amp;A</a>"));
}

TEST(PageWriter, WorkbookPageHasTabsAndSections) {
    Workbook workbook = web_samples::styledWorkbook();
    std::string html = page(workbook, {0, 3}, "Book", true, true);
    EXPECT_TRUE(contains(
        html, "<nav class=\"tabs\" aria-label=\"Sheets\"><a href=\"#sheet0\">Summary</a><a "
              "href=\"#sheet3\">Q&amp;A &lt;2&gt;</a></nav>"));
    EXPECT_TRUE(contains(html, "<section id=\"sheet3\">\n<h2>Q&amp;A &lt;2&gt;</h2>"));
    EXPECT_TRUE(contains(html, "<h1>Book</h1>"));
}

TEST(PageWriter, UsedRangeStartsAtFirstCellAndTextOverflows) {
    Workbook workbook = web_samples::styledWorkbook();
    std::string html = page(workbook, {3}, "x", false);
    // B3:C3 only: one row, two columns.
    EXPECT_EQ(count(html, "<tr"), 1u);
    EXPECT_EQ(count(html, "<col "), 2u);
    std::string summary = page(workbook, {0}, "x", false);
    EXPECT_TRUE(contains(summary, "class=\"o\"><div style=\"width:"));
}

TEST(PageWriter, TextRunsIntoEmptyNeighboursByItsAlignment) {
    Workbook workbook;
    workbook.cellFormats.resize(3);
    workbook.cellFormats[1].alignment.horizontal = HAlign::Center;
    workbook.cellFormats[2].alignment.horizontal = HAlign::Right;
    Sheet sheet;
    sheet.name = "S";
    sheet.cells.push_back(textCell(workbook, 0, 1, "centred", 1)); // A1, C1 empty
    sheet.cells.push_back(textCell(workbook, 1, 0, "stop"));
    sheet.cells.push_back(textCell(workbook, 1, 2, "right", 2)); // B2 empty, A2 full
    sheet.cells.push_back(textCell(workbook, 2, 0, "left"));
    sheet.cells.push_back(textCell(workbook, 2, 1, "blocked")); // C3 empty, D3 none
    sheet.cells.push_back(numberCell(3, 0, 5));
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    std::string html = page(workbook, {0}, "S", false);
    EXPECT_TRUE(contains(
        html,
        "<td class=\"x1 o\"><div class=\"ce\" style=\"width:188px;margin-left:-64px\">centred"));
    EXPECT_TRUE(contains(
        html,
        "<td class=\"x2 o\"><div class=\"re\" style=\"width:124px;margin-left:-64px\">right"));
    EXPECT_TRUE(contains(html, "<td>left</td>"));
    EXPECT_TRUE(contains(html, "<td class=\"o\"><div style=\"width:124px\">blocked"));
    EXPECT_TRUE(contains(html, "<td class=\"gr\">5</td>"));
}

TEST(PageWriter, CentredAcrossASelectionOfEmptyCellsWithTheSameAlignment) {
    Workbook workbook;
    workbook.cellFormats.resize(3);
    workbook.cellFormats[1].alignment.horizontal = HAlign::CenterAcrossSelection;
    workbook.fills = {Fill{}, Fill{FillPattern::Solid, Color::fromRgb(0xFFFF00), Color{}}};
    workbook.cellFormats[2].alignment.horizontal = HAlign::CenterAcrossSelection;
    workbook.cellFormats[2].fill = 1;
    const auto blank = [](std::uint32_t row, std::uint16_t col, std::uint32_t format) {
        Cell cell;
        cell.row = row;
        cell.col = col;
        cell.format = format;
        return cell;
    };
    Sheet sheet;
    sheet.name = "S";
    // Row 1: A1 over B1 (stored, filled) and C1 (not stored: its column's format), up to the
    // text in E1; D1 is stored without the alignment and ends the selection.
    sheet.cells.push_back(textCell(workbook, 0, 0, "Heading", 1));
    sheet.cells.push_back(blank(0, 1, 2));
    sheet.cells.push_back(blank(0, 3, 0));
    sheet.cells.push_back(textCell(workbook, 0, 4, "next"));
    // Row 2: a number across B2, which the text in C2 ends.
    sheet.cells.push_back(numberCell(1, 0, 123456789.5, 1));
    sheet.cells.push_back(blank(1, 1, 1));
    sheet.cells.push_back(textCell(workbook, 1, 2, "stop"));
    ColumnInfo third;
    third.firstCol = third.lastCol = 2;
    third.width = 8.43;
    third.format = 1;
    sheet.columns.push_back(third);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string html = page(workbook, {0}, "S", false);
    // Over A1:C1 (64, 64 and 59 pixels), whose middle is its box's: D1 leaves no room beyond.
    EXPECT_TRUE(contains(html, "<td class=\"x1 o\"><div class=\"ce\" style=\"width:183px\">"
                               "Heading</div></td><td class=\"x2\"></td>"))
        << html;
    // Too wide for its own column, the number has the selection's width instead of hashes.
    EXPECT_TRUE(contains(html, "<td class=\"x1 o\"><div class=\"ce\" style=\"width:124px\">"
                               "123456789.5</div></td><td></td><td class=\"o\">"))
        << html;
}

TEST(PageWriter, PicturesArePlacedByTheirAnchor) {
    Workbook workbook = web_samples::styledWorkbook();
    std::string html = page(workbook, {0}, "x", false);
    // Column E starts after A (140 px) + B (64 px) + D (64 px); the picture sits in row 2.
    EXPECT_TRUE(contains(html,
                         "<img src=\"pics/0-0.png\" alt=\"logo &quot;x&quot;\" "
                         "style=\"position:absolute;left:268px;top:0px;width:40px;height:27px\">"));
    // The section holds its pictures, so that nothing below runs into them.
    EXPECT_TRUE(contains(
        html, "<div class=\"sheet\" id=\"sheet0\" style=\"min-width:308px;min-height:59px\">"));
}

TEST(PageWriter, HostileTextIsEscapedAndCleaned) {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "</title><script>alert(1)</script>";
    sheet.cells.push_back(textCell(workbook, 0, 0, std::string("a\x01") + "b\xff" + "c</td>"));
    sheet.cells.push_back(textCell(workbook, 0, 1, "'onmouseover='x"));
    workbook.fonts.resize(2);
    workbook.fonts[1].name = "Evil'}</style><script>";
    workbook.cellFormats.resize(2);
    workbook.cellFormats[1].font = 1;
    sheet.cells.push_back(numberCell(0, 2, 1, 1));
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    std::string html = page(workbook, {0}, "", false, true);
    EXPECT_FALSE(contains(html, "<script"));
    EXPECT_FALSE(contains(html, "</style><"));
    EXPECT_TRUE(contains(html, "a\xEF\xBF\xBD"
                               "b\xEF\xBF\xBD"
                               "c&lt;/td&gt;"));
    EXPECT_TRUE(contains(html, "&#39;onmouseover=&#39;x"));
    EXPECT_TRUE(contains(html, "font-family:'Evilstylescript',sans-serif"));
}

TEST(PageWriter, OverlappingMergesAndHugeRangesStayBounded) {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "S";
    sheet.cells.push_back(textCell(workbook, 0, 0, "a"));
    sheet.cells.push_back(textCell(workbook, 1, 1, "b"));
    sheet.cells.push_back(textCell(workbook, 3, 3, "c"));
    sheet.merges.push_back(Range{0, 2, 0, 1});
    sheet.merges.push_back(Range{1, 3, 1, 3});           // overlaps the first: dropped
    sheet.merges.push_back(Range{3, 1048575, 3, 16383}); // huge: clipped to the used range
    sheet.hyperlinks.push_back(Hyperlink{Range{0, 1048575, 0, 16383}, "http://x", "", ""});
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    std::string html = page(workbook, {0}, "S", false);
    EXPECT_TRUE(contains(html, "<td colspan=\"2\" rowspan=\"3\">"));
    EXPECT_FALSE(contains(html, ">b<"));
    EXPECT_LT(html.size(), 100000u);
}

TEST(PageWriter, EmptySheetGivesNoTable) {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "Empty";
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    std::string html = page(workbook, {0}, "Empty", false);
    EXPECT_FALSE(contains(html, "<table"));
    EXPECT_TRUE(contains(html, "</html>"));
}

TEST(PageWriter, SameInputSameBytes) {
    Workbook workbook = web_samples::styledWorkbook();
    EXPECT_EQ(page(workbook, {0, 3}, "Book", true, true),
              page(workbook, {0, 3}, "Book", true, true));
}

} // namespace

TEST(PageWriter, RowsKeepTheirRecordedHeightAndTheSheetDefault) {
    Workbook workbook = web_samples::plainWorkbook();
    Sheet& sheet = workbook.sheets[0];
    sheet.defaultRowHeight = 18.0;
    // A height the application fitted to a large font is recorded without being custom.
    sheet.rows.push_back(RowInfo{0, 30.0, false, false, false, 0});
    std::string html = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(contains(html, "<tr style=\"height:40px\">"));
    EXPECT_TRUE(contains(html, "--rh:24px"));
    EXPECT_TRUE(contains(html, "table.grid tr{height:var(--rh,20px)}"));
    EXPECT_EQ(count(html, "<tr>"), 1u);
}

TEST(PageWriter, FormattedNumbersTooWideShowHashesButTextAndGeneralDoNot) {
    Workbook workbook;
    workbook.cellFormats.resize(3);
    workbook.cellFormats[1].numFmtId = 4; // #,##0.00
    workbook.cellFormats[2].numFmtId = 4;
    workbook.cellFormats[2].alignment.shrinkToFit = true;
    Sheet sheet;
    sheet.name = "Money";
    sheet.cells.push_back(web_samples::numberCell(0, 0, 1234567.891, 1));
    sheet.cells.push_back(web_samples::numberCell(0, 1, 12.5, 1));
    sheet.cells.push_back(web_samples::numberCell(1, 0, 123456789.75, 0));
    sheet.cells.push_back(web_samples::numberCell(1, 1, 1234567.891, 2));
    sheet.cells.push_back(web_samples::textCell(workbook, 2, 0, "1,234,567,890.00 as text"));
    sheet.cells.push_back(web_samples::numberCell(3, 0, 1234567.891, 1));
    sheet.merges.push_back(Range{3, 3, 0, 1});
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    std::string html = page(workbook, {0}, "Money", false);
    // The signs are what shows; the number stays in the text, hidden.
    EXPECT_EQ(count(html, "data-h=\"########\"><span>1,234,567.89</span>"), 1u);
    EXPECT_TRUE(contains(html, "th).h::after{content:attr(data-h)}"));
    EXPECT_TRUE(contains(html, ">12.50<"));
    EXPECT_TRUE(contains(html, ">123456789.8<"));
    // Shrunk to fit, and across the merge: as it stands.
    EXPECT_EQ(count(html, "\">1,234,567.89<"), 2u);
    EXPECT_TRUE(contains(html, "1,234,567,890.00 as text"));
}

TEST(PageWriter, VerticalTextIsTurnedOrStacked) {
    Workbook workbook = web_samples::plainWorkbook();
    workbook.cellFormats.resize(5);
    workbook.cellFormats[1].alignment.rotation = 90;
    workbook.cellFormats[2].alignment.rotation = -90;
    workbook.cellFormats[3].alignment.rotation = 255;
    workbook.cellFormats[4].alignment.rotation = 45;
    Sheet& sheet = workbook.sheets[0];
    for (std::uint16_t i = 0; i < 4; ++i)
        sheet.cells.push_back(web_samples::textCell(workbook, 2, i, "up", i + 1u));
    workbook.finish();
    std::string html = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(contains(html, "th).x1{") &&
                contains(html, "writing-mode:vertical-rl;transform:rotate(180deg);"));
    EXPECT_TRUE(contains(html, "writing-mode:vertical-rl;}"));
    EXPECT_TRUE(contains(html, "writing-mode:vertical-rl;text-orientation:upright;"));
    // Other angles turn the text inside its cell.
    EXPECT_TRUE(contains(html, "th).x4 span.r{display:inline-block;transform:rotate(-45deg);}"));
    EXPECT_EQ(count(html, "<span class=\"r\">up</span>"), 1u);
}

TEST(PageWriter, RichTextRunsWithoutFontsOfTheirOwnTakeTheCellsFont) {
    Workbook workbook = web_samples::plainWorkbook();
    workbook.fonts.resize(3);
    workbook.fonts[1].bold = true;
    workbook.fonts[1].size = 12;
    workbook.fonts[2].underline = Underline::Single;
    workbook.cellFormats.resize(2);
    workbook.cellFormats[1].font = 1;
    workbook.strings.push_back(RichText{"Hours must be ACTUAL now", {{0, 0}, {14, 2}, {20, 0}}});
    Cell rich;
    rich.row = 2, rich.col = 0, rich.type = CellType::Text, rich.format = 1;
    rich.text = static_cast<std::uint32_t>(workbook.strings.size() - 1);
    workbook.sheets[0].cells.push_back(rich);
    workbook.finish();
    std::string html = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(contains(html, ">Hours must be <span class=\"f2\">ACTUAL</span> now<"));
    EXPECT_FALSE(contains(html, "class=\"f0\""));
}

TEST(PageWriter, GeneralNumbersRoundToFitTheirColumn) {
    Workbook workbook = web_samples::plainWorkbook();
    workbook.sheets[0].cells.push_back(web_samples::numberCell(2, 0, 3.14159265358979));
    workbook.sheets[0].cells.push_back(web_samples::numberCell(2, 1, 123456789));
    workbook.finish();
    std::string html = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(contains(html, "data-h=\"3.141593\"><span>3.141592654</span>"));
    EXPECT_TRUE(contains(html, "data-h=\"1.23E+08\"><span>123456789</span>"));
    EXPECT_TRUE(contains(html, ">1.5<"));
}

TEST(PageWriter, TextInTheLastUsedColumnRunsOnPastTheTable) {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "Notes";
    sheet.cells.push_back(web_samples::textCell(workbook, 0, 0, "short"));
    sheet.cells.push_back(web_samples::textCell(
        workbook, 1, 0, "A sentence far longer than the one column it is in"));
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    std::string html = page(workbook, {0}, "Notes", false);
    EXPECT_TRUE(contains(html, "<col style=\"width:64px\">"));
    EXPECT_TRUE(contains(html, "<tr><td>short</td></tr>"));
    auto at = html.find("<td class=\"o\"><div style=\"width:");
    ASSERT_NE(at, std::string::npos);
    int width = std::stoi(html.substr(at + 32));
    EXPECT_GT(width, 300);
    EXPECT_LT(width, 800);
}

TEST(PageWriter, ShrinkToFitMakesTheFontSmallerOnlyWhenNeeded) {
    Workbook workbook = web_samples::plainWorkbook();
    workbook.cellFormats.resize(2);
    workbook.cellFormats[1].alignment.shrinkToFit = true;
    Sheet& sheet = workbook.sheets[0];
    sheet.cells.push_back(web_samples::textCell(workbook, 2, 0, "short", 1));
    sheet.cells.push_back(web_samples::textCell(workbook, 2, 1, "twice as wide as it can be", 1));
    workbook.finish();
    std::string html = page(workbook, {0}, "Data", false);
    EXPECT_EQ(count(html, "style=\"font-size:"), 1u);
    auto at = html.find("style=\"font-size:");
    double size = std::stod(html.substr(at + 17));
    EXPECT_GT(size, 4.0);
    EXPECT_LT(size, 6.5);
    EXPECT_TRUE(contains(html, "pt\">twice as wide as it can be<"));
}

TEST(PageWriter, WrappedTextIsCutOffAtAFixedRowHeight) {
    Workbook workbook = web_samples::plainWorkbook();
    workbook.cellFormats.resize(2);
    workbook.cellFormats[1].alignment.wrap = true;
    Sheet& sheet = workbook.sheets[0];
    sheet.cells.push_back(web_samples::textCell(workbook, 2, 0, "one\ntwo\nthree", 1));
    sheet.cells.push_back(web_samples::textCell(workbook, 3, 0, "four\nfive", 1));
    sheet.rows.push_back(RowInfo{2, 12.0, false, true, false, 0});
    workbook.finish();
    std::string html = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(
        contains(html, "<div style=\"max-height:16px;overflow:hidden\">one<br>two<br>three</div>"));
    // A row the application sizes itself grows with its text.
    EXPECT_TRUE(contains(html, ">four<br>five</td>"));
}
