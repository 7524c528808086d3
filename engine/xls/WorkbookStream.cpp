#include "engine/xls/WorkbookStream.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"
#include "engine/xls/ChartStream.h"
#include "engine/xls/ContinuedRecord.h"
#include "engine/xls/Drawing.h"
#include "engine/xls/FormulaLinks.h"
#include "engine/xls/RecordReader.h"
#include "engine/xls/Records.h"
#include "engine/xls/SheetReader.h"
#include "engine/xls/Strings.h"
#include "engine/xls/Styles.h"

#include <algorithm>
#include <array>
#include <set>

namespace engine::xls {
namespace {

// Sheet types of BOUNDSHEET (MS-XLS 2.4.28).
constexpr std::uint8_t sheetWorksheet = 0;
constexpr std::uint8_t sheetMacro = 1;
constexpr std::uint8_t sheetChart = 2;
constexpr std::uint8_t sheetVbModule = 6;

struct BoundSheet {
    std::uint32_t position = 0;
    std::uint8_t type = 0;
    Visibility visibility = Visibility::Visible;
    std::string name;
};

[[noreturn]] void damaged(const std::string& detail) {
    throw ReadError(ReadError::Kind::Damaged, detail);
}

BoundSheet readBoundSheet(const Record& record, int version, util::CodePageDecoder& decoder) {
    util::ByteCursor in(record.body, "BOUNDSHEET record", record.offset + 4);
    BoundSheet sheet;
    sheet.position = in.u32();
    const std::uint8_t state = in.u8() & 0x03;
    sheet.visibility = state == 1   ? Visibility::Hidden
                       : state == 2 ? Visibility::VeryHidden
                                    : Visibility::Visible;
    sheet.type = in.u8();
    if (version == 8) {
        ContinuedRecord name({record.body.subspan(in.position())}, in.absolute(),
                             "BOUNDSHEET record");
        sheet.name = readUnicodeString(name, 1).text;
    } else {
        sheet.name = readByteString(in, decoder, 1);
    }
    return sheet;
}

void readSst(const Record& record, RecordReader& reader, Workbook& workbook) {
    ContinuedRecord in(record, reader, "SST record");
    in.u32(); // total references: not needed
    const std::uint32_t unique = in.u32();
    // The unique count is sometimes wrong (met in files of several writers): the strings
    // present decide, and the count only says whether a broken tail may be forgiven.
    while (!in.atEnd()) {
        if (workbook.strings.size() >= limits::maxStrings)
            damaged("SST record at offset " + util::hexOffset(record.offset) + ": more than " +
                    std::to_string(limits::maxStrings) + " strings");
        try {
            workbook.strings.push_back(readUnicodeString(in, 2));
        } catch (const ReadError&) {
            if (workbook.strings.size() >= unique)
                break;
            throw;
        }
    }
}

int biffVersion(const Record& bof, bool isBookStream) {
    if (bof.body.size() >= 2) {
        const std::uint16_t version = util::loadU16(bof.body.data());
        if (version == 0x0600)
            return 8;
        if (version == 0x0500)
            return 5;
    }
    return isBookStream ? 5 : 8;
}

// `decryptedAt` is the offset of the FILEPASS record whose stream has been decrypted, npos when
// there was none.
Workbook readStream(std::span<const std::uint8_t> stream, bool isBookStream,
                    std::size_t decryptedAt, formula::tokens::FormulaText text) {
    RecordReader reader(stream);
    Record record;
    if (!reader.next(record) || record.id != rec::BOF)
        damaged("workbook stream at offset 0x0: expected a BOF record (0x809), found " +
                (stream.size() >= 2 ? util::hexOffset(util::loadU16(stream.data()))
                                    : std::string("nothing")));
    const int version = biffVersion(record, isBookStream);

    Workbook workbook;
    util::CodePageDecoder decoder(1252);
    Styles styles(version, decoder);
    std::vector<BoundSheet> bound;
    std::vector<std::uint8_t> drawingGroup;
    FormulaLinks links;
    bool sawEof = false;
    while (!sawEof && reader.next(record)) {
        switch (record.id) {
        case rec::EOF_:
            sawEof = true;
            break;
        case rec::FilePass:
            if (record.offset != decryptedAt)
                throw ReadError(ReadError::Kind::Encrypted,
                                "FILEPASS record at offset " + util::hexOffset(record.offset));
            break;
        case rec::CodePage:
            if (version == 5 && record.body.size() >= 2)
                decoder.setCodePage(util::loadU16(record.body.data()));
            break;
        case rec::DateMode:
            if (record.body.size() >= 2)
                workbook.dateSystem =
                    util::loadU16(record.body.data()) ? DateSystem::Date1904 : DateSystem::Date1900;
            break;
        case rec::BoundSheet:
            if (bound.size() >= limits::maxSheets)
                damaged("more than " + std::to_string(limits::maxSheets) + " sheets");
            bound.push_back(readBoundSheet(record, version, decoder));
            break;
        case rec::Sst:
            if (version == 8 && workbook.strings.empty())
                readSst(record, reader, workbook);
            break;
        case rec::Font:
            styles.font(record);
            break;
        case rec::Format:
            styles.format(record, workbook);
            break;
        case rec::Xf:
            styles.xf(record);
            break;
        case rec::Palette:
            styles.palette(record);
            break;
        case rec::SupBook:
            links.readSupBook(record);
            break;
        case rec::ExternSheet:
            if (version == 8)
                links.readExternSheet(record);
            break;
        case rec::ExternName:
            if (version == 8)
                links.readExternName(record);
            break;
        case rec::Name:
            if (version == 8)
                links.readName(record);
            break;
        case rec::MsoDrawingGroup: {
            ContinuedRecord group(record, reader, "MSODRAWINGGROUP record");
            auto bytes = group.rest();
            if (drawingGroup.size() + bytes.size() <= limits::maxFileBytes)
                drawingGroup.insert(drawingGroup.end(), bytes.begin(), bytes.end());
            break;
        }
        default:
            break;
        }
    }
    styles.resolve(workbook);
    const PictureStore pictures(drawingGroup);
    drawingGroup.clear();
    drawingGroup.shrink_to_fit();

    // Where each substream starts: BOUNDSHEET positions are right in files the application wrote,
    // but some writers leave them wrong, so fall back to the order of the substreams.
    std::vector<std::size_t> substreams;
    {
        int depth = 0;
        try {
            while (reader.next(record)) {
                if (record.id == rec::BOF) {
                    if (depth == 0)
                        substreams.push_back(record.offset);
                    ++depth;
                } else if (record.id == rec::EOF_ && depth > 0) {
                    --depth;
                }
            }
        } catch (const ReadError&) {
            // Bytes after the last substream that do not form a record: some writers leave
            // them; a sheet cut short is still caught when it is read.
        }
    }

    std::vector<std::string> sheetNames;
    for (const BoundSheet& b : bound)
        sheetNames.push_back(b.name);
    links.setSheetNames(std::move(sheetNames));
    BiffContext context{
        version, workbook, decoder, styles, static_cast<std::uint32_t>(workbook.strings.size()),
        0,       {}};
    formula::tokens::WorkbookFormulas formulas(&links, formula::tokens::Dialect::Biff8);
    std::size_t ordinal = 0;
    std::set<std::size_t> used;
    std::vector<std::size_t> sheetOfBound; // workbook.sheets index of each BOUNDSHEET entry
    for (const BoundSheet& b : bound) {
        sheetOfBound.push_back(workbook.sheets.size());
        if (b.type == sheetVbModule) {
            ++ordinal;
            continue;
        }
        Sheet sheet;
        sheet.name = b.name;
        sheet.visibility = b.visibility;
        sheet.kind = b.type == sheetChart   ? SheetKind::Chart
                     : b.type == sheetMacro ? SheetKind::Macro
                                            : SheetKind::Worksheet;
        if (b.type != sheetWorksheet && b.type != sheetChart && b.type != sheetMacro)
            sheet.kind = SheetKind::Worksheet; // unknown types are shown as what most sheets are
        // Each substream is read at most once, so that sheets pointing at one place cannot
        // multiply the work.
        std::size_t position = b.position;
        if (!std::binary_search(substreams.begin(), substreams.end(), position) ||
            used.count(position))
            position = ordinal < substreams.size() ? substreams[ordinal] : stream.size();
        if (used.count(position))
            position = stream.size();
        used.insert(position);
        ++ordinal;
        if (sheet.kind == SheetKind::Worksheet && position < stream.size()) {
            reader.seek(position);
            reader.next(record); // the substream's BOF
            if (record.body.size() >= 4 && util::loadU16(record.body.data() + 2) == 0x0020)
                sheet.kind = SheetKind::Chart;
            else if (record.body.size() >= 4 && util::loadU16(record.body.data() + 2) == 0x0040)
                sheet.kind = SheetKind::Macro;
            else {
                context.formulas = version == 8 ? &formulas.sheet(workbook.sheets.size()) : nullptr;
                readSheet(reader, context, sheet, pictures);
                context.formulas = nullptr;
            }
        } else if (sheet.kind == SheetKind::Chart && version == 8 && position < stream.size()) {
            reader.seek(position);
            reader.next(record); // the substream's BOF
            readPendingChart(reader, context, workbook.sheets.size(), {});
        }
        workbook.sheets.push_back(std::move(sheet));
    }
    if (version == 8)
        workbook.definedNames = links.definedNames(sheetOfBound);
    formulas.finish(workbook, text);
    workbook.finish();
    // Charts last: their series may show cells of any sheet.
    const auto sheetOf = [&](std::uint16_t externSheet) -> const Sheet* {
        const int itab = links.sheetOf(externSheet);
        if (itab < 0 || static_cast<std::size_t>(itab) >= sheetOfBound.size() ||
            sheetOfBound[itab] >= workbook.sheets.size())
            return nullptr;
        return &workbook.sheets[sheetOfBound[itab]];
    };
    std::size_t pointBudget = limits::maxLinkedPointsPerWorkbook;
    for (PendingChart& pending : context.charts) {
        if (pending.sheet >= workbook.sheets.size())
            continue;
        resolveChartLinks(pending.read, workbook, sheetOf, pointBudget);
        Sheet& sheet = workbook.sheets[pending.sheet];
        const Anchor size = pending.read.chart.anchor;
        if (pending.clientAnchor)
            pending.read.chart.anchor = anchorFromClient(*pending.clientAnchor, sheet);
        if (pending.read.chart.anchor.widthPt <= 0 || pending.read.chart.anchor.heightPt <= 0) {
            pending.read.chart.anchor.widthPt = size.widthPt;
            pending.read.chart.anchor.heightPt = size.heightPt;
        }
        if (sheet.kind == SheetKind::Chart && !sheet.charts.empty())
            continue;
        sheet.charts.push_back(std::move(pending.read.chart));
    }
    return workbook;
}

} // namespace

Workbook readWorkbookStream(std::span<const std::uint8_t> stream, bool isBookStream,
                            formula::tokens::FormulaText text) {
    if (findFilePass(stream) == std::string_view::npos)
        return readStream(stream, isBookStream, std::string_view::npos, text);
    std::vector<std::uint8_t> copy(stream.begin(), stream.end());
    return readWorkbookStreamInPlace(copy, isBookStream, defaultPassword, text);
}

Workbook readWorkbookStreamInPlace(std::vector<std::uint8_t>& stream, bool isBookStream,
                                   std::u16string_view password,
                                   formula::tokens::FormulaText text) {
    const std::size_t filePass = findFilePass(stream);
    if (filePass != std::string_view::npos) {
        RecordReader reader(stream);
        Record bof;
        reader.next(bof);
        decryptStream(stream, filePass, biffVersion(bof, isBookStream), password);
    }
    return readStream(stream, isBookStream, filePass, text);
}

} // namespace engine::xls
