#include "engine/xls/SheetReader.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/ConditionalFormats.h"
#include "engine/xls/ContinuedRecord.h"
#include "engine/xls/Hyperlinks.h"
#include "engine/xls/Notes.h"
#include "engine/xls/Records.h"
#include "engine/xls/ShapeObjects.h"
#include "engine/xls/SheetFormulas.h"
#include "engine/xls/SheetImages.h"
#include "engine/xls/Strings.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace engine::xls {
namespace {

double decodeRk(std::uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        value = util::loadF64(std::array<std::uint8_t, 8>{
            0, 0, 0, 0, static_cast<std::uint8_t>(rk & 0xFC), static_cast<std::uint8_t>(rk >> 8),
            static_cast<std::uint8_t>(rk >> 16), static_cast<std::uint8_t>(rk >> 24)}
                                  .data());
    }
    return (rk & 0x01) ? value / 100 : value;
}

// Width in characters with padding, from a width in whole characters without it: the
// application adds 5 pixels of padding to digits 7 pixels wide and rounds up to 8 pixels.
double widthFromCharacters(unsigned characters) {
    const unsigned pixels = (characters * 7 + 5 + 7) / 8 * 8;
    return pixels / 7.0;
}

class SheetBuilder {
public:
    SheetBuilder(BiffContext& context, Sheet& sheet, const PictureStore& pictures)
        : c_(context), sheet_(sheet), pictures_(pictures), notes_(context.version, context.decoder),
          conditional_(context.workbook, context.styles.colors()), formulas_(context.formulas) {}

    void read(RecordReader& reader);

private:
    Cell& addCell(std::uint32_t row, std::uint32_t col, std::uint32_t xf, std::size_t offset);
    // Reads row, column and XF of a cell record and returns a cursor after them.
    struct CellHeader {
        std::uint32_t row, col, xf;
    };
    CellHeader header(util::ByteCursor& in);
    void finish();

    void cellRecord(const Record& record, RecordReader& reader);
    void formula(const Record& record, util::ByteCursor& in, const CellHeader& h);
    void string(const Record& record, RecordReader& reader);
    void row(const Record& record);
    void colInfo(const Record& record);
    void merges(const Record& record);

    BiffContext& c_;
    Sheet& sheet_;
    const PictureStore& pictures_;
    std::vector<std::uint8_t> drawing_; // the sheet's MSODRAWING records joined
    NoteCollector notes_;
    ShapeCollector shapes_; // lines, rectangles, ovals and text boxes of BIFF8
    ConditionalFormatCollector conditional_;
    SheetFormulas formulas_;
    SheetImages images_;                // pictures of BIFF3-5 and the background
    std::uint16_t biff2Xf_ = 0;         // the last IXFE record (BIFF2)
    std::ptrdiff_t pendingString_ = -1; // the formula cell waiting for its STRING record
    std::vector<RowInfo> rows_;
    bool standardWidth_ = false;
    bool frozen_ = false; // the sheet's window freezes its panes
    // The latest MSODRAWING record: it anchors a chart whose substream follows it.
    std::span<const std::uint8_t> lastDrawing_;
};

SheetBuilder::CellHeader SheetBuilder::header(util::ByteCursor& in) {
    CellHeader h;
    h.row = in.u16();
    h.col = in.u16();
    if (c_.version == 2) {
        const std::uint8_t attr = in.u8();
        in.skip(2);
        h.xf = (attr & 0x3F) == 63 ? biff2Xf_ : (attr & 0x3F);
    } else {
        h.xf = in.u16();
    }
    return h;
}

