// What the OOXML reader takes from a package: cells, strings, styles, sheet layout, pictures,
// and how it tells a workbook from other ZIP files.

#include "engine/base/ReadError.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

Workbook read(const PackageWriter& package) {
    return xlsx::readPackage(package.bytes());
}

const Cell* cellAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const auto& cell : sheet.cells)
        if (cell.row == row && cell.col == col)
            return &cell;
    return nullptr;
}

ReadError::Kind failureKind(const PackageWriter& package) {
    try {
        read(package);
    } catch (const ReadError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "the package opened";
    return ReadError::Kind::Missing;
}

TEST(XlsxCells, EveryValueTypeAndInferredPositions) {
    const Workbook book = read(minimalWorkbook(
        {"<sheetData>"
         "<row r=\"1\"><c r=\"A1\"><v>1.5</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
         "<c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" t=\"e\"><v>#DIV/0!</v></c>"
         "<c r=\"E1\" t=\"str\"><f>A1&amp;\"x\"</f><v>1.5x</v></c>"
         "<c r=\"F1\" t=\"inlineStr\"><is><t>in_x000D_line</t></is></c>"
         "<c r=\"G1\" t=\"d\"><v>2021-01-01</v></c><c r=\"H1\" s=\"1\"/><c r=\"I1\"/>"
         "<c r=\"J1\"><f>1/0</f><v></v></c><c r=\"K1\"><v> </v></c></row>"
         // Positions inferred when r is missing, as some writers do.
         "<row><c><v>10</v></c><c><v>11</v></c><c r=\"E2\"><v>12</v></c><c><v>13</v></c></row>"
         "<row r=\"5\"><c r=\"XFE5\"><v>1</v></c><c r=\"A5\" t=\"e\"><v>#WHAT</v></c></row>"
         "</sheetData>"},
        "<si><t>zero</t></si><si><t>one</t></si>"));
    ASSERT_EQ(book.sheets.size(), 1u);
    const Sheet& sheet = book.sheets[0];
    EXPECT_EQ(cellAt(sheet, 0, 0)->number, 1.5);
    EXPECT_EQ(book.strings[cellAt(sheet, 0, 1)->text].text, "one");
    EXPECT_TRUE(cellAt(sheet, 0, 2)->boolean);
    EXPECT_EQ(cellAt(sheet, 0, 3)->error, CellError::Div0);
    const Cell* formula = cellAt(sheet, 0, 4);
    EXPECT_TRUE(formula->isFormula);
    EXPECT_EQ(book.strings[formula->text].text, "1.5x");
    EXPECT_EQ(book.strings[cellAt(sheet, 0, 5)->text].text, "in\rline");
    EXPECT_EQ(cellAt(sheet, 0, 6)->number, 44197);
    EXPECT_EQ(cellAt(sheet, 0, 7)->type, CellType::Empty); // formatted blank
    EXPECT_EQ(cellAt(sheet, 0, 8), nullptr);               // plain blank: nothing to keep
    EXPECT_EQ(cellAt(sheet, 0, 9)->type, CellType::Empty); // a formula, kept to compute
    EXPECT_EQ(cellAt(sheet, 0, 10), nullptr);              // a blank value is no number
    EXPECT_EQ(cellAt(sheet, 1, 0)->number, 10);
    EXPECT_EQ(cellAt(sheet, 1, 1)->number, 11);
    EXPECT_EQ(cellAt(sheet, 1, 4)->number, 12);
    EXPECT_EQ(cellAt(sheet, 1, 5)->number, 13);
    EXPECT_EQ(cellAt(sheet, 4, 0)->error, CellError::NA); // unknown error text
    EXPECT_EQ(sheet.cells.size(), 14u);                   // XFE5 lies outside the grid
}

TEST(XlsxStrings, RichRunsPhoneticsAndEscapes) {
    const Workbook book = read(minimalWorkbook(
        {"<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
         "<c r=\"B1\" t=\"inlineStr\"><is><r><t>x</t></r><r><rPr><i/></rPr><t>y</t></r></is></c>"
         "</row></sheetData>"},
        "<si><r><t>plain </t></r><r><rPr><b/><sz val=\"14\"/><color rgb=\"FFFF0000\"/>"
        "<rFont val=\"Arial\"/></rPr><t xml:space=\"preserve\">bold_x005F_x0041_</t></r>"
        "<rPh sb=\"0\" eb=\"1\"><t>ruby</t></rPh><phoneticPr fontId=\"0\"/></si>"
        "<si><t>a&amp;b&lt;</t><rPh><t>skip</t></rPh></si>"));
    ASSERT_EQ(book.strings.size(), 3u);
    const RichText& rich = book.strings[0];
    EXPECT_EQ(rich.text, "plain bold_x0041_");
    ASSERT_EQ(rich.runs.size(), 2u);
    EXPECT_EQ(rich.runs[0].start, 0u);
    EXPECT_EQ(rich.runs[1].start, 6u);
    const Font& bold = book.fonts.at(rich.runs[1].font);
    EXPECT_TRUE(bold.bold);
    EXPECT_EQ(bold.size, 14);
    EXPECT_EQ(bold.name, "Arial");
    EXPECT_EQ(bold.color, Color::fromRgb(0xFF0000));
    EXPECT_EQ(book.strings[1].text, "a&b<");
    EXPECT_TRUE(book.strings[1].runs.empty());
    EXPECT_EQ(book.strings[2].text, "xy");
    EXPECT_TRUE(book.fonts.at(book.strings[2].runs[1].font).italic);
}

TEST(XlsxStyles, TablesColoursAndAlignment) {
    PackageWriter package = minimalWorkbook(
        {"<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row></sheetData>"}, {},
        "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.0&quot;x&quot;\"/></numFmts>"
        "<fonts><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
        "<font><b/><i val=\"0\"/><strike/><u val=\"double\"/><vertAlign val=\"superscript\"/>"
        "<sz val=\"9.5\"/><color theme=\"4\" tint=\"0.3999755851924192\"/><name val=\"Arial\"/>"
        "</font></fonts>"
        "<fills><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill>"
        "<fill><patternFill patternType=\"solid\"><fgColor indexed=\"10\"/><bgColor "
        "indexed=\"64\"/>"
        "</patternFill></fill>"
        "<fill><gradientFill><stop position=\"0\"><color rgb=\"FF00FF00\"/></stop>"
        "<stop position=\"1\"><color rgb=\"FF0000FF\"/></stop></gradientFill></fill></fills>"
        "<borders><border/><border><left style=\"thin\"><color rgb=\"FF112233\"/></left>"
        "<right style=\"mediumDashDot\"/><top/><bottom style=\"double\"><color "
        "auto=\"1\"/></bottom>"
        "</border></borders>"
        "<cellStyleXfs><xf numFmtId=\"0\" fontId=\"1\"/></cellStyleXfs>"
        "<cellXfs><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
        "<xf numFmtId=\"164\" fontId=\"1\" fillId=\"2\" borderId=\"1\"><alignment "
        "horizontal=\"centerContinuous\" vertical=\"top\" wrapText=\"1\" indent=\"2\" "
        "textRotation=\"135\" shrinkToFit=\"true\"/></xf></cellXfs>"
        "<dxfs><dxf><font><b/></font><fill><patternFill patternType=\"solid\"/></fill></dxf></dxfs>"
        "<colors><indexedColors>" +
            [] {
                std::string palette;
                for (int i = 0; i < 11; ++i)
                    palette +=
                        i == 10 ? "<rgbColor rgb=\"FF010203\"/>" : "<rgbColor rgb=\"FF000000\"/>";
                return palette;
            }() +
            "</indexedColors></colors>");
    const Workbook book = read(package);
    EXPECT_EQ(book.numberFormats.at(164), "0.0\"x\"");
    ASSERT_EQ(book.fonts.size(), 2u);
    const Font& font = book.fonts[1];
    EXPECT_TRUE(font.bold);
    EXPECT_FALSE(font.italic);
    EXPECT_TRUE(font.strike);
    EXPECT_EQ(font.underline, Underline::Double);
    EXPECT_EQ(font.script, Script::Superscript);
    EXPECT_EQ(font.size, 9.5);
    EXPECT_EQ(font.color, Color::fromRgb(0x95B3D7)); // accent1 of the default theme, lighter 40%
    ASSERT_EQ(book.fills.size(), 4u);
    EXPECT_EQ(book.fills[1].pattern, FillPattern::Gray125);
    EXPECT_EQ(book.fills[2].pattern, FillPattern::Solid);
    EXPECT_EQ(book.fills[2].foreground, Color::fromRgb(0x010203)); // the overridden palette
    EXPECT_TRUE(book.fills[2].background.automatic);
    EXPECT_EQ(book.fills[3].pattern, FillPattern::Solid);
    EXPECT_EQ(book.fills[3].foreground, Color::fromRgb(0x00FF00));
    ASSERT_EQ(book.borders.size(), 2u);
    EXPECT_EQ(book.borders[1].left.style, BorderStyle::Thin);
    EXPECT_EQ(book.borders[1].left.color, Color::fromRgb(0x112233));
    EXPECT_EQ(book.borders[1].right.style, BorderStyle::MediumDashDot);
    EXPECT_EQ(book.borders[1].top.style, BorderStyle::None);
    EXPECT_EQ(book.borders[1].bottom.style, BorderStyle::Double);
    EXPECT_TRUE(book.borders[1].bottom.color.automatic);
    ASSERT_EQ(book.cellFormats.size(), 2u);
    const CellFormat& format = book.cellFormats[1];
    EXPECT_EQ(format.numFmtId, 164u);
    EXPECT_EQ(format.font, 1u);
    EXPECT_EQ(format.fill, 2u);
    EXPECT_EQ(format.alignment.horizontal, HAlign::CenterAcrossSelection);
    EXPECT_EQ(format.alignment.vertical, VAlign::Top);
    EXPECT_TRUE(format.alignment.wrap);
    EXPECT_TRUE(format.alignment.shrinkToFit);
    EXPECT_EQ(format.alignment.indent, 2);
    EXPECT_EQ(format.alignment.rotation, -45);
}

TEST(XlsxStyles, ThemePartColoursReplaceTheDefaults) {
    PackageWriter package = minimalWorkbook(
        {"<sheetData/>"}, {},
        "<fonts><font><color theme=\"1\"/></font><font><color theme=\"0\" tint=\"-0.5\"/></font>"
        "</fonts>");
    package.entries.emplace_back(
        "xl/theme/theme1.xml",
        "<a:theme "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
        "<a:clrScheme name=\"x\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"101010\"/></a:dk1>"
        "<a:lt1><a:srgbClr val=\"F0F0F0\"/></a:lt1></a:clrScheme></a:themeElements></a:theme>");
    for (auto& [name, content] : package.entries)
        if (name == "xl/_rels/workbook.xml.rels")
            content.insert(
                content.find("</Relationships>"),
                "<Relationship Id=\"rIdTh\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/theme\" Target=\"theme/theme1.xml\"/>");
    const Workbook book = read(package);
    EXPECT_EQ(book.fonts[0].color, Color::fromRgb(0x101010));
    EXPECT_EQ(book.fonts[1].color, Color::fromRgb(0x787878));
}

TEST(XlsxLayout, SizesMergesLinksAndView) {
    PackageWriter package = minimalWorkbook(
        {"<sheetViews><sheetView showGridLines=\"0\"/><sheetView/></sheetViews>"
         "<sheetFormatPr baseColWidth=\"10\" defaultRowHeight=\"20\"/>"
         "<cols><col min=\"3\" max=\"4\" width=\"20.5\" customWidth=\"1\" style=\"1\"/>"
         "<col min=\"1\" max=\"1\" hidden=\"1\"/><col min=\"4\" max=\"5\" width=\"3\"/>"
         "<col min=\"16000\" max=\"99999\" width=\"1\"/></cols>"
         "<sheetData><row r=\"3\" ht=\"30\" customHeight=\"1\"/><row r=\"2\" hidden=\"1\"/>"
         "<row r=\"4\" ht=\"20\"/><row r=\"7\" s=\"1\" customFormat=\"1\"/></sheetData>"
         "<mergeCells><mergeCell ref=\"A1:B2\"/><mergeCell ref=\"bogus\"/></mergeCells>"
         "<hyperlinks><hyperlink ref=\"A1\" r:id=\"rIdL\" tooltip=\"tip\"/>"
         "<hyperlink ref=\"B1:B3\" location=\"Sheet1!C3\"/>"
         "<hyperlink ref=\"C1\" r:id=\"rIdNone\"/></hyperlinks>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rIdL", "hyperlink", "https://example.com/a?b=1"}}));
    const Workbook book = read(package);
    const Sheet& sheet = book.sheets[0];
    EXPECT_FALSE(sheet.showGridLines);
    EXPECT_NEAR(sheet.defaultColumnWidth, 80.0 / 7, 1e-9); // 10 digits + padding, to 8 px
    EXPECT_EQ(sheet.defaultRowHeight, 20);
    ASSERT_EQ(sheet.columns.size(), 4u);
    EXPECT_TRUE(sheet.columns[0].hidden);
    EXPECT_EQ(sheet.columns[1].firstCol, 2);
    EXPECT_EQ(sheet.columns[1].lastCol, 3);
    EXPECT_EQ(sheet.columns[1].width, 20.5);
    EXPECT_EQ(sheet.columns[2].firstCol, 4); // the overlapping span keeps what is left
    EXPECT_EQ(sheet.columns[3].lastCol, 16383);
    ASSERT_EQ(sheet.rows.size(), 3u); // row 4 has only the default height to say
    EXPECT_TRUE(sheet.rows[0].hidden);
    EXPECT_EQ(sheet.rows[1].height, 30);
    EXPECT_TRUE(sheet.rows[1].customHeight);
    EXPECT_TRUE(sheet.rows[2].hasFormat);
    ASSERT_EQ(sheet.merges.size(), 1u);
    EXPECT_EQ(sheet.merges[0], (Range{0, 1, 0, 1}));
    ASSERT_EQ(sheet.hyperlinks.size(), 2u);
    EXPECT_EQ(sheet.hyperlinks[0].target, "https://example.com/a?b=1");
    EXPECT_EQ(sheet.hyperlinks[0].tooltip, "tip");
    EXPECT_EQ(sheet.hyperlinks[1].location, "Sheet1!C3");
    EXPECT_EQ(sheet.hyperlinks[1].range, (Range{0, 2, 1, 1}));
}

