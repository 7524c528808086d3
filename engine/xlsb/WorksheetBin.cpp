#include "engine/xlsb/WorksheetBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/drawingml/DrawingObjects.h"
#include "engine/formula/tokens/FormulaCells.h"
#include "engine/model/SheetSpans.h"
#include "engine/package/Relationships.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/FormulaLinksBin.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>

namespace engine::xlsb {
namespace {

constexpr std::uint32_t noDefaultWidth = 0xFFFFFFFFu;

// The sheet's default column width in characters, padding included, for a base width in
// characters: the application adds 5 pixels of padding to the digits (7 pixels each in the
// default font) and rounds up to a multiple of 8 pixels.
double widthFromBase(double baseCharacters) {
    const double pixels = std::ceil((std::floor(baseCharacters) * 7 + 5) / 8) * 8;
    return pixels / 7;
}

class WorksheetReader {
public:
    WorksheetReader(SheetContext& context, Sheet& sheet,
                    const package::Relationships& relationships)
        : context_(context), sheet_(sheet), relationships_(relationships),
          formulas_(context.formulas) {}

    const std::string& drawingId() const { return drawingId_; }

    void record(const Record& record) {
        util::ByteCursor cursor = record.cursor();
        if (inSheetData_) {
            if (record.type <= rec::FmlaError || record.type == rec::CellRString) {
                readCell(record.type, cursor, record.body);
                cellMeta_ = false;
            } else if (record.type == rec::CellMeta) {
                cellMeta_ = cursor.remaining() >= 4 && context_.cellMeta.dynamic(cursor.u32());
            } else if (record.type == rec::ArrFmla || record.type == rec::ShrFmla)
                readFormulaGroup(record);
            else if (record.type == rec::EndSheetData)
                inSheetData_ = false;
            return;
        }
        switch (record.type) {
        case rec::BeginSheetData:
            inSheetData_ = true;
            break;
        case rec::WsFmtInfo:
            readFormat(cursor);
            break;
        case rec::ColInfo:
            readColumn(cursor);
            break;
        case rec::MergeCell:
            readMerge(cursor);
            break;
        case rec::HLink:
            readHyperlink(cursor);
            break;
        case rec::BeginWsView:
            if (!seenView_) {
                seenView_ = true;
                sheet_.showGridLines = (cursor.u16() & 0x0004u) != 0;
            }
            break;
        case rec::Drawing:
            if (drawingId_.empty())
                drawingId_ = nullableWideString(cursor).value_or(std::string());
            break;
        default:
            break;
        }
    }

    void finish() { normaliseSpans(sheet_); }

private:
    [[noreturn]] static void fail(const std::string& what) {
        throw ReadError(ReadError::Kind::Damaged, what);
    }

    void readFormat(util::ByteCursor& cursor) {
        const std::uint32_t width = cursor.u32();
        const std::uint16_t baseWidth = cursor.u16();
        const std::uint16_t height = cursor.u16(); // twips
        // A zero default would hide every row without a height of its own: taken as unset.
        if (height > 0 && height <= 409.5 * 20)
            defaultRowHeight_ = sheet_.defaultRowHeight = height / 20.0;
        if (width != noDefaultWidth && width <= 65535u * 256) {
            sheet_.defaultColumnWidth = width / 256.0;
            sheet_.baseColumnWidth = 0;
        } else if (baseWidth <= 255) {
            sheet_.defaultColumnWidth = widthFromBase(baseWidth);
            sheet_.baseColumnWidth = baseWidth;
        }
    }

    void readColumn(util::ByteCursor& cursor) {
        const std::uint32_t first = cursor.u32(), last = cursor.u32();
        const std::uint32_t width = cursor.u32(), format = cursor.u32();
        const std::uint16_t flags = cursor.u16();
        if (first >= limits::maxColumns || last < first ||
            sheet_.columns.size() >= limits::maxColumns)
            return;
        ColumnInfo column;
        column.firstCol = static_cast<std::uint16_t>(first);
        column.lastCol = static_cast<std::uint16_t>(std::min(last, limits::maxColumns - 1));
        column.width = width <= 65535u * 256 ? width / 256.0 : sheet_.defaultColumnWidth;
        column.hidden = (flags & 0x0001u) != 0;
        column.customWidth = (flags & 0x0002u) != 0;
        column.format = format;
        sheet_.columns.push_back(column);
    }

    void readMerge(util::ByteCursor& cursor) {
        const auto range = rfx(cursor);
        if (!range)
            return;
        if (sheet_.merges.size() >= limits::maxMerges)
            fail("more than " + std::to_string(limits::maxMerges) + " merged ranges");
        sheet_.merges.push_back(*range);
    }

    void readHyperlink(util::ByteCursor& cursor) {
        const auto range = rfx(cursor);
        const std::optional<std::string> id = nullableWideString(cursor);
        Hyperlink link;
        link.location = wideString(cursor);
        link.tooltip = wideString(cursor);
        if (!range)
            return;
        if (sheet_.hyperlinks.size() >= limits::maxHyperlinks)
            fail("more than " + std::to_string(limits::maxHyperlinks) + " hyperlinks");
        link.range = *range;
        if (id && !id->empty())
            if (const package::Relationship* target = relationships_.byId(*id);
                target && target->external)
                link.target = target->target;
        if (link.target.empty() && link.location.empty())
            return;
        sheet_.hyperlinks.push_back(std::move(link));
    }