Cell& SheetBuilder::addCell(std::uint32_t row, std::uint32_t col, std::uint32_t xf,
                            std::size_t offset) {
    if (row >= limits::maxRows || col >= limits::maxColumns)
        throw ReadError(ReadError::Kind::Damaged,
                        "cell record at offset " + util::hexOffset(offset) + ": row " +
                            std::to_string(row) + ", column " + std::to_string(col) +
                            " is outside the sheet");
    if (++c_.cellCount > limits::maxCellsPerWorkbook)
        throw ReadError(ReadError::Kind::Damaged, "more than " +
                                                      std::to_string(limits::maxCellsPerWorkbook) +
                                                      " cells in the workbook");
    Cell& cell = sheet_.cells.emplace_back();
    cell.row = row;
    cell.col = static_cast<std::uint16_t>(col);
    cell.format = xf;
    return cell;
}

void SheetBuilder::formula(const Record& record, util::ByteCursor& in, const CellHeader& h) {
    const auto result = in.bytes(8);
    Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
    cell.isFormula = true;
    pendingString_ = -1;
    if (in.remaining() >= 6) {
        const bool alwaysCalc = (in.u16() & 0x0001) != 0;
        in.skip(4); // a cache id
        formulas_.cell(h.row, h.col, in.bytes(in.remaining()), alwaysCalc);
    }
    if (result[6] != 0xFF || result[7] != 0xFF) {
        cell.type = CellType::Number;
        cell.number = util::loadF64(result.data());
        return;
    }
    switch (result[0]) {
    case 0: // a string, in the STRING record that follows
        cell.type = CellType::Empty;
        pendingString_ = static_cast<std::ptrdiff_t>(sheet_.cells.size() - 1);
        break;
    case 1:
        cell.type = CellType::Boolean;
        cell.boolean = result[2] != 0;
        break;
    case 2:
        cell.type = CellType::Error;
        cell.error = cellErrorFromCode(result[2]).value_or(CellError::NA);
        break;
    case 3: {
        const std::uint32_t text = c_.workbook.addString(RichText{});
        Cell& again = sheet_.cells.back();
        again.type = CellType::Text;
        again.text = text;
        break;
    }
    default:
        break;
    }
}

void SheetBuilder::string(const Record& record, RecordReader& reader) {
    RichText text;
    if (c_.version == 8) {
        ContinuedRecord in(record, reader, "STRING record");
        text = readUnicodeString(in, 2);
    } else {
        util::ByteCursor in(record.body, "STRING record", record.offset + 4);
        text.text = readByteString(in, c_.decoder, c_.version == 2 ? 1 : 2);
    }
    if (pendingString_ < 0)
        return;
    const std::uint32_t index = c_.workbook.addString(std::move(text));
    Cell& cell = sheet_.cells[static_cast<std::size_t>(pendingString_)];
    cell.type = CellType::Text;
    cell.text = index;
    pendingString_ = -1;
}

