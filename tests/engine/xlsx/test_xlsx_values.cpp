// The small decoders of the OOXML reader: references, escapes, dates, colours, part names.

#include "engine/package/Colors.h"
#include "engine/package/Relationships.h"
#include "engine/package/XmlValues.h"
#include "engine/zip/ZipArchive.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace engine;
using engine::util::applyTint;

namespace {

TEST(XlsxCellRef, ParsesReferencesAndRejectsGarbage) {
    struct Row {
        const char* text;
        package::RefStatus status;
        std::uint32_t row;
        std::uint16_t col;
    };
    const Row rows[] = {
        {"A1", package::RefStatus::Ok, 0, 0},
        {"$B$7", package::RefStatus::Ok, 6, 1},
        {"xfd1048576", package::RefStatus::Ok, 1048575, 16383},
        {"XFE1", package::RefStatus::OutsideGrid, 0, 0},
        {"A1048577", package::RefStatus::OutsideGrid, 0, 0},
        {"ZZZZZZZZ1", package::RefStatus::OutsideGrid, 0, 0},
        {"A0", package::RefStatus::Malformed, 0, 0},
        {"1A", package::RefStatus::Malformed, 0, 0},
        {"A", package::RefStatus::Malformed, 0, 0},
        {"A1B", package::RefStatus::Malformed, 0, 0},
        {"", package::RefStatus::Malformed, 0, 0},
        {"A99999999999999999999", package::RefStatus::Malformed, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        package::CellPosition position;
        ASSERT_EQ(package::parseCellRef(row.text, position), row.status);
        if (row.status == package::RefStatus::Ok) {
            EXPECT_EQ(position.row, row.row);
            EXPECT_EQ(position.col, row.col);
        }
    }
}

TEST(XlsxCellRef, RangesAreNormalised) {
    const auto range = package::parseRange("C5:A1");
    ASSERT_TRUE(range);
    EXPECT_EQ(*range, (engine::Range{0, 4, 0, 2}));
    EXPECT_EQ(*package::parseRange("B2"), (engine::Range{1, 1, 1, 1}));
    EXPECT_FALSE(package::parseRange("A1:"));
    EXPECT_FALSE(package::parseRange("A1:XFE3"));
}

TEST(XlsxEscapes, DecodeLikeTheApplication) {
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"ABC_x000D_\nDEF", "ABC\r\nDEF"},
        {"_x005F_x000D_", "_x000D_"},           // an escaped escape stays literal
        {"_xD83D__xDE00_", "\xF0\x9F\x98\x80"}, // surrogate pair joined
        {"_xD83D_x", "\xEF\xBF\xBD"
                     "x"}, // lone surrogate replaced
        {"_x00e9_t_x00E9_", "\xC3\xA9t\xC3\xA9"},
        {"_x12_ and _xZZZZ_ stay", "_x12_ and _xZZZZ_ stay"},
        {"no escapes", "no escapes"},
    };
    for (const Row& row : rows) {
        std::string text = row.in;
        package::decodeEscapes(text);
        EXPECT_EQ(text, row.out) << row.in;
    }
}

TEST(XlsxIsoDates, BecomeSerialsOfEitherDateSystem) {
    using engine::DateSystem;
    EXPECT_DOUBLE_EQ(*package::isoDateToSerial("2021-01-01", DateSystem::Date1900), 44197);
    EXPECT_DOUBLE_EQ(*package::isoDateToSerial("2021-01-01", DateSystem::Date1904), 44197 - 1462);
    EXPECT_NEAR(*package::isoDateToSerial("2021-01-01T10:10:10", DateSystem::Date1900),
                44197 + (10 * 3600 + 10 * 60 + 10) / 86400.0, 1e-9);
    EXPECT_NEAR(*package::isoDateToSerial("10:10:10", DateSystem::Date1900), 36610 / 86400.0, 1e-9);
    EXPECT_NEAR(*package::isoDateToSerial("2021-01-01T12:00:00.5Z", DateSystem::Date1900),
                44197.5 + 0.5 / 86400, 1e-9);
    // The 1900 system's phantom 29 February shifts everything from March 1900 on.
    EXPECT_DOUBLE_EQ(*package::isoDateToSerial("1900-01-01", DateSystem::Date1900), 1);
    EXPECT_DOUBLE_EQ(*package::isoDateToSerial("1900-02-28", DateSystem::Date1900), 59);
    EXPECT_DOUBLE_EQ(*package::isoDateToSerial("1900-03-01", DateSystem::Date1900), 61);
    EXPECT_FALSE(package::isoDateToSerial("1903-12-31", DateSystem::Date1904));
    EXPECT_FALSE(package::isoDateToSerial("2021-02-29", DateSystem::Date1900));
    EXPECT_FALSE(package::isoDateToSerial("2021-13-01", DateSystem::Date1900));
    EXPECT_FALSE(package::isoDateToSerial("yesterday", DateSystem::Date1900));
    EXPECT_FALSE(package::isoDateToSerial("2021-01-01T25:00", DateSystem::Date1900));
}

TEST(XlsxNumbers, StrictParsing) {
    EXPECT_DOUBLE_EQ(*package::parseNumber(" 1.5E+300 "), 1.5e300);
    EXPECT_DOUBLE_EQ(*package::parseNumber("-0.25"), -0.25);
    EXPECT_FALSE(package::parseNumber(""));
    EXPECT_FALSE(package::parseNumber("1,5"));
    EXPECT_FALSE(package::parseNumber("nan"));
    EXPECT_FALSE(package::parseNumber("1e999"));
    EXPECT_EQ(*package::parseUnsigned("42", 100), 42u);
    EXPECT_FALSE(package::parseUnsigned("101", 100));
    EXPECT_FALSE(package::parseUnsigned("-1", 100));
    EXPECT_TRUE(package::parseBool("true", false));
    EXPECT_FALSE(package::parseBool("0", true));
    EXPECT_TRUE(package::parseBool("maybe", true));
}