    void readRow(util::ByteCursor& cursor) {
        row_ = cursor.u32();
        const std::uint32_t format = cursor.u32();
        const std::uint16_t height = cursor.u16(); // twips
        cursor.u8();
        const std::uint8_t flags = cursor.u8();
        if (row_ >= limits::maxRows)
            return;
        RowInfo row;
        row.row = row_;
        row.hidden = (flags & 0x10u) != 0;
        row.customHeight = (flags & 0x20u) != 0;
        row.hasFormat = (flags & 0x40u) != 0;
        if (row.hasFormat)
            row.format = format;
        if (height <= 409.5 * 20)
            row.height = height / 20.0;
        if (!row.customHeight && row.height == defaultRowHeight_)
            row.height = 0;
        // Writers give every row its height; only a difference from the default is news.
        if ((row.height != 0 || row.hidden || row.hasFormat) &&
            sheet_.rows.size() < limits::maxRows)
            sheet_.rows.push_back(row);
    }

    // A shared formula (RfX, formula) or an array formula (RfX, flags, formula).
    void readFormulaGroup(const Record& record) {
        if (!formulas_ || record.body.size() < 16)
            return;
        const std::uint8_t* p = record.body.data();
        const std::uint32_t rows[2] = {util::loadU32(p), util::loadU32(p + 4)};
        const std::uint32_t cols[2] = {util::loadU32(p + 8), util::loadU32(p + 12)};
        if (rows[1] >= limits::maxRows || cols[1] >= limits::maxColumns)
            return;
        const bool isArray = record.type == rec::ArrFmla;
        const ParsedFormula parsed = parsedFormula(record.body, isArray ? 17 : 16);
        formulas_->group(Range{rows[0], rows[1], static_cast<std::uint16_t>(cols[0]),
                               static_cast<std::uint16_t>(cols[1])},
                         isArray, parsed.tokens, parsed.extra);
    }

    void readCell(std::uint16_t type, util::ByteCursor& cursor,
                  std::span<const std::uint8_t> body) {
        if (type == rec::RowHdr) {
            readRow(cursor);
            return;
        }
        const CellHeader header = cellHeader(cursor);
        Cell cell;
        cell.format = header.style;
        cell.isFormula = type >= rec::FmlaString && type <= rec::FmlaError;
        switch (type) {
        case rec::CellBlank:
            break;
        case rec::CellRk:
            cell.type = CellType::Number;
            cell.number = rkNumber(cursor.u32());
            break;
        case rec::CellReal:
        case rec::FmlaNum:
            cell.type = CellType::Number;
            cell.number = cursor.f64();
            break;
        case rec::CellBool:
        case rec::FmlaBool:
            cell.type = CellType::Boolean;
            cell.boolean = cursor.u8() != 0;
            break;
        case rec::CellError:
        case rec::FmlaError:
            cell.type = CellType::Error;
            cell.error = cellErrorFromCode(cursor.u8()).value_or(CellError::NA);
            break;
        case rec::CellIsst:
            cell.type = CellType::Text;
            cell.text = cursor.u32();
            break;
        case rec::CellSt:
        case rec::FmlaString:
            if (row_ >= limits::maxRows || header.col >= limits::maxColumns)
                return;
            cell.type = CellType::Text;
            cell.text = context_.workbook.addString(RichText{wideString(cursor), {}});
            break;
        case rec::CellRString:
            if (row_ >= limits::maxRows || header.col >= limits::maxColumns)
                return;
            cell.type = CellType::Text;
            cell.text = context_.workbook.addString(richString(cursor));
            break;
        default:
            return;
        }
        if (row_ >= limits::maxRows || header.col >= limits::maxColumns)
            return;
        if (cell.type == CellType::Empty && cell.format == 0)
            return;
        if (++context_.cellCount > limits::maxCellsPerWorkbook)
            fail("the workbook holds more than " + std::to_string(limits::maxCellsPerWorkbook) +
                 " cells");
        cell.row = row_;
        cell.col = static_cast<std::uint16_t>(header.col);
        sheet_.cells.push_back(cell);
        if (cell.isFormula && formulas_ && cursor.remaining() >= 2) {
            // After the result: flags, then the formula.
            const bool alwaysCalc = (cursor.u16() & 0x0001) != 0;
            const ParsedFormula parsed = parsedFormula(body, cursor.position());
            formulas_->cell(cell.row, cell.col, parsed.tokens, parsed.extra, alwaysCalc, cellMeta_);
        }
    }

    SheetContext& context_;
    Sheet& sheet_;
    const package::Relationships& relationships_;
    std::string drawingId_;
    double defaultRowHeight_ = 15.0;
    bool inSheetData_ = false, seenView_ = false;
    bool cellMeta_ = false; // the next cell record is marked as a dynamic array's anchor
    std::uint32_t row_ = 0; // of the last row header; cells before any header are in row 1
    formula::tokens::FormulaCells* formulas_; // none: the formulas are not read
};

} // namespace

void readWorksheetBin(SheetContext& context, const std::string& part, Sheet& sheet) {
    const package::Relationships relationships =
        package::Relationships::read(context.archive, part);
    // Without a default width of its own a sheet has the application's base of 8 characters.
    sheet.baseColumnWidth = 8;
    WorksheetReader reader(context, sheet, relationships);
    readRecords(context.archive, part, limits::maxPartBytes,
                [&](const Record& record) { reader.record(record); });
    reader.finish();

    const package::Relationship* drawing =
        reader.drawingId().empty() ? nullptr : relationships.byId(reader.drawingId());
    if (drawing && !drawing->external && context.archive.contains(drawing->target)) {
        // The drawing part is the same XML as in the XML packages.
        drawingml::readSheetDrawing(context.archive, drawing->target, context.colors,
                                    context.workbook.dateSystem, sheet, context.pictureBytes);
    }
}

} // namespace engine::xlsb