TEST(XlsxWorkbook, SheetKindsVisibilityAndDateSystem) {
    PackageWriter package;
    package.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "/xl/workbook.xml"}}));
    package.add("xl/workbook.xml",
                std::string("<workbook ") + testing_support::mainNs +
                    "><workbookPr date1904=\"true\"/><sheets>"
                    "<sheet name=\"W\" sheetId=\"1\" r:id=\"r1\"/>"
                    "<sheet name=\"C\" sheetId=\"2\" state=\"hidden\" r:id=\"r2\"/>"
                    "<sheet name=\"M\" sheetId=\"3\" state=\"veryHidden\" r:id=\"r3\"/>"
                    "<sheet name=\"D\" sheetId=\"4\" r:id=\"r4\"/></sheets></workbook>");
    package.add("xl/_rels/workbook.xml.rels",
                relationshipsXml({{"r1", "worksheet", "/xl/worksheets/sheet1.xml"},
                                  {"r2", "chartsheet", "chartsheets/sheet1.xml"},
                                  {"r3", "xlMacrosheet", "macrosheets/sheet1.xml"},
                                  {"r4", "dialogsheet", "dialogsheets/sheet1.xml"}}));
    package.add(
        "xl/worksheets/sheet1.xml",
        std::string("<worksheet ") + testing_support::mainNs +
            "><sheetData><row><c t=\"d\"><v>1904-01-02</v></c></row></sheetData></worksheet>");
    const Workbook book = read(package);
    ASSERT_EQ(book.sheets.size(), 4u);
    EXPECT_EQ(book.dateSystem, DateSystem::Date1904);
    EXPECT_EQ(book.sheets[0].cells.at(0).number, 1);
    EXPECT_EQ(book.sheets[1].kind, SheetKind::Chart);
    EXPECT_EQ(book.sheets[1].visibility, Visibility::Hidden);
    EXPECT_EQ(book.sheets[2].kind, SheetKind::Macro);
    EXPECT_EQ(book.sheets[2].visibility, Visibility::VeryHidden);
    EXPECT_EQ(book.sheets[3].kind, SheetKind::Dialog);
}

