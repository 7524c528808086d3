// Hostile and broken OpenDocument files: each gets a clear error, or is read with bounded
// work, never a crash, a hang or unbounded memory.

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/ods/OdsReader.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/ods/OdsBuilder.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::odsContent;
using testing_support::odsPackage;
using testing_support::odsTable;
using testing_support::PackageWriter;

namespace {

ReadError failure(const std::vector<std::uint8_t>& bytes) {
    try {
        readWorkbookBytes(bytes);
    } catch (const ReadError& error) {
        return error;
    }
    ADD_FAILURE() << "the file opened";
    return ReadError(ReadError::Kind::Missing, "");
}

void expectFailure(const std::vector<std::uint8_t>& bytes, ReadError::Kind kind,
                   const std::string& detailPart) {
    const ReadError error = failure(bytes);
    EXPECT_EQ(static_cast<int>(error.kind()), static_cast<int>(kind)) << error.detail();
    EXPECT_NE(error.detail().find(detailPart), std::string::npos) << error.detail();
}

std::vector<std::uint8_t> packageOf(const std::string& rows) {
    return odsPackage(odsContent(odsTable(rows))).bytes();
}

TEST(OdsHostile, ABillionEmptyRowsAndColumnsCostNothing) {
    const std::string empty = "<table:table-column table:number-columns-repeated=\"999999999\"/>"
                              "<table:table-row table:number-rows-repeated=\"999999999\">"
                              "<table:table-cell table:number-columns-repeated=\"999999999\"/>"
                              "</table:table-row>";
    const Workbook book = readWorkbookBytes(packageOf(empty));
    EXPECT_TRUE(book.sheets.at(0).cells.empty());
    EXPECT_LE(book.sheets.at(0).columns.size(), 1u);
    // A value after them lies past the last row, which no sheet has.
    expectFailure(packageOf(empty + "<table:table-row><table:table-cell office:value-type="
                                    "\"float\" office:value=\"1\"/></table:table-row>"),
                  ReadError::Kind::Damaged, "content past the last row");
}

TEST(OdsHostile, AFormattedAreaToTheEndOfTheSheetIsNotMaterialised) {
    const std::string styles = "<style:style style:name=\"f\" style:family=\"table-cell\">"
                               "<style:table-cell-properties fo:background-color=\"#ff0000\"/>"
                               "</style:style>";
    const Workbook book = readWorkbookBytes(
        odsPackage(odsContent(odsTable("<table:table-row table:number-rows-repeated=\"1048576\">"
                                       "<table:table-cell table:style-name=\"f\" "
                                       "table:number-columns-repeated=\"16384\"/>"
                                       "</table:table-row>"),
                              styles))
            .bytes());
    EXPECT_TRUE(book.sheets.at(0).cells.empty());
    // A small formatted area shows.
    const Workbook small = readWorkbookBytes(
        odsPackage(odsContent(odsTable("<table:table-row table:number-rows-repeated=\"3\">"
                                       "<table:table-cell table:style-name=\"f\" "
                                       "table:number-columns-repeated=\"2\"/></table:table-row>"),
                              styles))
            .bytes());
    EXPECT_EQ(small.sheets.at(0).cells.size(), 6u);
}

TEST(OdsHostile, ContentRepeatedPastTheSheetOrTheCellLimitIsDamaged) {
    expectFailure(packageOf("<table:table-row><table:table-cell table:number-columns-repeated="
                            "\"16385\" office:value-type=\"float\" office:value=\"1\"/>"
                            "</table:table-row>"),
                  ReadError::Kind::Damaged, "reaches past the last column");
    expectFailure(packageOf("<table:table-row table:number-rows-repeated=\"1048577\">"
                            "<table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
                            "</table:table-row>"),
                  ReadError::Kind::Damaged, "reaches past the last row");
    // 16384 values in each of 4,000 rows: more cells than a workbook may hold.
    expectFailure(packageOf("<table:table-row table:number-rows-repeated=\"4000\">"
                            "<table:table-cell table:number-columns-repeated=\"16384\" "
                            "office:value-type=\"float\" office:value=\"1\"/></table:table-row>"),
                  ReadError::Kind::Damaged, "cells");
}

TEST(OdsHostile, DeepNestingIsRefused) {
    std::string deep;
    for (std::size_t i = 0; i <= limits::maxXmlDepth; ++i)
        deep += "<text:span>";
    expectFailure(packageOf("<table:table-row><table:table-cell><text:p>" + deep +
                            "</text:p></table:table-cell></table:table-row>"),
                  ReadError::Kind::Damaged, "content.xml");
}

TEST(OdsHostile, AContentBombIsStoppedByItsCompressionRatio) {
    PackageWriter package = odsPackage(std::string(64u << 20, ' '));
    expectFailure(package.bytes(), ReadError::Kind::Damaged, "inflates more than");
}

TEST(OdsHostile, AHugeSpaceCountIsBoundedByTheTextLimit) {
    const Workbook book = readWorkbookBytes(packageOf(
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>a"
        "<text:s text:c=\"999999999999\"/>b</text:p></table:table-cell></table:table-row>"));
    ASSERT_EQ(book.sheets.at(0).cells.size(), 1u);
    EXPECT_LE(book.strings.at(0).text.size(), limits::maxTextBytes);
}

TEST(OdsBroken, EncryptedOtherKindsAndMissingParts) {
    PackageWriter encrypted;
    encrypted.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    encrypted.add("META-INF/manifest.xml",
                  "<manifest:manifest "
                  "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                  "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-"
                  "data manifest:checksum=\"x\"/></manifest:file-entry></manifest:manifest>");
    encrypted.add("content.xml", std::string("\x13\x88\xfe\x01", 4));
    expectFailure(encrypted.bytes(), ReadError::Kind::Encrypted, "encrypted");

    PackageWriter text;
    text.add("mimetype", "application/vnd.oasis.opendocument.text");
    text.add("content.xml", odsContent(""));
    expectFailure(text.bytes(), ReadError::Kind::NotWorkbook, "opendocument.text");

    PackageWriter noContent;
    noContent.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    expectFailure(noContent.bytes(), ReadError::Kind::Damaged, "content.xml");

    expectFailure(odsPackage(odsContent("")).bytes(), ReadError::Kind::Damaged, "no tables");
    expectFailure(odsPackage("<office:document-content xmlns:office=\"urn:other\"/>").bytes(),
                  ReadError::Kind::NotWorkbook, "not an OpenDocument document");
}

TEST(OdsBroken, TruncatedFilesAreDamaged) {
    const std::string content = odsContent(odsTable(
        "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
        "</table:table-row>"));
    expectFailure(odsPackage(content.substr(0, content.size() / 2)).bytes(),
                  ReadError::Kind::Damaged, "content.xml");

    std::vector<std::uint8_t> package = odsPackage(content).bytes();
    package.resize(package.size() - 30);
    EXPECT_EQ(failure(package).kind(), ReadError::Kind::Damaged);

    const std::string flat = std::string("<?xml version=\"1.0\"?><office:document ") +
                             testing_support::odsNamespaces + "><office:body><office:spreadsheet>";
    expectFailure(std::vector<std::uint8_t>(flat.begin(), flat.end()), ReadError::Kind::Damaged,
                  "the document");
}

TEST(OdsBroken, OutOfRangeValuesAreLeftOutNotTrusted) {
    const Workbook book = readWorkbookBytes(packageOf(
        "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1e999\"/>"
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2021-13-45\"/>"
        "<table:table-cell office:value-type=\"time\" office:time-value=\"PTxyzS\"/>"
        "<table:table-cell table:number-columns-spanned=\"99999999\" "
        "table:number-rows-spanned=\"99999999\" office:value-type=\"float\" office:value=\"2\"/>"
        "</table:table-row>"));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.cells.size(), 1u);
    ASSERT_EQ(sheet.merges.size(), 1u);
    EXPECT_LT(sheet.merges[0].lastRow, limits::maxRows);
    EXPECT_LT(sheet.merges[0].lastCol, limits::maxColumns);
}

} // namespace