void SheetBuilder::cellRecord(const Record& record, RecordReader& reader) {
    util::ByteCursor in(record.body, "cell record", record.offset + 4);
    switch (record.id) {
    case rec::Number:
    case rec::Number2: {
        const CellHeader h = header(in);
        const double value = in.f64();
        Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
        cell.type = CellType::Number;
        cell.number = value;
        break;
    }
    case rec::Integer2: {
        const CellHeader h = header(in);
        const std::uint16_t value = in.u16();
        Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
        cell.type = CellType::Number;
        cell.number = value;
        break;
    }
    case rec::Rk: {
        const CellHeader h = header(in);
        const double value = decodeRk(in.u32());
        Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
        cell.type = CellType::Number;
        cell.number = value;
        break;
    }
    case rec::MulRk: {
        const std::uint16_t row = in.u16();
        const std::uint16_t first = in.u16();
        const std::size_t count = in.remaining() >= 2 ? (in.remaining() - 2) / 6 : 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t xf = in.u16();
            const double value = decodeRk(in.u32());
            Cell& cell = addCell(row, first + static_cast<std::uint32_t>(i), xf, record.offset);
            cell.type = CellType::Number;
            cell.number = value;
        }
        break;
    }
    case rec::Blank:
    case rec::Blank2: {
        const CellHeader h = header(in);
        addCell(h.row, h.col, h.xf, record.offset);
        break;
    }
    case rec::MulBlank: {
        const std::uint16_t row = in.u16();
        const std::uint16_t first = in.u16();
        const std::size_t count = in.remaining() >= 2 ? (in.remaining() - 2) / 2 : 0;
        for (std::size_t i = 0; i < count; ++i)
            addCell(row, first + static_cast<std::uint32_t>(i), in.u16(), record.offset);
        break;
    }
    case rec::LabelSst: {
        const CellHeader h = header(in);
        const std::uint32_t index = in.u32();
        Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
        if (index < c_.sstCount) {
            cell.type = CellType::Text;
            cell.text = index;
        }
        break;
    }
    case rec::Label:
    case rec::Label2:
    case rec::RString: {
        const CellHeader h = header(in);
        RichText text;
        if (c_.version == 8) {
            ContinuedRecord body({record.body.subspan(in.position())}, in.absolute(),
                                 "LABEL record");
            std::vector<std::uint32_t> offsets;
            const std::uint16_t count = body.u16();
            const std::uint8_t flags = body.u8();
            if (flags & 0x0C) {
                // Rich or phonetic options in a LABEL: read it the SST way.
                ContinuedRecord again({record.body.subspan(in.position())}, in.absolute(),
                                      "LABEL record");
                text = readUnicodeString(again, 2);
            } else {
                body.readChars(text.text, count, flags & 0x01,
                               record.id == rec::RString ? &offsets : nullptr);
                if (record.id == rec::RString && !body.atEnd()) {
                    const std::uint16_t runs = body.u16();
                    for (std::uint16_t i = 0; i < runs; ++i) {
                        const std::uint16_t pos = body.u16();
                        addRun(text, pos, body.u16(), offsets);
                    }
                }
            }
        } else {
            text.text = readByteString(in, c_.decoder, c_.version == 2 ? 1 : 2);
            if (record.id == rec::RString && !in.atEnd()) {
                const auto offsets = utf8Offsets(text.text);
                const std::uint8_t runs = in.u8();
                for (std::uint8_t i = 0; i < runs; ++i) {
                    const std::uint8_t pos = in.u8();
                    addRun(text, pos, in.u8(), offsets);
                }
            }
        }
        const std::uint32_t index = c_.workbook.addString(std::move(text));
        Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
        cell.type = CellType::Text;
        cell.text = index;
        break;
    }
    case rec::BoolErr:
    case rec::BoolErr2: {
        const CellHeader h = header(in);
        const std::uint8_t value = in.u8();
        const bool isError = in.u8() != 0;
        Cell& cell = addCell(h.row, h.col, h.xf, record.offset);
        if (isError) {
            cell.type = CellType::Error;
            cell.error = cellErrorFromCode(value).value_or(CellError::NA);
        } else {
            cell.type = CellType::Boolean;
            cell.boolean = value != 0;
        }
        break;
    }
    case rec::Formula:
    case rec::Formula3:
    case rec::Formula4: {
        const CellHeader h = header(in);
        formula(record, in, h);
        break;
    }
    case rec::String:
    case rec::String2:
        string(record, reader);
        break;
    default:
        break;
    }
}

void SheetBuilder::row(const Record& record) {
    util::ByteCursor in(record.body, "ROW record", record.offset + 4);
    RowInfo info;
    info.row = in.u16();
    in.skip(4);
    const std::uint16_t height = in.u16();
    info.height = (height & 0x7FFF) / 20.0;
    if (c_.version == 2) {
        info.customHeight = !(height & 0x8000);
    } else {
        in.skip(4);
        const std::uint16_t flags = in.u16();
        const std::uint16_t xf = in.u16();
        info.hidden = flags & 0x20;
        info.customHeight = flags & 0x40;
        info.hasFormat = flags & 0x80;
        if (info.hasFormat)
            info.format = xf & 0x0FFF;
        if (c_.version <= 4) // BIFF3-4 keep the default-height flag in the height itself
            info.customHeight = info.customHeight || !(height & 0x8000);
    }
    if (rows_.size() < limits::maxRows)
        rows_.push_back(info);
}