TEST(XlsxWorkbook, WithoutPackageRelationshipsTheUsualPlaceIsUsed) {
    PackageWriter package = minimalWorkbook({"<sheetData/>"});
    package.entries.erase(package.entries.begin()); // _rels/.rels
    EXPECT_EQ(read(package).sheets.size(), 1u);
}

const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(32, '\0');

TEST(XlsxPictures, AnchorsAndEmbeddedImagesOnly) {
    PackageWriter package = minimalWorkbook({"<sheetFormatPr defaultRowHeight=\"15\"/><cols><col "
                                             "min=\"1\" max=\"2\" width=\"10\"/></cols>"
                                             "<sheetData/><drawing r:id=\"rD\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    const std::string xdr =
        "<xdr:wsDr "
        "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">";
    const auto pic = [](const std::string& attribute, const std::string& xfrm) {
        return "<xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"2\" name=\"p\" descr=\"alt text\"/>"
               "</xdr:nvPicPr><xdr:blipFill><a:blip " +
               attribute +
               "/></xdr:blipFill>"
               "<xdr:spPr>" +
               xfrm + "</xdr:spPr></xdr:pic>";
    };
    package.add(
        "xl/drawings/drawing1.xml",
        xdr +
            // Size from the cells it spans: a column of 10 characters (70 px) and one of the
            // default width (64 px), less the start offset.
            "<xdr:twoCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>12700</xdr:colOff>"
            "<xdr:row>2</xdr:row><xdr:rowOff>25400</xdr:rowOff></xdr:from><xdr:to><xdr:col>3"
            "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>4</xdr:row><xdr:rowOff>0</xdr:rowOff>"
            "</xdr:to>" +
            pic("r:embed=\"rI\"", "") +
            "<xdr:clientData/></xdr:twoCellAnchor>"
            "<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff>"
            "<xdr:row>0</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from>"
            "<xdr:ext cx=\"1270000\" cy=\"635000\"/>" +
            pic("r:embed=\"rI\"", "") +
            "</xdr:oneCellAnchor>"
            "<mc:AlternateContent><mc:Choice Requires=\"a14\"><xdr:absoluteAnchor>"
            "<xdr:pos x=\"127000\" y=\"254000\"/><xdr:ext cx=\"1\" cy=\"1\"/>" +
            pic("r:embed=\"rI\"", "<a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"254000\" "
                                  "cy=\"127000\"/></a:xfrm>") +
            "</xdr:absoluteAnchor></mc:Choice><mc:Fallback><xdr:absoluteAnchor>"
            "<xdr:pos x=\"0\" y=\"0\"/>" +
            pic("r:embed=\"rI\"", "") +
            "</xdr:absoluteAnchor>"
            "</mc:Fallback></mc:AlternateContent>"
            // A linked image, an unknown format and a dangling id: none is taken.
            "<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from>" +
            pic("r:link=\"rX\"", "") + pic("r:embed=\"rE\"", "") + pic("r:embed=\"rNo\"", "") +
            "</xdr:oneCellAnchor></xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rI", "image", "../media/image1.png"},
                                  {"rX", "image", "https://example.com/tracker.png"},
                                  {"rE", "image", "../media/image2.emf"}}));
    package.add("xl/media/image1.png", png);
    package.add("xl/media/image2.emf", std::string(64, '\x01'));
    const Workbook book = read(package);
    const auto& pictures = book.sheets[0].pictures;
    ASSERT_EQ(pictures.size(), 3u);
    const Picture& spanning = pictures[0];
    EXPECT_EQ(spanning.mimeType, "image/png");
    EXPECT_EQ(spanning.data.size(), png.size());
    EXPECT_EQ(spanning.description, "alt text");
    EXPECT_EQ(spanning.anchor.col, 1);
    EXPECT_EQ(spanning.anchor.row, 2u);
    EXPECT_DOUBLE_EQ(spanning.anchor.colOffsetPt, 1);
    EXPECT_DOUBLE_EQ(spanning.anchor.rowOffsetPt, 2);
    EXPECT_DOUBLE_EQ(spanning.anchor.widthPt, 70 * 0.75 + 64 * 0.75 - 1);
    EXPECT_DOUBLE_EQ(spanning.anchor.heightPt, 30 - 2);
    EXPECT_DOUBLE_EQ(pictures[1].anchor.widthPt, 100);
    EXPECT_DOUBLE_EQ(pictures[1].anchor.heightPt, 50);
    EXPECT_DOUBLE_EQ(pictures[2].anchor.colOffsetPt, 10);
    EXPECT_DOUBLE_EQ(pictures[2].anchor.rowOffsetPt, 20);
    EXPECT_DOUBLE_EQ(pictures[2].anchor.widthPt, 20);
    EXPECT_DOUBLE_EQ(pictures[2].anchor.heightPt, 10);
}

