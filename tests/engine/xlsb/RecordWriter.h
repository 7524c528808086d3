#pragma once
// Builds binary workbook parts record by record for tests, benchmarks and fuzz seeds, and
// small binary workbook packages around them.

#include "tests/engine/xlsx/PackageWriter.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testing_support {

// The body of one record, field by field, little-endian.
struct Fields {
    std::string bytes;

    Fields& u8(std::uint32_t v) {
        bytes += static_cast<char>(v & 0xFF);
        return *this;
    }
    Fields& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Fields& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Fields& f64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
    }
    // An XLWideString of UTF-16 code units.
    Fields& wide(const std::u16string& text) {
        u32(static_cast<std::uint32_t>(text.size()));
        for (char16_t unit : text)
            u16(unit);
        return *this;
    }
    Fields& nullWide() { return u32(0xFFFFFFFFu); }
    // The Cell structure of every cell record.
    Fields& cell(std::uint32_t col, std::uint32_t style = 0) { return u32(col).u32(style); }
    // A BrtColor of kind 1 (palette), 2 (RGB) or 3 (theme); 0 is automatic.
    Fields& color(std::uint32_t kind, std::uint32_t index = 0, std::uint32_t rgb = 0,
                  std::int16_t tint = 0) {
        return u8(kind << 1 | 1)
            .u8(index)
            .u16(static_cast<std::uint16_t>(tint))
            .u8(rgb >> 16)
            .u8(rgb >> 8)
            .u8(rgb)
            .u8(0xFF);
    }
    Fields& raw(const std::string& more) {
        bytes += more;
        return *this;
    }
};

// Records with their variable-length headers.
struct RecordWriter {
    std::string bytes;

    RecordWriter& add(std::uint32_t type, const Fields& body = {}) {
        return header(type, static_cast<std::uint32_t>(body.bytes.size())).raw(body.bytes);
    }
    RecordWriter& header(std::uint32_t type, std::uint32_t size) {
        bytes += static_cast<char>((type & 0x7F) | (type > 0x7F ? 0x80 : 0));
        if (type > 0x7F)
            bytes += static_cast<char>((type >> 7) & 0x7F);
        do {
            const std::uint32_t low = size & 0x7F;
            size >>= 7;
            bytes += static_cast<char>(low | (size ? 0x80 : 0));
        } while (size);
        return *this;
    }
    RecordWriter& raw(const std::string& more) {
        bytes += more;
        return *this;
    }
};

// One sheet of a test workbook: its records (between BrtBeginSheet and BrtEndSheet), its state
// (0 visible, 1 hidden, 2 very hidden), its kind's relationship type and its own relationships.
struct BinarySheet {
    std::string name;
    std::string records;
    std::uint32_t state = 0;
    std::string kind = "worksheet";
    std::vector<std::tuple<std::string, std::string, std::string>> relationships;
};

inline std::string sheetRecords(const std::string& inside) {
    return RecordWriter().add(129).raw(inside).add(130).bytes;
}

// A binary workbook with `sheets`, optional shared strings and styles parts (their records
// whole), the 1904 date system when asked, and `bookRecords` after the sheet list.
inline PackageWriter binaryWorkbook(const std::vector<BinarySheet>& sheets,
                                    const std::string& sharedStrings = {},
                                    const std::string& styles = {}, bool date1904 = false,
                                    const std::string& bookRecords = {}) {
    PackageWriter package;
    package.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "xl/workbook.bin"}}));
    RecordWriter book;
    book.add(131).add(153, Fields().u32(date1904 ? 1 : 0).u32(0).wide(u"")).add(143);
    std::vector<std::tuple<std::string, std::string, std::string>> rels;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        const std::string id = "rId" + n;
        std::u16string name(sheets[i].name.begin(), sheets[i].name.end());
        std::u16string wideId(id.begin(), id.end());
        book.add(156, Fields().u32(sheets[i].state).u32(i + 1).wide(wideId).wide(name));
        const std::string folder = sheets[i].kind == "chartsheet" ? "chartsheets" : "worksheets";
        const std::string part = folder + "/sheet" + n + ".bin";
        rels.emplace_back(id, sheets[i].kind, part);
        package.add("xl/" + part, sheetRecords(sheets[i].records));
        if (!sheets[i].relationships.empty())
            package.add("xl/" + folder + "/_rels/sheet" + n + ".bin.rels",
                        relationshipsXml(sheets[i].relationships));
    }
    book.add(144).raw(bookRecords).add(132);
    if (!sharedStrings.empty()) {
        rels.emplace_back("rIdS", "sharedStrings", "sharedStrings.bin");
        package.add("xl/sharedStrings.bin", sharedStrings);
    }
    if (!styles.empty()) {
        rels.emplace_back("rIdT", "styles", "styles.bin");
        package.add("xl/styles.bin", styles);
    }
    package.add("xl/workbook.bin", book.bytes);
    package.add("xl/_rels/workbook.bin.rels", relationshipsXml(rels));
    return package;
}

// Sheet data records around `rows` (row headers and cells).
inline std::string sheetData(const std::string& rows) {
    return RecordWriter().add(145).raw(rows).add(146).bytes;
}

// A BrtRowHdr for 0-based row `row` with `flags` in its flag byte (0x10 hidden, 0x20 custom
// height, 0x40 custom format) and height in twips.
inline std::string rowHeader(std::uint32_t row, std::uint32_t heightTwips = 300,
                             std::uint32_t flags = 0, std::uint32_t style = 0) {
    return RecordWriter()
        .add(0, Fields().u32(row).u32(style).u16(heightTwips).u8(0).u8(flags).u8(0).u32(0))
        .bytes;
}

} // namespace testing_support