void SheetBuilder::colInfo(const Record& record) {
    util::ByteCursor in(record.body, "COLINFO record", record.offset + 4);
    ColumnInfo info;
    if (record.id == rec::ColWidth2) {
        info.firstCol = in.u8();
        info.lastCol = in.u8();
        info.width = in.u16() / 256.0;
        info.customWidth = true;
    } else {
        const std::uint16_t first = in.u16();
        std::uint16_t last = in.u16();
        info.firstCol = first;
        info.width = in.u16() / 256.0;
        info.format = in.u16();
        const std::uint16_t flags = in.u16();
        info.hidden = flags & 0x01;
        info.customWidth = flags & 0x02;
        // Writers often close the last range at column 256, one past the last column.
        constexpr std::uint16_t maxCol = 255;
        if (first > maxCol)
            return;
        info.lastCol = std::min(last, maxCol);
    }
    if (info.lastCol < info.firstCol || sheet_.columns.size() >= limits::maxColumns)
        return;
    sheet_.columns.push_back(info);
}

void SheetBuilder::merges(const Record& record) {
    util::ByteCursor in(record.body, "MERGEDCELLS record", record.offset + 4);
    const std::uint16_t count = in.u16();
    for (std::uint16_t i = 0; i < count; ++i) {
        Range range;
        range.firstRow = in.u16();
        range.lastRow = in.u16();
        range.firstCol = in.u16();
        range.lastCol = in.u16();
        if (range.lastRow < range.firstRow || range.lastCol < range.firstCol ||
            range.lastCol >= limits::maxColumns)
            continue;
        if (sheet_.merges.size() >= limits::maxMerges)
            throw ReadError(ReadError::Kind::Damaged,
                            "MERGEDCELLS record at offset " + util::hexOffset(record.offset) +
                                ": more than " + std::to_string(limits::maxMerges) + " merges");
        sheet_.merges.push_back(range);
    }
}

