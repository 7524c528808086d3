#include "tests/engine/web/SampleWorkbooks.h"

using namespace engine;

namespace web_samples {

Cell textCell(Workbook& workbook, std::uint32_t row, std::uint16_t col, const std::string& text,
              std::uint32_t format) {
    workbook.strings.push_back(RichText{text, {}});
    Cell cell;
    cell.row = row;
    cell.col = col;
    cell.type = CellType::Text;
    cell.text = static_cast<std::uint32_t>(workbook.strings.size() - 1);
    cell.format = format;
    return cell;
}

Cell numberCell(std::uint32_t row, std::uint16_t col, double value, std::uint32_t format) {
    Cell cell;
    cell.row = row;
    cell.col = col;
    cell.type = CellType::Number;
    cell.number = value;
    cell.format = format;
    return cell;
}

Workbook plainWorkbook() {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "Data";
    sheet.cells.push_back(textCell(workbook, 0, 0, "Name"));
    sheet.cells.push_back(textCell(workbook, 0, 1, "Value"));
    sheet.cells.push_back(textCell(workbook, 1, 0, "x"));
    sheet.cells.push_back(numberCell(1, 1, 1.5));
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

Workbook styledWorkbook() {
    Workbook workbook;
    workbook.fonts.resize(3);
    workbook.fonts[1].bold = true;
    workbook.fonts[1].size = 14;
    workbook.fonts[1].color = Color::fromRgb(0x1F4E79);
    workbook.fonts[2].italic = true;
    workbook.fonts[2].underline = Underline::Single;
    workbook.fonts[2].color = Color::fromRgb(0x0563C1);
    workbook.fills.resize(2);
    workbook.fills[1].pattern = FillPattern::Solid;
    workbook.fills[1].foreground = Color::fromRgb(0xFFF2CC);
    workbook.borders.resize(2);
    workbook.borders[1].bottom = {BorderStyle::Dashed, Color::fromRgb(0xFF0000)};
    workbook.borders[1].top = {BorderStyle::Double, Color{}};
    workbook.borders[1].left = {BorderStyle::Dotted, Color{}};
    workbook.cellFormats.resize(6);
    workbook.cellFormats[1].font = 1; // heading
    workbook.cellFormats[1].alignment.horizontal = HAlign::Center;
    workbook.cellFormats[2].fill = 1; // filled, bordered
    workbook.cellFormats[2].border = 1;
    workbook.cellFormats[3].numFmtId = 8;  // red negatives
    workbook.cellFormats[4].numFmtId = 14; // dates
    workbook.cellFormats[5].alignment.wrap = true;
    workbook.cellFormats[5].alignment.vertical = VAlign::Top;

    Sheet summary;
    summary.name = "Summary";
    summary.cells.push_back(textCell(workbook, 0, 0, "Quarterly <report> & \"notes\"", 1));
    summary.merges.push_back(Range{0, 0, 0, 2});
    summary.cells.push_back(textCell(workbook, 1, 0, "Item"));
    summary.cells.push_back(textCell(workbook, 1, 1, "Amount"));
    summary.cells.push_back(textCell(workbook, 1, 2, "Hidden column"));
    summary.cells.push_back(textCell(workbook, 1, 3, "When"));
    summary.cells.push_back(textCell(workbook, 2, 0, "Loss"));
    summary.cells.push_back(numberCell(2, 1, -1234.5, 3));
    summary.cells.push_back(numberCell(2, 3, 45000, 4));
    summary.cells.push_back(textCell(workbook, 3, 0, "Secret row"));
    summary.cells.push_back(
        textCell(workbook, 4, 0, "A long text that runs on into the empty cells"));
    Cell flag;
    flag.row = 5, flag.col = 0, flag.type = CellType::Boolean, flag.boolean = true;
    summary.cells.push_back(flag);
    Cell error;
    error.row = 5, error.col = 1, error.type = CellType::Error, error.error = CellError::Div0;
    summary.cells.push_back(error);
    Cell blank;
    blank.row = 5, blank.col = 3, blank.format = 2;
    summary.cells.push_back(blank);
    summary.cells.push_back(textCell(workbook, 6, 0, "Safe link"));
    summary.cells.push_back(textCell(workbook, 6, 1, "Bad link"));
    summary.cells.push_back(textCell(workbook, 6, 3, "To Q&A"));
    summary.cells.push_back(textCell(workbook, 7, 0, "line one\nline two", 5));
    workbook.strings.push_back(RichText{"plain bold italic", {{6, 1}, {11, 2}}});
    Cell rich;
    rich.row = 7, rich.col = 1, rich.type = CellType::Text;
    rich.text = static_cast<std::uint32_t>(workbook.strings.size() - 1);
    summary.cells.push_back(rich);
    summary.columns.push_back(ColumnInfo{0, 0, 20.0, false, true, 0});
    summary.columns.push_back(ColumnInfo{2, 2, 12.0, true, true, 0});
    summary.rows.push_back(RowInfo{0, 24.0, false, true, false, 0});
    summary.rows.push_back(RowInfo{3, 15.0, true, false, false, 0});
    summary.hyperlinks.push_back(
        Hyperlink{Range{6, 6, 0, 0}, "https://example.com/a?b=1&c=2", "", "Tip \"quoted\""});
    summary.hyperlinks.push_back(Hyperlink{Range{6, 6, 1, 1}, "javascript:alert(1)", "", ""});
    summary.hyperlinks.push_back(Hyperlink{Range{6, 6, 3, 3}, "", "'Q&A <2>'!A1", ""});
    Picture picture;
    picture.mimeType = "image/png";
    picture.data = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
    picture.anchor = Anchor{1, 4, 0, 0, 30, 20};
    picture.description = "logo \"x\"";
    summary.pictures.push_back(picture);
    workbook.sheets.push_back(std::move(summary));

    Sheet secret;
    secret.name = "Secret";
    secret.visibility = Visibility::Hidden;
    secret.cells.push_back(textCell(workbook, 0, 0, "hidden sheet text"));
    workbook.sheets.push_back(std::move(secret));

    Sheet chart;
    chart.name = "Chart";
    chart.kind = SheetKind::Chart;
    workbook.sheets.push_back(std::move(chart));

    Sheet other;
    other.name = "Q&A <2>";
    other.cells.push_back(textCell(workbook, 2, 1, "Answer"));
    other.cells.push_back(numberCell(2, 2, 42));
    workbook.sheets.push_back(std::move(other));
    workbook.finish();
    return workbook;
}

Workbook annotatedWorkbook() {
    Workbook workbook;
    workbook.fonts.resize(1);
    workbook.numberFormats[164] = "_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)";
    workbook.numberFormats[165] = "[$-3000401]0.00";
    workbook.numberFormats[166] = "0*-";
    workbook.cellFormats.resize(5);
    workbook.cellFormats[1].numFmtId = 164;
    workbook.cellFormats[2].numFmtId = 165;
    workbook.cellFormats[3].alignment.horizontal = HAlign::Justify;
    workbook.cellFormats[4].numFmtId = 166;
    Sheet sheet;
    sheet.name = "Notes";
    sheet.rightToLeft = true;
    sheet.columns.push_back(ColumnInfo{1, 1, 14, false, true, 0});
    sheet.cells.push_back(textCell(workbook, 0, 0, "Amount"));
    sheet.cells.push_back(numberCell(0, 1, 1234.5, 1));
    sheet.cells.push_back(numberCell(1, 1, 123.45, 2));
    sheet.cells.push_back(
        textCell(workbook, 2, 0, "This invoice is payable within thirty days of receipt.", 3));
    sheet.cells.push_back(numberCell(3, 1, 7, 4));
    sheet.comments.push_back(
        Comment{0, 1, "Ann <Lee>", "Checked & \"approved\"\nby <b>me</b>", false});
    sheet.comments.push_back(Comment{4, 2, "", "On an empty cell", false});
    // A data bar with icons over column B, and a rule left out for its formula.
    DifferentialStyle green;
    green.fill = Color::fromRgb(0xC6EFCE);
    workbook.differentialStyles.push_back(green);
    ConditionalFormat format;
    format.ranges = {Range{0, 3, 1, 1}};
    ConditionalRule over;
    over.kind = ConditionalKind::CellIs;
    over.op = ConditionalOperator::Greater;
    over.operands = {ConditionalOperand{}};
    over.operands[0].number = 100;
    over.style = 0;
    ConditionalRule icons;
    icons.kind = ConditionalKind::IconSet;
    icons.thresholds = {ConditionalValue{ConditionalValue::Kind::Percent, 0},
                        ConditionalValue{ConditionalValue::Kind::Percent, 50}};
    icons.iconSet = "3Arrows";
    format.rules = {over, icons, ConditionalRule{}};
    sheet.conditionalFormats.push_back(format);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

} // namespace web_samples
