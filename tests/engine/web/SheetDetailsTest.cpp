// What a page shows around the cell texts: comments, right-to-left sheets, repeated fill
// characters, native digits, justified text and column widths in the workbook's own font.

#include "engine/web/PageWriter.h"
#include "tests/engine/web/SampleWorkbooks.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::web;
using web_samples::numberCell;
using web_samples::textCell;

namespace {

std::string page(const Workbook& workbook, std::size_t sheet = 0) {
    PageContent content;
    content.sheets = {sheet};
    content.title = "Notes";
    StringSink sink;
    writePage(sink, workbook, content);
    return sink.text();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PageNotes, MarkerTooltipAndScreenReaderTextEscaped) {
    const std::string html = page(web_samples::annotatedWorkbook());
    // The note's text as the tooltip (line breaks kept) and inside the focusable marker.
    EXPECT_TRUE(contains(html, "<span class=\"cm\" tabindex=\"0\" role=\"note\" "
                               "title=\"Ann &lt;Lee&gt;:&#10;Checked &amp; &quot;approved&quot;"
                               "&#10;by &lt;b&gt;me&lt;/b&gt;\"><span><b>Ann &lt;Lee&gt;:</b><br>"
                               "Checked &amp; &quot;approved&quot;<br>by &lt;b&gt;me&lt;/b&gt;"
                               "</span></span></td>"))
        << html;
    EXPECT_FALSE(contains(html, "<b>me</b>"));
    // A note on an empty cell gets a cell of its own, past the values' range.
    EXPECT_TRUE(contains(html, "<td class=\"cm\"><span class=\"cm\" tabindex=\"0\" role=\"note\" "
                               "title=\"On an empty cell\">"))
        << html;
    EXPECT_TRUE(contains(html, "table.grid span.cm{position:absolute;top:0;right:0;"));
    EXPECT_FALSE(contains(html, "<script"));
    // Pages without notes carry none of their rules.
    EXPECT_FALSE(contains(page(web_samples::plainWorkbook()), "span.cm"));
}

TEST(PageNotes, RightToLeftSheetsAndNotesInMergedAreas) {
    Workbook workbook = web_samples::annotatedWorkbook();
    EXPECT_TRUE(contains(page(workbook), "<table class=\"grid\" dir=\"rtl\""));
    Sheet& sheet = workbook.sheets[0];
    sheet.rightToLeft = false;
    sheet.merges.push_back(Range{5, 6, 0, 2});
    sheet.cells.push_back(textCell(workbook, 5, 0, "merged"));
    sheet.comments.push_back(Comment{5, 0, "", "on the merge", false});
    sheet.comments.push_back(Comment{6, 1, "", "hidden under the merge", false});
    workbook.finish();
    const std::string html = page(workbook);
    EXPECT_TRUE(contains(html, "<table class=\"grid\" style"));
    EXPECT_TRUE(contains(html, "rowspan=\"2\" class=\"cm\">merged<span class=\"cm\""));
    EXPECT_FALSE(contains(html, "hidden under the merge"));
}

TEST(PageText, AccountingFillPushesTheSignToTheLeftEdge) {
    const std::string html = page(web_samples::annotatedWorkbook());
    EXPECT_TRUE(contains(html, "<span class=\"fl\"><span> $</span><span class=\"fc\"></span>"
                               "<span>1,234.50 </span></span>"))
        << html;
    // Any other character is repeated across the room it has, after the number here.
    EXPECT_TRUE(contains(html, "<span class=\"fl\"><span>7</span><span class=\"fc\">---"));
    EXPECT_TRUE(contains(html, "table.grid span.fl{display:flex}"));
}

TEST(PageText, NativeDigitsAndJustifiedTextThatWraps) {
    const std::string html = page(web_samples::annotatedWorkbook());
    EXPECT_TRUE(contains(html, ">\xD9\xA1\xD9\xA2\xD9\xA3.\xD9\xA4\xD9\xA5<")) << html;
    // Justified text wraps in its cell instead of being cut off at its edge.
    EXPECT_TRUE(contains(html, "text-align:justify;white-space:pre-wrap;")) << html;
    EXPECT_TRUE(contains(html, ">This invoice is payable within thirty days of receipt.<"));
    EXPECT_FALSE(contains(html, "class=\"x3 o\""));
}

Workbook dateWorkbook(const std::string& font, double size, double width) {
    Workbook workbook;
    workbook.fonts.resize(1);
    workbook.fonts[0].name = font;
    workbook.fonts[0].size = size;
    workbook.cellFormats.resize(2);
    workbook.cellFormats[1].numFmtId = 14;
    Sheet sheet;
    sheet.name = "Dates";
    sheet.baseColumnWidth = 8;
    sheet.columns.push_back(ColumnInfo{1, 1, width, false, true, 0});
    sheet.cells.push_back(numberCell(0, 0, 45657, 1));
    sheet.cells.push_back(numberCell(0, 1, 45657, 1));
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

TEST(PageWidths, CharactersAreTheDefaultFontsDigits) {
    // Calibri 11: 7-pixel digits, the default column 64 pixels.
    const std::string calibri11 = page(dateWorkbook("Calibri", 11, 10.7109375));
    EXPECT_TRUE(contains(calibri11, "<col style=\"width:64px\"><col style=\"width:75px\">"))
        << calibri11;
    // Calibri 12: 8-pixel digits, so the same widths are wider and the date fits where a
    // 7-pixel reckoning shows '#' signs.
    const std::string calibri12 = page(dateWorkbook("Calibri", 12, 10.7109375));
    EXPECT_TRUE(contains(calibri12, "<col style=\"width:72px\"><col style=\"width:86px\">"))
        << calibri12;
    EXPECT_TRUE(contains(calibri12, "class=\"x1 gr\">12/31/2024</td>")) << calibri12;
    // Arial 10 as Calibri 11; Verdana runs wider.
    EXPECT_TRUE(contains(page(dateWorkbook("Arial", 10, 10.7109375)),
                         "<col style=\"width:64px\"><col style=\"width:75px\">"));
    EXPECT_TRUE(contains(page(dateWorkbook("Verdana", 10, 10.7109375)),
                         "<col style=\"width:72px\"><col style=\"width:86px\">"));
}

} // namespace
