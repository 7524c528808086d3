#include "engine/xls/XlsReader.h"

#include "engine/base/ReadError.h"
#include "engine/cfb/CompoundFile.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"
#include "engine/xls/Drawing.h"
#include "engine/xls/RecordReader.h"
#include "engine/xls/Records.h"
#include "engine/xls/SheetReader.h"
#include "engine/xls/Styles.h"
#include "engine/xls/WorkbookStream.h"

namespace engine::xls {
namespace {

// BOF substream types of BIFF2-4.
constexpr std::uint16_t substreamWorksheet = 0x0010;
constexpr std::uint16_t substreamChart = 0x0020;
constexpr std::uint16_t substreamMacro = 0x0040;
constexpr std::uint16_t substreamWorkbook = 0x0100; // BIFF4W: a workbook of several sheets

int rawVersion(std::uint16_t id) {
    switch (id) {
    case rec::BOF2:
        return 2;
    case rec::BOF3:
        return 3;
    case rec::BOF4:
        return 4;
    default:
        return 0;
    }
}

} // namespace

Workbook readCompoundFile(std::span<const std::uint8_t> bytes, formula::tokens::FormulaText text) {
    const cfb::CompoundFile file(bytes);
    if (file.findStream("EncryptionInfo") || file.findStream("EncryptedPackage"))
        throw ReadError(ReadError::Kind::Encrypted, "an encrypted OOXML package");
    bool isBook = false;
    const cfb::Entry* entry = file.findStream("Workbook");
    if (!entry) {
        entry = file.findStream("Book");
        isBook = entry != nullptr;
    }
    if (!entry)
        throw ReadError(ReadError::Kind::NotWorkbook,
                        "a compound file without a Workbook or Book stream");
    std::vector<std::uint8_t> stream = file.read(*entry);
    return readWorkbookStreamInPlace(stream, isBook, defaultPassword, text);
}

bool looksLikeRawBiff(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || rawVersion(util::loadU16(bytes.data())) == 0)
        return false;
    const std::uint16_t length = util::loadU16(bytes.data() + 2);
    if (length < 4 || length > 16 || bytes.size() < 4u + length)
        return false;
    const std::uint16_t type = util::loadU16(bytes.data() + 6);
    return type == substreamWorksheet || type == substreamChart || type == substreamMacro ||
           type == substreamWorkbook;
}

Workbook readRawBiff(std::span<const std::uint8_t> bytes) {
    if (!looksLikeRawBiff(bytes))
        throw ReadError(ReadError::Kind::NotWorkbook, "not a BIFF2-4 stream");
    const int version = rawVersion(util::loadU16(bytes.data()));
    const std::uint16_t type = util::loadU16(bytes.data() + 6);
    if (type == substreamWorkbook)
        throw ReadError(ReadError::Kind::NotWorkbook,
                        "a BIFF4 workbook of several sheets, which this program does not read");
    RecordReader reader(bytes);
    Record bof;
    reader.next(bof);
    Workbook workbook;
    util::CodePageDecoder decoder(1252);
    Styles styles(version, decoder);
    const PictureStore noPictures({});
    BiffContext context{version, workbook, decoder, styles, 0, 0, {}};
    Sheet sheet;
    // These files hold a single sheet and no sheet name; the application names it after the
    // file, which this reader does not know.
    sheet.name = "Sheet1";
    if (type == substreamChart)
        sheet.kind = SheetKind::Chart;
    else if (type == substreamMacro)
        sheet.kind = SheetKind::Macro;
    else
        readSheet(reader, context, sheet, noPictures);
    styles.resolve(workbook);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    return workbook;
}

} // namespace engine::xls
