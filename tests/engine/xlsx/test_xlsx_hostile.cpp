// Broken and hostile packages end in a ReadError that says what is wrong, never in a crash, a
// hang or unbounded memory.

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <cstring>
#include <gtest/gtest.h>

using engine::ReadError;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;

namespace {

// The error reading `bytes` raises; fails the test when it opens.
ReadError failure(const std::vector<std::uint8_t>& bytes) {
    try {
        engine::xlsx::readPackage(bytes);
    } catch (const ReadError& error) {
        return error;
    }
    ADD_FAILURE() << "the package opened";
    return ReadError(ReadError::Kind::Missing, "");
}

void expectDamaged(const std::vector<std::uint8_t>& bytes, const std::string& detailPart) {
    const ReadError error = failure(bytes);
    EXPECT_EQ(error.kind(), ReadError::Kind::Damaged) << error.detail();
    EXPECT_NE(error.detail().find(detailPart), std::string::npos) << error.detail();
}

PackageWriter withSheet(const std::string& body) {
    return minimalWorkbook({body});
}

PackageWriter without(PackageWriter package, const std::string& name) {
    std::erase_if(package.entries, [&](const auto& entry) { return entry.first == name; });
    return package;
}

// Rewrites the uncompressed size that the local and central headers of `name` declare.
void patchDeclaredSize(std::vector<std::uint8_t>& bytes, const std::string& name,
                       std::uint32_t size) {
    const auto put = [&](std::size_t at) { std::memcpy(&bytes[at], &size, 4); };
    for (std::size_t p = 0; p + 46 < bytes.size(); ++p) {
        if (bytes[p] != 'P' || bytes[p + 1] != 'K')
            continue;
        if (bytes[p + 2] == 3 && bytes[p + 3] == 4 &&
            std::memcmp(&bytes[p + 30], name.data(), name.size()) == 0)
            put(p + 22);
        if (bytes[p + 2] == 1 && bytes[p + 3] == 2 &&
            std::memcmp(&bytes[p + 46], name.data(), name.size()) == 0)
            put(p + 24);
    }
}

TEST(XlsxHostile, ZipBombEntryIsStoppedByItsCompressionRatio) {
    PackageWriter package = withSheet("<sheetData/>");
    package.add("xl/sharedStrings.xml", std::string(64u << 20, ' '));
    auto& rels = package.entries[package.entries.size() - 2].second;
    ASSERT_NE(rels.find("</Relationships>"), std::string::npos);
    rels.insert(rels.find("</Relationships>"),
                "<Relationship Id=\"rS\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                "2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>");
    expectDamaged(package.bytes(), "inflates more than");
}

TEST(XlsxHostile, EntryLargerThanItsDeclaredSizeIsDamaged) {
    std::string rows;
    for (int i = 1; i <= 2000; ++i)
        rows +=
            "<row r=\"" + std::to_string(i) + "\"><c><v>" + std::to_string(i) + "</v></c></row>";
    auto bytes = withSheet("<sheetData>" + rows + "</sheetData>").bytes();
    patchDeclaredSize(bytes, "xl/worksheets/sheet1.xml", 100);
    expectDamaged(bytes, "xl/worksheets/sheet1.xml");
}

TEST(XlsxHostile, TruncatedOrGarbledArchivesAreDamaged) {
    const auto whole = withSheet("<sheetData><row><c><v>1</v></c></row></sheetData>").bytes();
    for (const std::size_t keep :
         {std::size_t{4}, std::size_t{30}, whole.size() / 2, whole.size() - 10})
        EXPECT_EQ(failure({whole.begin(), whole.begin() + static_cast<long>(keep)}).kind(),
                  ReadError::Kind::Damaged)
            << keep;
    auto garbled = whole;
    for (std::size_t i = 40; i < garbled.size(); i += 7)
        garbled[i] ^= 0x5A;
    const ReadError error = failure(garbled);
    EXPECT_TRUE(error.kind() == ReadError::Kind::Damaged ||
                error.kind() == ReadError::Kind::NotWorkbook)
        << error.detail();
}

TEST(XlsxHostile, PasswordProtectedArchiveIsEncrypted) {
    PackageWriter package = withSheet("<sheetData/>");
    package.password = "secret";
    const ReadError error = failure(package.bytes());
    EXPECT_EQ(error.kind(), ReadError::Kind::Encrypted) << error.detail();
}

TEST(XlsxHostile, DeepNestingIsRefused) {
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<x>";
    expectDamaged(withSheet("<sheetData/>" + deep).bytes(), "nested deeper");
}

TEST(XlsxHostile, DoctypeAndEntitiesAreNeverExpanded) {
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
        "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
        "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">]>";
    PackageWriter package = withSheet("<sheetData/>");
    for (auto& [name, content] : package.entries)
        if (name == "xl/worksheets/sheet1.xml")
            content = laughs + content.substr(0, content.size() - 12) +
                      "<sheetData><row><c t=\"inlineStr\"><is><t>&lol3;</t></is></c></row>"
                      "</sheetData></worksheet>";
    expectDamaged(package.bytes(), "DOCTYPE");

    PackageWriter external = withSheet("<sheetData/>");
    external.entries[1].second = "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM "
                                 "\"file:///etc/passwd\">]><workbook>&x;</workbook>";
    ASSERT_EQ(external.entries[1].first, "xl/worksheets/sheet1.xml");
    expectDamaged(external.bytes(), "DOCTYPE");
}

TEST(XlsxHostile, MissingPartsAreNamed) {
    const PackageWriter good = withSheet("<sheetData/>");
    expectDamaged(without(good, "xl/_rels/workbook.xml.rels").bytes(), "workbook.xml.rels");
    expectDamaged(without(good, "xl/worksheets/sheet1.xml").bytes(), "xl/worksheets/sheet1.xml");
    expectDamaged(without(good, "xl/workbook.xml").bytes(), "xl/workbook.xml");

    PackageWriter noSheets = good;
    noSheets.entries.back().second = testing_support::relationshipsXml({});
    expectDamaged(noSheets.bytes(), "rId1");

    PackageWriter escaping = good;
    escaping.entries.back().second =
        testing_support::relationshipsXml({{"rId1", "worksheet", "../../../../sheet.xml"}});
    expectDamaged(escaping.bytes(), "missing");

    PackageWriter unknownKind = good;
    unknownKind.entries.back().second =
        testing_support::relationshipsXml({{"rId1", "urn:other/thing", "worksheets/sheet1.xml"}});
    expectDamaged(unknownKind.bytes(), "unknown type");
}

TEST(XlsxHostile, MalformedXmlNamesPartLineAndColumn) {
    expectDamaged(withSheet("<sheetData><row>\n<c></row></sheetData>").bytes(),
                  "'xl/worksheets/sheet1.xml' at line 2, column");
    expectDamaged(withSheet("<sheetData><row><c r=\"1A\"><v>1</v></c></row></sheetData>").bytes(),
                  "cell reference '1A'");
    expectDamaged(withSheet("<sheetData><row><c r=\"A1\"><v>one</v></c></row></sheetData>").bytes(),
                  "cell A1 holds 'one' where a number was expected");
    expectDamaged(withSheet("<sheetData><row r=\"-3\"/></sheetData>").bytes(), "row number");
}

TEST(XlsxHostile, HugeClaimsAreNotTrusted) {
    // A dimension, a row number and a column span far past anything real: nothing is allocated
    // by them, and cells past the grid are left out.
    const auto book = engine::xlsx::readPackage(
        withSheet(
            "<dimension ref=\"A1:XFD1048576\"/><cols><col min=\"1\" max=\"4294967295\" "
            "width=\"1e308\"/></cols><sheetData><row r=\"99999999\"><c><v>1</v></c></row>"
            "<row r=\"1\" ht=\"1e300\"><c r=\"XFD1048576\"><v>2</v></c></row></sheetData>"
            "<mergeCells count=\"4000000000\"><mergeCell ref=\"A1:XFD1048576\"/></mergeCells>")
            .bytes());
    const auto& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.cells.size(), 1u);
    EXPECT_EQ(sheet.cells[0].row, engine::limits::maxRows - 1);
    ASSERT_EQ(sheet.columns.size(), 1u);
    EXPECT_EQ(sheet.columns[0].lastCol, engine::limits::maxColumns - 1);
    EXPECT_LE(sheet.columns[0].width, 65535);
    EXPECT_EQ(sheet.merges.size(), 1u);
}

TEST(XlsxHostile, OverlongFontNamesAreCutBetweenCharactersAndHugeSizesIgnored) {
    std::string name;
    for (int i = 0; i < 200; ++i)
        name += "\xC3\xA9"; // two bytes each, so the cut falls inside one unless it is careful
    const auto book = engine::xlsx::readPackage(
        minimalWorkbook({"<sheetData/>"}, {},
                        "<fonts><font><sz val=\"11\"/><name val=\"Calibri\"/></font><font><sz "
                        "val=\"1e9\"/><name val=\"" +
                            name + "\"/></font></fonts>")
            .bytes());
    const engine::Font& font = book.fonts.at(1);
    EXPECT_EQ(font.name, name.substr(0, engine::limits::maxFontNameBytes - 1));
    EXPECT_LT(font.size, engine::limits::maxFontPoints);
}

TEST(XlsxHostile, OverlongStringIsRefused) {
    const std::string text(engine::limits::maxTextBytes + 10, 'a');
    expectDamaged(withSheet("<sheetData><row><c t=\"inlineStr\"><is><t>" + text +
                            "</t></is></c></row></sheetData>")
                      .bytes(),
                  "longer than");
}

} // namespace