TEST(XlsxRecognition, OtherZipFilesAreNotWorkbooks) {
    PackageWriter plain;
    plain.add("readme.txt", "hello");
    EXPECT_EQ(failureKind(plain), ReadError::Kind::NotWorkbook);
    EXPECT_EQ(failureKind(PackageWriter{}), ReadError::Kind::NotWorkbook);

    PackageWriter text;
    text.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "word/document.xml"}}));
    text.add("word/document.xml", "<w:document xmlns:w=\"urn:w\"><w:body/></w:document>");
    EXPECT_EQ(failureKind(text), ReadError::Kind::NotWorkbook);

    PackageWriter binary;
    binary.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "xl/workbook.bin"}}));
    binary.add("xl/workbook.bin", std::string("\x83\x01\x00", 3));
    EXPECT_EQ(failureKind(binary), ReadError::Kind::NotWorkbook);

    PackageWriter openDocument;
    openDocument.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    openDocument.add("content.xml", "<office:document-content xmlns:office=\"urn:o\"/>");
    EXPECT_EQ(failureKind(openDocument), ReadError::Kind::NotWorkbook);
}

} // namespace

// A picture tied to two cells keeps both corners, so a page can measure it on its own grid;
// one marked to keep its size keeps its shape's extent.
TEST(XlsxPictures, TwoCellAnchorsKeepTheirCornersUnlessSizedAlone) {
    PackageWriter package = minimalWorkbook({"<sheetData/><drawing r:id=\"rD\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    const std::string pic =
        "<xdr:pic><xdr:blipFill><a:blip r:embed=\"rI\"/></xdr:blipFill><xdr:spPr><a:xfrm>"
        "<a:ext cx=\"254000\" cy=\"127000\"/></a:xfrm></xdr:spPr></xdr:pic>";
    const std::string corners =
        "<xdr:from><xdr:col>2</xdr:col><xdr:colOff>25400</xdr:colOff><xdr:row>1</xdr:row>"
        "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>5</xdr:col><xdr:colOff>12700"
        "</xdr:colOff><xdr:row>7</xdr:row><xdr:rowOff>38100</xdr:rowOff></xdr:to>";
    package.add("xl/drawings/drawing1.xml",
                "<xdr:wsDr "
                "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\""
                " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<xdr:twoCellAnchor>" +
                    corners + pic +
                    "<xdr:clientData/></xdr:twoCellAnchor><xdr:twoCellAnchor editAs=\"oneCell\">" +
                    corners + pic + "<xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rI", "image", "../media/image1.png"}}));
    package.add("xl/media/image1.png", png);
    const Workbook book = read(package);
    const auto& pictures = book.sheets[0].pictures;
    ASSERT_EQ(pictures.size(), 2u);
    const Anchor& stretching = pictures[0].anchor;
    EXPECT_TRUE(stretching.twoCell);
    EXPECT_EQ(stretching.toCol, 5);
    EXPECT_EQ(stretching.toRow, 7u);
    EXPECT_DOUBLE_EQ(stretching.colOffsetPt, 2);
    EXPECT_DOUBLE_EQ(stretching.toColOffsetPt, 1);
    EXPECT_DOUBLE_EQ(stretching.toRowOffsetPt, 3);
    const Anchor& kept = pictures[1].anchor;
    EXPECT_FALSE(kept.twoCell);
    EXPECT_DOUBLE_EQ(kept.widthPt, 20);
    EXPECT_DOUBLE_EQ(kept.heightPt, 10);
}