void SheetBuilder::read(RecordReader& reader) {
    Record record;
    while (reader.next(record)) {
        switch (record.id) {
        case rec::EOF_:
            finish();
            return;
        case rec::BOF:
        case rec::BOF2:
        case rec::BOF3:
        case rec::BOF4: {
            // A chart on the sheet brings its own substream, placed by the drawing before it;
            // it belongs to the sheet that is being read, the next one of the workbook.
            if (c_.version == 8 && record.id == rec::BOF && record.body.size() >= 4 &&
                util::loadU16(record.body.data() + 2) == 0x0020) {
                readPendingChart(reader, c_, c_.workbook.sheets.size(), lastDrawing_);
                break;
            }
            int depth = 1;
            while (depth > 0 && reader.next(record)) {
                if (record.id == rec::EOF_)
                    --depth;
                else if (record.id == rec::BOF || record.id == rec::BOF3 || record.id == rec::BOF4)
                    ++depth;
            }
            break;
        }
        case rec::Number:
        case rec::Number2:
        case rec::Integer2:
        case rec::Rk:
        case rec::MulRk:
        case rec::Blank:
        case rec::Blank2:
        case rec::MulBlank:
        case rec::LabelSst:
        case rec::Label:
        case rec::Label2:
        case rec::RString:
        case rec::BoolErr:
        case rec::BoolErr2:
        case rec::Formula:
        case rec::Formula3:
        case rec::Formula4:
        case rec::String:
        case rec::String2:
            cellRecord(record, reader);
            break;
        case rec::ShrFmla:
            formulas_.shared(record);
            break;
        case rec::ArrayFormula:
            formulas_.array(record);
            break;
        case rec::Uncalced:
            // The sheet was saved without computing: its results may be stale.
            c_.workbook.fullCalcOnLoad = true;
            break;
        case rec::Ixfe2:
            if (record.body.size() >= 2)
                biff2Xf_ = util::loadU16(record.body.data());
            break;
        case rec::Row:
        case rec::Row2:
            row(record);
            break;
        case rec::ColInfo:
        case rec::ColWidth2:
            colInfo(record);
            break;
        case rec::DefColWidth:
            if (!standardWidth_ && record.body.size() >= 2) {
                sheet_.defaultColumnWidth = widthFromCharacters(util::loadU16(record.body.data()));
                sheet_.baseColumnWidth = std::min<unsigned>(util::loadU16(record.body.data()), 255);
            }
            break;
        case rec::StandardWidth:
            if (record.body.size() >= 2 && util::loadU16(record.body.data()) > 0) {
                sheet_.defaultColumnWidth = util::loadU16(record.body.data()) / 256.0;
                sheet_.baseColumnWidth = 0;
                standardWidth_ = true;
            }
            break;
        case rec::DefaultRowHeight:
            if (record.body.size() >= 4 && util::loadU16(record.body.data() + 2) > 0)
                sheet_.defaultRowHeight = (util::loadU16(record.body.data() + 2) & 0x7FFF) / 20.0;
            break;
        case rec::DefaultRowHeight2:
            if (record.body.size() >= 2 && (util::loadU16(record.body.data()) & 0x7FFF) > 0)
                sheet_.defaultRowHeight = (util::loadU16(record.body.data()) & 0x7FFF) / 20.0;
            break;
        case rec::MergeCells:
            merges(record);
            break;
        case rec::HLink:
            if (auto link = readHyperlink(record)) {
                if (sheet_.hyperlinks.size() >= limits::maxHyperlinks)
                    throw ReadError(ReadError::Kind::Damaged,
                                    "HLINK record at offset " + util::hexOffset(record.offset) +
                                        ": more than " + std::to_string(limits::maxHyperlinks) +
                                        " hyperlinks");
                sheet_.hyperlinks.push_back(std::move(*link));
            }
            break;
        case rec::MsoDrawing:
            if (drawing_.size() + record.body.size() <= limits::maxFileBytes)
                drawing_.insert(drawing_.end(), record.body.begin(), record.body.end());
            lastDrawing_ = record.body;
            break;
        case rec::Obj:
            notes_.object(record);
            if (c_.version == 8)
                shapes_.object(record);
            if (c_.version < 8)
                images_.object(record.body);
            break;
        case rec::Txo: {
            std::vector<std::span<const std::uint8_t>> pieces;
            Record next;
            while (reader.peekId() == rec::Continue && reader.next(next))
                pieces.push_back(next.body);
            const auto text = readTextObject(record, std::move(pieces));
            notes_.textObject(text);
            shapes_.textObject(text);
            break;
        }
        case rec::Note:
            notes_.note(record);
            break;
        case rec::CondFmt:
            if (c_.version >= 8)
                conditional_.format(record, sheet_);
            break;
        case rec::Cf:
            if (c_.version >= 8)
                conditional_.rule(record, sheet_);
            break;
        case rec::ImData:
            if (c_.version < 8)
                images_.imageData(ContinuedRecord(record, reader, "IMDATA record").rest());
            break;
        case rec::Bitmap:
            if (auto background = SheetImages::background(
                    ContinuedRecord(record, reader, "BITMAP record").rest()))
                sheet_.background = std::move(*background);
            break;
        case rec::HLinkTooltip:
            readHyperlinkTooltip(record, sheet_.hyperlinks);
            break;
        case rec::Window2:
            if (record.body.size() >= 2) {
                sheet_.showGridLines = util::loadU16(record.body.data()) & 0x02;
                sheet_.rightToLeft = util::loadU16(record.body.data()) & 0x40;
                frozen_ = util::loadU16(record.body.data()) & 0x08;
            }
            break;
        case rec::Window2_2:
            if (record.body.size() >= 2) {
                sheet_.showGridLines = record.body[1] != 0;
                frozen_ = record.body.size() >= 4 && record.body[3] != 0;
            }
            break;
        case rec::Pane:
            // A frozen pane's splits count the columns and rows that stay in view; an unfrozen
            // split's are distances.
            if (frozen_ && record.body.size() >= 4) {
                sheet_.frozenColumns = static_cast<std::uint16_t>(
                    std::min<std::uint32_t>(util::loadU16(record.body.data()), limits::maxColumns));
                sheet_.frozenRows = util::loadU16(record.body.data() + 2);
            }
            break;
        case rec::WsBool:
            if (c_.version >= 5 && record.body.size() >= 1 && (record.body[0] & 0x10))
                sheet_.kind = SheetKind::Dialog;
            break;
        case rec::Font:
        case rec::Font34:
            if (c_.version <= 4)
                c_.styles.font(record);
            break;
        case rec::FontColor2:
            if (c_.version <= 4)
                c_.styles.fontColor(record);
            break;
        case rec::Format:
        case rec::Format23:
            if (c_.version <= 4)
                c_.styles.format(record, c_.workbook);
            break;
        case rec::Xf2:
        case rec::Xf3:
        case rec::Xf4:
            if (c_.version <= 4)
                c_.styles.xf(record);
            break;
        case rec::Palette:
            if (c_.version <= 4)
                c_.styles.palette(record);
            break;
        case rec::DateMode:
            if (c_.version <= 4 && record.body.size() >= 2)
                c_.workbook.dateSystem =
                    util::loadU16(record.body.data()) ? DateSystem::Date1904 : DateSystem::Date1900;
            break;
        case rec::CodePage:
            if (c_.version <= 4 && record.body.size() >= 2)
                c_.decoder.setCodePage(util::loadU16(record.body.data()));
            break;
        case rec::FilePass:
            throw ReadError(ReadError::Kind::Encrypted, "FILEPASS record in a sheet");
        default:
            break;
        }
    }
    finish();
}

