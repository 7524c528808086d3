// libFuzzer target: any bytes through the binary workbook reader end in a workbook or a
// ReadError, and a workbook is written as pages. An input starting "PK" is a whole package;
// any other input is one part's records (its first byte choosing the worksheet, styles,
// shared strings or workbook part, or 'n' the sheet's notes) put into an otherwise sound
// package, so that mutations reach the record readers instead of the archive's checksums.

#include "engine/base/ReadError.h"
#include "engine/xlsb/XlsbReader.h"
#include "fuzz/WritePages.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

std::vector<std::uint8_t> packageAround(const std::uint8_t* data, std::size_t size) {
    using namespace testing_support;
    const std::string part(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string strings = RecordWriter().add(19, Fields().u8(0).wide(u"s")).bytes;
    const std::string styles = RecordWriter().add(278).add(279).bytes;
    BinarySheet sheet;
    sheet.name = "S";
    sheet.relationships = {{"rId1", "hyperlink", "https://example.org/"},
                           {"rId2", "drawing", "../drawings/drawing1.xml"},
                           {"rId3", "comments", "../comments1.bin"}};
    PackageWriter package;
    if (data[0] == 'n') {
        package = binaryWorkbook({sheet}, strings, styles);
        package.add("xl/comments1.bin", part);
        return package.bytes();
    }
    switch (data[0] % 4) {
    case 0:
        package = binaryWorkbook({sheet}, strings, styles);
        for (auto& [name, content] : package.entries)
            if (name == "xl/worksheets/sheet1.bin")
                content = part;
        break;
    case 1:
        package = binaryWorkbook({sheet}, strings, part);
        break;
    case 2:
        package = binaryWorkbook({sheet}, part, styles);
        break;
    default:
        package = binaryWorkbook({sheet}, strings, styles);
        for (auto& [name, content] : package.entries)
            if (name == "xl/workbook.bin")
                content = part;
        break;
    }
    return package.bytes();
}

// Pages of a sheet whose cells lie hundreds of thousands of rows apart are a matter of the
// writer's speed, which its benchmark measures; under the sanitizers they outlast the fuzzer's
// timeout, so such workbooks are only read here.
bool modestGrid(const engine::Workbook& book) {
    for (const auto& sheet : book.sheets)
        if (!sheet.cells.empty() && sheet.cells.back().row - sheet.cells.front().row > 65535)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    try {
        const bool whole = size >= 2 && data[0] == 'P' && data[1] == 'K';
        const std::vector<std::uint8_t> built =
            whole ? std::vector<std::uint8_t>() : packageAround(data, size);
        const std::span<const std::uint8_t> bytes =
            whole ? std::span<const std::uint8_t>(data, size) : std::span(built);
        const engine::Workbook book = engine::xlsb::readBinaryPackage(bytes);
        if (modestGrid(book))
            fuzzing::writePages(book);
    } catch (const engine::ReadError&) {
    }
    return 0;
}
