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
    // A text that starts with its author's name, as the application writes notes, says it once.
    Workbook named = web_samples::annotatedWorkbook();
    named.sheets[0].comments[1].author = "Bo";
    named.sheets[0].comments[1].text = "Bo:\nsee here";
    EXPECT_TRUE(contains(page(named), "title=\"Bo:&#10;see here\"><span>Bo:<br>see here</span>"));
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

Workbook conditionalWorkbook() {
    Workbook workbook;
    DifferentialStyle red;
    red.fill = Color::fromRgb(0xFFC7CE);
    red.fontColor = Color::fromRgb(0x9C0006);
    red.bold = true;
    DifferentialStyle blue;
    blue.fontColor = Color::fromRgb(0x0000FF);
    workbook.differentialStyles = {red, blue};
    Sheet sheet;
    sheet.name = "Scores";
    // A1:A5 hold 0, 5, 10, 15, 20; B1:B5 hold 10 each; C1:C3 texts, C3 twice "apple".
    for (std::uint32_t r = 0; r < 5; ++r) {
        sheet.cells.push_back(numberCell(r, 0, r * 5.0));
        sheet.cells.push_back(numberCell(r, 1, 10));
    }
    sheet.cells.push_back(textCell(workbook, 0, 2, "Apple pie"));
    sheet.cells.push_back(textCell(workbook, 1, 2, "pear"));
    sheet.cells.push_back(textCell(workbook, 2, 2, "apple pie"));

    ConditionalFormat values;
    values.ranges = {Range{0, 4, 0, 0}};
    ConditionalRule greater;
    greater.kind = ConditionalKind::CellIs;
    greater.op = ConditionalOperator::Greater;
    greater.operands = {ConditionalOperand{}};
    greater.operands[0].number = 12;
    greater.style = 0;
    greater.priority = 2;
    // The cell against its neighbour in column B, a rule of higher priority that stops.
    ConditionalRule expression;
    expression.kind = ConditionalKind::Expression;
    expression.op = ConditionalOperator::Greater;
    ConditionalOperand self;
    self.kind = ConditionalOperand::Kind::Cell;
    ConditionalOperand neighbour = self;
    neighbour.colOffset = 1;
    expression.operands = {self, neighbour};
    expression.style = 1;
    expression.priority = 1;
    expression.stopIfTrue = true;
    ConditionalRule unsupported;
    unsupported.priority = 3;
    values.rules = {greater, expression, unsupported};

    ConditionalFormat scales;
    scales.ranges = {Range{0, 4, 1, 1}, Range{0, 4, 0, 0}};
    ConditionalRule bar;
    bar.kind = ConditionalKind::DataBar;
    bar.thresholds = {ConditionalValue{ConditionalValue::Kind::Min},
                      ConditionalValue{ConditionalValue::Kind::Max}};
    bar.colors = {Color::fromRgb(0x638EC6)};
    bar.priority = 4;
    ConditionalRule scale;
    scale.kind = ConditionalKind::ColorScale;
    scale.thresholds = bar.thresholds;
    scale.colors = {Color::fromRgb(0xFFFFFF), Color::fromRgb(0x000000)};
    scale.priority = 5;
    ConditionalRule icons;
    icons.kind = ConditionalKind::IconSet;
    icons.iconSet = "3Arrows";
    icons.thresholds = {ConditionalValue{ConditionalValue::Kind::Percent, 0},
                        ConditionalValue{ConditionalValue::Kind::Percent, 33},
                        ConditionalValue{ConditionalValue::Kind::Percent, 67}};
    icons.priority = 6;
    scales.rules = {bar, scale, icons};

    ConditionalFormat texts;
    texts.ranges = {Range{0, 2, 2, 2}};
    ConditionalRule duplicate;
    duplicate.kind = ConditionalKind::Duplicate;
    duplicate.style = 1;
    ConditionalRule contains;
    contains.kind = ConditionalKind::BeginsWith;
    contains.text = "PEA";
    contains.style = 0;
    texts.rules = {duplicate, contains};

    sheet.conditionalFormats = {values, scales, texts};
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

TEST(PageConditional, RulesApplyToCachedValuesByPriority) {
    const std::string html = page(conditionalWorkbook());
    // 15 and 20 pass B's 10: the expression holds and stops every later rule, bars and icons
    // too; 0..10 do not.
    EXPECT_TRUE(contains(html, "<td class=\"gr\" style=\"color:#0000FF\">15</td>")) << html;
    EXPECT_TRUE(contains(html, "<td class=\"gr\" style=\"background-color:#808080;"
                               "background-image:linear-gradient(90deg,#638EC6 0,#E7EEF6 50%,"
                               "transparent 50%)\"><span class=\"ci\" style=\"color:#FFC000\">"
                               "&#x25B6;</span>10</td>"));
    // The minimum: the scale's first colour, the shortest bar, the lowest icon.
    EXPECT_TRUE(contains(html, "style=\"background-color:#FFFFFF;background-image:linear-gradient("
                               "90deg,#638EC6 0,#E7EEF6 10%,transparent 10%)\"><span class=\"ci\" "
                               "style=\"color:#FF0000\">&#x25BC;</span>0</td>"))
        << html;
    // Text rules ignore letter case.
    EXPECT_TRUE(contains(html, "style=\"color:#0000FF\"><div style=\"width:69px\">Apple pie<"));
    EXPECT_TRUE(contains(html, "style=\"color:#9C0006;background-color:#FFC7CE;font-weight:700\">"
                               "pear</td>"));
    EXPECT_TRUE(contains(html, "<!-- conditional formats: 1 rule left out, whose formulas are "
                               "not evaluated -->"));
    EXPECT_TRUE(contains(html, "table.grid span.ci{"));
    EXPECT_FALSE(contains(page(web_samples::plainWorkbook()), "span.ci"));
}

TEST(PageConditional, ValueRulesCompareNumbersAndTextsAsTheApplicationDoes) {
    Workbook workbook = conditionalWorkbook();
    Sheet& sheet = workbook.sheets[0];
    ConditionalFormat between;
    between.ranges = {Range{0, 2, 2, 2}, Range{0, 4, 1, 1}};
    ConditionalRule rule;
    rule.kind = ConditionalKind::CellIs;
    rule.op = ConditionalOperator::Between;
    rule.operands = {ConditionalOperand{}, ConditionalOperand{}};
    rule.operands[0].kind = ConditionalOperand::Kind::Text;
    rule.operands[0].text = "B";
    rule.operands[1].kind = ConditionalOperand::Kind::Text;
    rule.operands[1].text = "Q";
    rule.style = 1;
    rule.priority = -1;
    between.rules = {rule};
    sheet.conditionalFormats = {between};
    const std::string html = page(workbook);
    // Texts from "b" to "q": "pear" only; numbers sort before every text.
    EXPECT_TRUE(contains(html, "style=\"color:#0000FF\">pear</td>"));
    EXPECT_FALSE(contains(html, "style=\"color:#0000FF\">apple pie</td>"));
    EXPECT_FALSE(contains(html, "style=\"color:#0000FF\">10</td>"));
    EXPECT_FALSE(contains(html, "left out"));
}

TEST(PageConditional, BarsAndIconsMayStandInsteadOfTheValue) {
    Workbook workbook = conditionalWorkbook();
    Sheet& sheet = workbook.sheets[0];
    ConditionalRule bar = sheet.conditionalFormats[1].rules[0];
    bar.showValue = false;
    sheet.conditionalFormats = {ConditionalFormat{{Range{0, 4, 0, 0}}, {bar}}};
    const std::string html = page(workbook);
    // A3's 10 is a bar alone; B3's 10, under no rule, still shows.
    EXPECT_TRUE(contains(html, "#E7EEF6 50%,transparent 50%)\"></td><td class=\"gr\">10</td>"))
        << html;
}

} // namespace