void SheetBuilder::finish() {
    std::sort(rows_.begin(), rows_.end(),
              [](const RowInfo& a, const RowInfo& b) { return a.row < b.row; });
    for (const RowInfo& info : rows_) {
        const bool sized =
            info.customHeight || std::abs(info.height - sheet_.defaultRowHeight) > 1e-9;
        if (!sized && !info.hidden && !info.hasFormat)
            continue;
        if (!sheet_.rows.empty() && sheet_.rows.back().row == info.row)
            sheet_.rows.back() = info;
        else
            sheet_.rows.push_back(info);
    }
    rows_.clear();
    std::stable_sort(
        sheet_.columns.begin(), sheet_.columns.end(),
        [](const ColumnInfo& a, const ColumnInfo& b) { return a.firstCol < b.firstCol; });
    std::vector<ColumnInfo> columns;
    for (ColumnInfo info : sheet_.columns) {
        if (!columns.empty() && info.firstCol <= columns.back().lastCol) {
            if (info.lastCol <= columns.back().lastCol)
                continue;
            info.firstCol = static_cast<std::uint16_t>(columns.back().lastCol + 1);
        }
        columns.push_back(info);
    }
    sheet_.columns.swap(columns);
    const std::vector<ArtShape> shapes = readArtShapes(drawing_);
    drawing_.clear();
    pictures_.addPictures(shapes, sheet_);
    shapes_.finish(shapes, c_.workbook, c_.styles.colors(), sheet_);
    notes_.finish(sheet_);
    images_.finish(sheet_);
    if (sheet_.kind == SheetKind::Dialog) {
        sheet_.cells.clear();
        sheet_.merges.clear();
        sheet_.columns.clear();
        sheet_.rows.clear();
        sheet_.hyperlinks.clear();
        sheet_.comments.clear();
        sheet_.conditionalFormats.clear();
    }
}

} // namespace

void readSheet(RecordReader& reader, BiffContext& context, Sheet& sheet,
               const PictureStore& pictures) {
    SheetBuilder builder(context, sheet, pictures);
    builder.read(reader);
}

} // namespace engine::xls
