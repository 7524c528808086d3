// Broken and hostile binary workbooks end in a ReadError that says what is wrong, never in a
// crash, a hang or unbounded memory.

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xlsb/XlsbReader.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <gtest/gtest.h>

using engine::ReadError;
using namespace testing_support;

namespace {

ReadError failure(const std::vector<std::uint8_t>& bytes) {
    try {
        engine::readWorkbookBytes(bytes);
    } catch (const ReadError& error) {
        return error;
    }
    ADD_FAILURE() << "the package opened";
    return ReadError(ReadError::Kind::Missing, "");
}

void expectDamaged(const PackageWriter& package, const std::string& detailPart) {
    const ReadError error = failure(package.bytes());
    EXPECT_EQ(error.kind(), ReadError::Kind::Damaged) << error.detail();
    EXPECT_NE(error.detail().find(detailPart), std::string::npos) << error.detail();
}

BinarySheet sheetWith(const std::string& rows) {
    BinarySheet sheet;
    sheet.name = "S";
    sheet.records = sheetData(rows);
    return sheet;
}

PackageWriter replaced(PackageWriter package, const std::string& name, std::string content) {
    for (auto& [entry, bytes] : package.entries)
        if (entry == name)
            bytes = std::move(content);
    return package;
}

PackageWriter without(PackageWriter package, const std::string& name) {
    std::erase_if(package.entries, [&](const auto& entry) { return entry.first == name; });
    return package;
}

TEST(XlsbHostile, TruncatedRecordsNameThePartAndOffset) {
    const std::string rows = rowHeader(0) + RecordWriter().add(5, Fields().cell(0).f64(1)).bytes;
    const PackageWriter good = binaryWorkbook({sheetWith(rows)});
    const std::string sheet = sheetRecords(sheetData(rows));
    // Cut inside the last record's body: the part ends inside a record.
    expectDamaged(replaced(good, "xl/worksheets/sheet1.bin", sheet.substr(0, sheet.size() - 9)),
                  "xl/worksheets/sheet1.bin");
    // A cell record whose body is shorter than its fields.
    const std::string shortCell = sheetRecords(
        sheetData(rowHeader(0) + RecordWriter().add(5, Fields().cell(0).u32(0)).bytes));
    expectDamaged(replaced(good, "xl/worksheets/sheet1.bin", shortCell), "BrtCellReal record");
    // A sheet entry cut short.
    const std::string book = RecordWriter().add(131).add(156, Fields().u32(0).u32(1)).bytes;
    expectDamaged(replaced(good, "xl/workbook.bin", book), "BrtBundleSh record");
}

TEST(XlsbHostile, HugeClaimedSizesAndCountsAreRefusedWithoutAllocating) {
    const PackageWriter good = binaryWorkbook({sheetWith("")});
    // A record claiming 256 MB at the start of the sheet.
    expectDamaged(replaced(good, "xl/worksheets/sheet1.bin",
                           RecordWriter().add(129).bytes + "\x01\xFF\xFF\xFF\x7F"),
                  "more than the");
    // A string claiming two billion characters.
    const std::string cell = RecordWriter().add(6, Fields().cell(0).u32(0x7FFFFFFF)).bytes;
    expectDamaged(
        replaced(good, "xl/worksheets/sheet1.bin", sheetRecords(sheetData(rowHeader(0) + cell))),
        "claims 2147483647 characters");
    // A shared string with a billion runs.
    const std::string strings =
        RecordWriter().add(19, Fields().u8(1).wide(u"x").u32(1000000000)).bytes;
    PackageWriter withStrings = binaryWorkbook({sheetWith("")}, strings);
    expectDamaged(withStrings, "BrtSSTItem record");
}

TEST(XlsbHostile, ZipBombPartIsStoppedByItsCompressionRatio) {
    // 64 MB of one empty record type repeated compresses about a thousandfold and more.
    PackageWriter package = binaryWorkbook({sheetWith("")}, RecordWriter().add(159).bytes +
                                                                std::string(64u << 20, '\0'));
    const ReadError error = failure(package.bytes());
    EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
    EXPECT_NE(error.detail().find("inflates more than"), std::string::npos) << error.detail();
}

TEST(XlsbHostile, CellsOutsideTheGridAreSkippedNotStored) {
    std::string rows = rowHeader(0) + RecordWriter().add(5, Fields().cell(16384).f64(1)).bytes;
    rows += rowHeader(1048576) + RecordWriter().add(6, Fields().cell(0).wide(u"far")).bytes;
    const auto book = engine::readWorkbookBytes(binaryWorkbook({sheetWith(rows)}).bytes());
    EXPECT_TRUE(book.sheets.at(0).cells.empty());
    EXPECT_TRUE(book.strings.empty());
}

TEST(XlsbHostile, BadIndexesFallBackInsteadOfReachingOutside) {
    const std::string rows = rowHeader(0) + RecordWriter()
                                                .add(7, Fields().cell(0, 77).u32(999))
                                                .add(5, Fields().cell(1, 0xFFFFFF).f64(2))
                                                .bytes;
    const auto book = engine::readWorkbookBytes(binaryWorkbook({sheetWith(rows)}).bytes());
    const auto& cells = book.sheets.at(0).cells;
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].type, engine::CellType::Empty); // no string 999
    EXPECT_EQ(cells[0].format, 0u);
    EXPECT_EQ(cells[1].format, 0u);
}