TEST(XlsxColors, TintsMatchTheApplicationsSwatches) {
    // Values from the application's colour picker for the default theme.
    EXPECT_EQ(applyTint(0xFFFFFF, -0.1499984740745262), 0xD9D9D9u); // Background 1, darker 15%
    EXPECT_EQ(applyTint(0x000000, 0.499984740745262), 0x7F7F7Fu);   // Text 1, lighter 50%
    EXPECT_EQ(applyTint(0x4F81BD, 0.3999755851924192), 0x95B3D7u);  // Accent 1, lighter 40%
    // Accent 1, darker 25%: the picker shows 366092; our rounding gives a red one unit higher.
    const std::uint32_t darker = applyTint(0x4F81BD, -0.249977111117893);
    EXPECT_LE(std::abs(static_cast<int>(darker >> 16) - 0x36), 1);
    EXPECT_EQ(darker & 0xFFFF, 0x6092u);
    EXPECT_EQ(applyTint(0xC0504D, 0.7999816888943144), 0xF2DCDBu); // Accent 2, lighter 80%
    EXPECT_EQ(applyTint(0x123456, 0), 0x123456u);
}

TEST(XlsxColors, ThemeIndexesCountLightBeforeDark) {
    package::Colors colors;
    colors.setScheme({0x111111, 0xEEEEEE, 0x222222, 0xDDDDDD, 1, 2, 3, 4, 5, 6, 7, 8});
    const auto resolve = [&](std::vector<const char*> raw) {
        raw.push_back(nullptr);
        return colors.resolve(engine::xml::Attributes(raw.data()));
    };
    EXPECT_EQ(resolve({"theme", "0"}), engine::Color::fromRgb(0xEEEEEE)); // lt1
    EXPECT_EQ(resolve({"theme", "1"}), engine::Color::fromRgb(0x111111)); // dk1
    EXPECT_EQ(resolve({"theme", "2"}), engine::Color::fromRgb(0xDDDDDD)); // lt2
    EXPECT_EQ(resolve({"theme", "3"}), engine::Color::fromRgb(0x222222)); // dk2
    EXPECT_EQ(resolve({"theme", "11"}), engine::Color::fromRgb(8));       // folHlink
    EXPECT_TRUE(resolve({"theme", "12"}).automatic);
    EXPECT_EQ(resolve({"rgb", "FF00B050"}), engine::Color::fromRgb(0x00B050));
    EXPECT_EQ(resolve({"rgb", "00B050"}), engine::Color::fromRgb(0x00B050));
    EXPECT_EQ(resolve({"indexed", "10"}), engine::Color::fromRgb(0xFF0000));
    EXPECT_TRUE(resolve({"indexed", "64"}).automatic); // system foreground
    EXPECT_TRUE(resolve({"auto", "1"}).automatic);
    colors.setIndexed(10, 0x123456);
    EXPECT_EQ(resolve({"indexed", "10"}), engine::Color::fromRgb(0x123456));
}

TEST(XlsxPartNames, TargetsResolveAgainstTheirPart) {
    struct Row {
        const char* source;
        const char* target;
        const char* part;
    };
    const Row rows[] = {
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"", "/xl/workbook.xml", "xl/workbook.xml"},
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/drawings/drawing1.xml", "../media/image1.png", "xl/media/image1.png"},
        {"xl/workbook.xml", "worksheets\\sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "./my%20sheet.xml", "xl/my sheet.xml"},
        {"xl/workbook.xml", "../../../etc/passwd", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(package::resolveTarget(row.source, row.target), row.part) << row.target;
    EXPECT_EQ(package::relationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(package::relationshipsPartOf(""), "_rels/.rels");
}

TEST(XlsxPartNames, RelationshipsAreFoundByIdTheFirstOfTwoWinning) {
    std::vector<std::tuple<std::string, std::string, std::string>> rels;
    for (int i = 3000; i > 0; --i) // ids out of order, as some writers leave them
        rels.emplace_back("rId" + std::to_string(i), "worksheet",
                          "worksheets/sheet" + std::to_string(i) + ".xml");
    rels.emplace_back("rId7", "worksheet", "worksheets/second.xml");
    testing_support::PackageWriter writer;
    writer.add("xl/_rels/workbook.xml.rels", testing_support::relationshipsXml(rels));
    const std::vector<std::uint8_t> bytes = writer.bytes();
    const engine::zip::ZipArchive archive(bytes);
    const auto relationships = package::Relationships::read(archive, "xl/workbook.xml");
    ASSERT_NE(relationships.byId("rId1"), nullptr);
    EXPECT_EQ(relationships.byId("rId1")->target, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(relationships.byId("rId3000")->target, "xl/worksheets/sheet3000.xml");
    EXPECT_EQ(relationships.byId("rId7")->target, "xl/worksheets/sheet7.xml");
    EXPECT_EQ(relationships.byId("rId0"), nullptr);
    EXPECT_EQ(relationships.byId("rid1"), nullptr); // ids are case-sensitive
    EXPECT_EQ(relationships.byId(""), nullptr);
}

} // namespace