namespace {

PackageWriter withCoreProperties(PackageWriter package, const std::string& core) {
    package.add("_rels/.rels",
                relationshipsXml({{"rId1", "officeDocument", "xl/workbook.xml"},
                                  {"rId2",
                                   "http://schemas.openxmlformats.org/package/2006/relationships/"
                                   "metadata/core-properties",
                                   "docProps/core.xml"}}));
    package.add("docProps/core.xml", core);
    return package;
}

TEST(XlsxHeaders, FrozenPanesCountHeaderRowsAndColumnsSplitPanesDoNot) {
    const Workbook book = read(minimalWorkbook(
        {"<sheetViews><sheetView><pane xSplit=\"1\" ySplit=\"2\" topLeftCell=\"B3\" "
         "state=\"frozen\"/></sheetView></sheetViews>",
         "<sheetViews><sheetView><pane xSplit=\"2400\" ySplit=\"1800\" state=\"split\"/>"
         "</sheetView></sheetViews>",
         "<sheetViews><sheetView><pane ySplit=\"1e9\" state=\"frozen\"/></sheetView>"
         "</sheetViews>"}));
    EXPECT_EQ(book.sheets[0].frozenRows, 2u);
    EXPECT_EQ(book.sheets[0].frozenColumns, 1u);
    EXPECT_EQ(book.sheets[1].frozenRows, 0u);
    EXPECT_EQ(book.sheets[1].frozenColumns, 0u);
    EXPECT_EQ(book.sheets[2].frozenRows, 0u); // beyond the grid: damage, not headers
}

TEST(XlsxHeaders, TheCorePropertiesNameTheLanguage) {
    const std::string core = "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/"
                             "package/2006/metadata/core-properties\" "
                             "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                             "<dc:title>T</dc:title><dc:language> he-IL </dc:language>"
                             "</cp:coreProperties>";
    EXPECT_EQ(read(withCoreProperties(minimalWorkbook({""}), core)).language, "he-IL");
    EXPECT_EQ(read(minimalWorkbook({""})).language, "");
    // A damaged core part costs the language, never the workbook.
    EXPECT_EQ(read(withCoreProperties(minimalWorkbook({""}), "<cp:coreProperties")).language, "");
}

} // namespace