TEST(XlsbHostile, AZeroDefaultRowHeightDoesNotHideEveryRow) {
    BinarySheet sheet = sheetWith("");
    sheet.records =
        RecordWriter().add(485, Fields().u32(0xFFFFFFFF).u16(8).u16(0).u16(0).u8(0).u8(0)).bytes +
        sheet.records;
    const auto book = engine::readWorkbookBytes(binaryWorkbook({sheet}).bytes());
    EXPECT_EQ(book.sheets.at(0).defaultRowHeight, 15.0);
}

TEST(XlsbHostile, MissingOrForeignPartsAreNamed) {
    const PackageWriter good = binaryWorkbook({sheetWith("")});
    expectDamaged(without(good, "xl/_rels/workbook.bin.rels"), "workbook.bin.rels");
    expectDamaged(without(good, "xl/worksheets/sheet1.bin"), "xl/worksheets/sheet1.bin");
    expectDamaged(without(good, "xl/workbook.bin"), "xl/workbook.bin");
    expectDamaged(replaced(good, "xl/workbook.bin", "<workbook/>"), "cut off");
    expectDamaged(replaced(good, "xl/workbook.bin", sheetRecords("")), "BrtBeginBook");
    expectDamaged(replaced(good, "xl/workbook.bin", RecordWriter().add(131).bytes), "no sheets");
    expectDamaged(replaced(good, "xl/workbook.bin", ""), "holds no records");
}

TEST(XlsbHostile, PasswordProtectedEntriesAreEncrypted) {
    PackageWriter package = binaryWorkbook({sheetWith("")});
    package.password = "secret";
    EXPECT_EQ(failure(package.bytes()).kind(), ReadError::Kind::Encrypted);
}

TEST(XlsbHostile, OnlyPackagesWhoseMainPartIsBinaryAreTakenForOne) {
    EXPECT_TRUE(engine::xlsb::isBinaryPackage(binaryWorkbook({sheetWith("")}).bytes()));
    EXPECT_FALSE(engine::xlsb::isBinaryPackage(minimalWorkbook({"<sheetData/>"}).bytes()));
    EXPECT_FALSE(engine::xlsb::isBinaryPackage(PackageWriter().bytes()));
    const std::vector<std::uint8_t> notZip = {'P', 'K', 3, 4, 0, 0};
    EXPECT_FALSE(engine::xlsb::isBinaryPackage(notZip));
    // Without package relationships, the binary part in its usual place still counts.
    EXPECT_TRUE(engine::xlsb::isBinaryPackage(
        without(binaryWorkbook({sheetWith("")}), "_rels/.rels").bytes()));
}

} // namespace
