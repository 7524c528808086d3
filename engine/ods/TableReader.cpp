#include "engine/ods/TableReader.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/model/ErrorNames.h"
#include "engine/ods/FrameAnchor.h"
#include "engine/ods/Names.h"
#include "engine/ods/TextSpaces.h"
#include "engine/ods/Values.h"
#include "engine/util/Base64.h"
#include "engine/util/ImageType.h"

#include <algorithm>
#include <cmath>

namespace engine::ods {
namespace {

// The suite's defaults for a new sheet: columns of 2.258 cm and rows fitted to a 10 pt font.
constexpr double defaultColumnPoints = 64.0;
constexpr double defaultRowPoints = 12.8;

double pointsToCharacters(double points) {
    return points * 96.0 / 72.0 / 7.0;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool hiddenBy(std::string_view visibility) {
    return visibility == "collapse" || visibility == "filter";
}

std::optional<CellError> errorCalled(std::string_view text) {
    // The producer's own "Err:5xx" codes for errors the other formats show as #VALUE!.
    if (text == "Err:502" || text == "Err:504" || text == "Err:522")
        return CellError::Value;
    return cellErrorFromText(text);
}

// "#Sheet2.A1" or "#Sheet2!A1" inside the document as "Sheet2!A1".
std::string locationOf(std::string_view href) {
    href.remove_prefix(1);
    std::string location(href);
    const std::size_t dot = location.rfind('.');
    if (dot != std::string::npos && location.find('!') == std::string::npos)
        location[dot] = '!';
    if (!location.empty() && location.front() == '$')
        location.erase(0, 1);
    return location;
}

} // namespace

TableReader::TableReader(TableContext& context, const xml::Attributes& attributes)
    : context_(context) {
    sheet_.name = attributes.value("name");
    if (context_.styles.tableHidden(std::string(attributes.value("style-name"))))
        sheet_.visibility = Visibility::Hidden;
    sheet_.defaultColumnWidth = pointsToCharacters(defaultColumnPoints);
    sheet_.defaultRowHeight = defaultRowPoints;
}

void TableReader::fail(const std::string& what) const {
    throw ReadError(ReadError::Kind::Damaged, where() + ": " + what);
}

std::string TableReader::where() const {
    return "content of table '" + sheet_.name + "', row " + std::to_string(row_ + 1) + ", column " +
           std::to_string(col_ + 1);
}

void TableReader::spend(std::uint64_t count) {
    context_.cells += count;
    if (count > limits::maxCellsPerWorkbook || context_.cells > limits::maxCellsPerWorkbook)
        fail("the workbook holds more than " + std::to_string(limits::maxCellsPerWorkbook) +
             " cells, the most this program reads");
}

void TableReader::startElement(std::string_view ns, std::string_view local,
                               const xml::Attributes& attributes) {
    if (inCell_) {
        startInCell(ns, local, attributes);
        return;
    }
    if (inFrame_) {
        ++frameDepth_;
        if (ns == names::draw && local == "image")
            startImage(attributes);
        else if (ns == names::draw && local == "object")
            startObject(attributes);
        else if (ns == names::office && local == "binary-data")
            inBinary_ = true;
        return;
    }
    if (ns == names::table) {
        if (local == "table-cell" || local == "covered-table-cell")
            startCell(attributes, local == "covered-table-cell");
        else if (local == "table-row")
            startRow(attributes);
        else if (local == "table-column")
            startColumn(attributes);
    } else if (ns == names::draw && local == "frame") {
        startFrame(attributes, false);
        frameDepth_ = 0;
    }
}

void TableReader::endElement(std::string_view ns, std::string_view local) {
    if (inBinary_ && ns == names::office && local == "binary-data")
        finishInlineImage();
    if (inCell_) {
        if (skipDepth_ > 0) {
            if (--skipDepth_ == 0) {
                inFrame_ = false;
                if (annotation_.active())
                    annotation_.end();
            } else if (annotation_.active()) {
                annotation_.endElement(ns, local);
            }
            return;
        }
        if (ns == names::table && (local == "table-cell" || local == "covered-table-cell")) {
            endCell();
        } else if (ns == names::text && (local == "p" || local == "h") && textDepth_ > 0) {
            --textDepth_;
        } else if (ns == names::text && local == "span" && !spanFonts_.empty()) {
            spanFonts_.pop_back();
            addRun(spanFonts_.empty() ? 0 : spanFonts_.back());
        }
        return;
    }
    if (inFrame_) {
        if (frameDepth_ == 0)
            inFrame_ = false;
        else
            --frameDepth_;
        return;
    }
    if (ns == names::table && local == "table-row")
        endRow();
}

void TableReader::characters(std::string_view text) {
    if (inBinary_) {
        // Base64 takes four characters for three bytes, and some white space besides.
        if (binary_.size() + text.size() >
            limits::maxPictureBytes / 3 * 4 + limits::maxBase64SlackBytes)
            binaryOverflow_ = true;
        else
            binary_.append(text);
        return;
    }
    if (inCell_ && annotation_.active())
        annotation_.characters(text);
    else if (inCell_ && skipDepth_ == 0 && textDepth_ > 0)
        appendText(text);
}

void TableReader::appendText(std::string_view text) {
    std::string& out = cell_.text;
    while (!text.empty() && out.size() < limits::maxTextBytes) {
        // Runs without white space go in whole; white space collapses to one space.
        std::size_t plain = 0;
        while (plain < text.size() && !isSpace(text[plain]))
            ++plain;
        if (plain > 0) {
            const std::size_t take = std::min(plain, limits::maxTextBytes - out.size());
            out.append(text.substr(0, take));
            text.remove_prefix(take);
            lastWasSpace_ = false;
            continue;
        }
        if (!lastWasSpace_)
            out += ' ';
        lastWasSpace_ = true;
        text.remove_prefix(1);
    }
}

void TableReader::startColumn(const xml::Attributes& attributes) {
    const std::uint64_t repeat =
        parseCount(attributes.value("number-columns-repeated"), limits::maxColumns).value_or(1);
    if (nextColumn_ >= limits::maxColumns)
        return;
    const std::uint32_t first = nextColumn_;
    const auto last =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(first + repeat, limits::maxColumns) - 1);
    nextColumn_ = last + 1;
    ColumnInfo info;
    info.firstCol = static_cast<std::uint16_t>(first);
    info.lastCol = static_cast<std::uint16_t>(last);
    info.hidden = hiddenBy(attributes.value("visibility"));
    const auto width = context_.styles.columnWidth(std::string(attributes.value("style-name")));
    info.customWidth = width.has_value();
    info.width = pointsToCharacters(width.value_or(defaultColumnPoints));
    if (const char* style = attributes.get("default-cell-style-name")) {
        info.format = context_.styles.cellFormat(style);
        if (info.format != 0)
            columnDefaults_.push_back({first, last, info.format});
    }
    if (info.customWidth || info.hidden || info.format != 0)
        sheet_.columns.push_back(info);
}

std::uint32_t TableReader::cellStyleFormat(std::string_view name) {
    // Neighbouring cells mostly share their style: spare them the lookup by name.
    if (!lastCellStyle_ || name != lastCellStyle_->first)
        lastCellStyle_.emplace(std::string(name), context_.styles.cellFormat(name));
    return lastCellStyle_->second;
}

std::uint32_t TableReader::columnFormat(std::uint32_t col) const {
    const auto found =
        std::upper_bound(columnDefaults_.begin(), columnDefaults_.end(), col,
                         [](std::uint32_t c, const ColumnDefault& run) { return c < run.first; });
    if (found == columnDefaults_.begin())
        return 0;
    const ColumnDefault& run = *(found - 1);
    return col <= run.last ? run.format : 0;
}

void TableReader::startRow(const xml::Attributes& attributes) {
    inRow_ = true;
    col_ = 0;
    rowRepeat_ =
        parseCount(attributes.value("number-rows-repeated"), limits::maxRepeatCount).value_or(1);
    rowDefaultFormat_.reset();
    if (const char* style = attributes.get("default-cell-style-name"))
        rowDefaultFormat_ = context_.styles.cellFormat(style);
    const RowStyle style = context_.styles.rowStyle(std::string(attributes.value("style-name")));
    rowInfo_ = RowInfo{};
    rowInfo_.hidden = hiddenBy(attributes.value("visibility"));
    rowInfo_.height = style.height.value_or(0);
    rowInfo_.customHeight = style.height.has_value() && !style.optimal;
    rowHasInfo_ =
        rowInfo_.hidden || (style.height && std::abs(*style.height - defaultRowPoints) > 0.05);
    rowCells_.clear();
    rowFormulas_.clear();
    rowLinks_.clear();
    rowMerges_.clear();
}

void TableReader::endRow() {
    inRow_ = false;
    std::uint64_t count = rowRepeat_;
    if (row_ + count > limits::maxRows) {
        if (!rowCells_.empty() && row_ >= limits::maxRows)
            fail("content past the last row, " + std::to_string(limits::maxRows));
        if (!rowCells_.empty())
            fail("a row with content repeated " + std::to_string(count) +
                 " times reaches past the last row, " + std::to_string(limits::maxRows));
        count = row_ < limits::maxRows ? limits::maxRows - row_ : 0;
    }
    if (rowCells_.empty() && rowMerges_.empty() && rowLinks_.empty()) {
        // Row heights and hidden rows matter only above some content: keep them for later.
        if (rowHasInfo_ && count > 0 && pendingRows_.size() < limits::maxPendingRows)
            pendingRows_.push_back(
                {static_cast<std::uint32_t>(row_), static_cast<std::uint32_t>(count), rowInfo_});
        row_ += count;
        return;
    }
    for (const PendingRows& pending : pendingRows_) {
        spend(pending.count);
        for (std::uint32_t r = 0; r < pending.count; ++r) {
            RowInfo info = pending.info;
            info.row = pending.first + r;
            sheet_.rows.push_back(info);
        }
    }
    pendingRows_.clear();
    const auto first = static_cast<std::uint32_t>(row_);
    if (rowHasInfo_)
        spend(count);
    for (std::uint64_t r = 0; r < count; ++r) {
        const auto row = static_cast<std::uint32_t>(first + r);
        // Appended as a block, then given their row.
        const auto at = static_cast<std::ptrdiff_t>(sheet_.cells.size());
        sheet_.cells.insert(sheet_.cells.end(), rowCells_.begin(), rowCells_.end());
        for (auto cell = sheet_.cells.begin() + at; cell != sheet_.cells.end(); ++cell)
            cell->row = row;
        // Copies of a repeated formula move its relative references, as shared ones do.
        for (const auto& [formula, columns] : rowFormulas_)
            for (std::uint64_t i = 0; i < columns; ++i) {
                CellFormula copy = formula;
                copy.row = row;
                copy.col = static_cast<std::uint16_t>(formula.col + i);
                if (r > 0 || i > 0)
                    copy.text.clear();
                sheet_.formulas.push_back(std::move(copy));
            }
        if (rowHasInfo_) {
            RowInfo info = rowInfo_;
            info.row = row;
            sheet_.rows.push_back(info);
        }
        for (Range merge : rowMerges_) {
            if (sheet_.merges.size() >= limits::maxMerges)
                break;
            merge.firstRow += row;
            merge.lastRow = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(std::uint64_t(merge.lastRow) + row, limits::maxRows - 1));
            sheet_.merges.push_back(merge);
        }
    }
    for (Hyperlink link : rowLinks_) {
        if (sheet_.hyperlinks.size() >= limits::maxHyperlinks)
            break;
        link.range.firstRow = first;
        link.range.lastRow = static_cast<std::uint32_t>(first + count - 1);
        sheet_.hyperlinks.push_back(std::move(link));
    }
    row_ += count;
}

void TableReader::resetCell(bool covered) {
    // Cleared in place rather than rebuilt: the strings keep their buffers from cell to cell.
    cell_.repeat = 1;
    cell_.spanColumns = cell_.spanRows = 1;
    cell_.covered = covered;
    cell_.hasFormat = false;
    cell_.format = 0;
    cell_.valueType.clear();
    cell_.number.reset();
    cell_.boolean.reset();
    cell_.stringValue.reset();
    cell_.formula = false;
    cell_.formulaText.clear();
    cell_.text.clear();
    cell_.runs.clear();
    cell_.textSeen = false;
    cell_.href.clear();
    cell_.paragraphs = 0;
}

void TableReader::startCell(const xml::Attributes& attributes, bool covered) {
    inCell_ = true;
    skipDepth_ = 0;
    textDepth_ = 0;
    lastWasSpace_ = false;
    resetCell(covered);
    // One pass over the attributes; as with a lookup by name, the first of a local name
    // counts (office:value-type before calcext:value-type).
    std::string_view repeated, spannedColumns, spannedRows, style, type, value, dateValue,
        timeValue, booleanValue, stringValue, formula;
    attributes.forEach([&](std::string_view name, std::string_view text) {
        std::string_view* slot = nullptr;
        if (name == "style-name")
            slot = &style;
        else if (name == "value-type")
            slot = &type;
        else if (name == "value")
            slot = &value;
        else if (name == "date-value")
            slot = &dateValue;
        else if (name == "time-value")
            slot = &timeValue;
        else if (name == "boolean-value")
            slot = &booleanValue;
        else if (name == "string-value")
            slot = &stringValue;
        else if (name == "formula")
            slot = &formula;
        else if (name == "number-columns-repeated")
            slot = &repeated;
        else if (name == "number-columns-spanned")
            slot = &spannedColumns;
        else if (name == "number-rows-spanned")
            slot = &spannedRows;
        // An absent attribute stays a null view; a present one, even empty, points at its text.
        if (slot && !slot->data())
            *slot = text;
    });
    // Most cells have none of these: resetCell() left them at 1.
    if (repeated.data())
        cell_.repeat = parseCount(repeated, limits::maxRepeatCount).value_or(1);
    if (spannedColumns.data())
        cell_.spanColumns =
            static_cast<std::uint32_t>(parseCount(spannedColumns, limits::maxColumns).value_or(1));
    if (spannedRows.data())
        cell_.spanRows =
            static_cast<std::uint32_t>(parseCount(spannedRows, limits::maxRows).value_or(1));
    if (style.data()) {
        cell_.hasFormat = true;
        cell_.format = cellStyleFormat(style);
    } else if (rowDefaultFormat_) {
        cell_.format = *rowDefaultFormat_;
    } else if (col_ < limits::maxColumns) {
        cell_.format = columnFormat(static_cast<std::uint32_t>(col_));
    }
    spanFonts_.clear();
    cell_.valueType = type;
    cell_.formula = formula.data() != nullptr;
    if (cell_.formula)
        cell_.formulaText = formula.substr(0, limits::maxTextBytes);
    if (type == "float" || type == "percentage" || type == "currency") {
        cell_.number = parseNumber(value);
    } else if (type == "date") {
        if (const auto serial = isoDateSerial(dateValue, context_.workbook.dateSystem))
            cell_.number = *serial;
    } else if (type == "time") {
        cell_.number = durationDays(timeValue);
    } else if (type == "boolean") {
        if (booleanValue == "true" || booleanValue == "1")
            cell_.boolean = true;
        else if (booleanValue == "false" || booleanValue == "0")
            cell_.boolean = false;
    } else if (type == "string") {
        if (stringValue.data())
            cell_.stringValue = std::string(stringValue.substr(0, limits::maxTextBytes));
    }
}

void TableReader::startInCell(std::string_view ns, std::string_view local,
                              const xml::Attributes& attributes) {
    if (skipDepth_ > 0) {
        ++skipDepth_;
        if (inFrame_ && ns == names::draw && local == "image")
            startImage(attributes);
        else if (inFrame_ && ns == names::draw && local == "object")
            startObject(attributes);
        else if (inFrame_ && ns == names::office && local == "binary-data")
            inBinary_ = true;
        else if (annotation_.active())
            annotation_.startElement(ns, local, attributes);
        return;
    }
    // Comments and drawings inside a cell are not its text.
    if (ns == names::office && local == "annotation") {
        annotation_.begin(attributes);
        skipDepth_ = 1;
        return;
    }
    if (ns == names::draw) {
        if (local == "frame")
            startFrame(attributes, true);
        skipDepth_ = 1;
        return;
    }
    if (ns == names::table) {
        // A table nested in a cell is not read.
        skipDepth_ = 1;
        return;
    }
    if (ns != names::text)
        return;
    if (local == "p" || local == "h") {
        if (textDepth_ == 0) {
            if (cell_.paragraphs > 0 && cell_.text.size() < limits::maxTextBytes)
                cell_.text += '\n';
            ++cell_.paragraphs;
            lastWasSpace_ = false;
        }
        ++textDepth_;
        cell_.textSeen = true;
        return;
    }
    if (textDepth_ == 0)
        return;
    if (local == "s") {
        appendSpaces(cell_.text, attributes.value("c"));
        lastWasSpace_ = false;
    } else if (local == "tab") {
        if (cell_.text.size() < limits::maxTextBytes)
            cell_.text += '\t';
        lastWasSpace_ = false;
    } else if (local == "line-break") {
        if (cell_.text.size() < limits::maxTextBytes)
            cell_.text += '\n';
        lastWasSpace_ = false;
    } else if (local == "a" && cell_.href.empty()) {
        cell_.href = attributes.value("href");
    } else if (local == "span") {
        // 0 stands for the cell's own font, in the stack as in the runs.
        std::uint32_t font = spanFonts_.empty() ? 0 : spanFonts_.back();
        if (const char* style = attributes.get("style-name")) {
            const std::uint32_t base = font != 0 ? font : context_.styles.fontOf(cell_.format);
            font = context_.styles.spanFont(base, style).value_or(font);
        }
        spanFonts_.push_back(font);
        addRun(font);
    }
}

void TableReader::addRun(std::uint32_t font) {
    std::vector<TextRun>& runs = cell_.runs;
    const auto start = static_cast<std::uint32_t>(cell_.text.size());
    if (!runs.empty() && runs.back().start == start)
        runs.back().font = font;
    else if (runs.size() < limits::maxTextRuns && (!runs.empty() || font != 0))
        runs.push_back({start, font});
}

bool TableReader::makeValue(Cell& cell) {
    if (cell_.formula) {
        if (const auto error = errorCalled(cell_.text)) {
            cell.type = CellType::Error;
            cell.error = *error;
            cell.isFormula = true;
            return true;
        }
    }
    cell.isFormula = cell_.formula;
    const std::string_view type = cell_.valueType;
    // What no format code can say is shown as the text the suite wrote for the cell.
    const bool shownAsWritten = !cell_.text.empty() && !context_.styles.isExactFormat(cell.format);
    if (cell_.number && !shownAsWritten) {
        cell.type = CellType::Number;
        cell.number = *cell_.number;
        return true;
    }
    if (cell_.boolean) {
        cell.type = CellType::Boolean;
        cell.boolean = *cell_.boolean;
        return true;
    }
    // A string cell, a cell without a type and a number the file forgot to give are shown
    // as the text the suite wrote.
    std::string text;
    std::vector<TextRun> runs;
    if (type == "string" && cell_.stringValue && !shownAsWritten) {
        text = *cell_.stringValue;
    } else if (cell_.textSeen) {
        // The cell ends here: its text can be taken rather than copied.
        text = std::move(cell_.text);
        const bool styled = std::any_of(cell_.runs.begin(), cell_.runs.end(),
                                        [](const TextRun& run) { return run.font != 0; });
        if (styled)
            runs = cell_.runs;
    }
    if (text.empty() && type != "string")
        return false;
    if (text.empty() && !cell_.textSeen && !cell_.stringValue)
        return false;
    cell.text = context_.workbook.addString(RichText{std::move(text), std::move(runs)});
    cell.type = CellType::Text;
    return true;
}

void TableReader::endCell() {
    inCell_ = false;
    skipDepth_ = 0;
    textDepth_ = 0;
    inFrame_ = false;
    annotation_.place(sheet_, row_, col_);
    if (!inRow_)
        return;
    Cell proto;
    proto.format = cell_.format;
    const bool hasValue = makeValue(proto);
    std::uint64_t count = cell_.repeat;
    if (col_ + count > limits::maxColumns) {
        if (hasValue)
            fail("a cell with content repeated " + std::to_string(count) +
                 " times reaches past the last column, " + std::to_string(limits::maxColumns));
        count = col_ < limits::maxColumns ? limits::maxColumns - col_ : 0;
    }
    const bool keep = hasValue || cell_.formula ||
                      (context_.styles.visibleBlank(proto.format) &&
                       count * rowRepeat_ <= limits::maxBlankRunCells);
    if (cell_.formula && count > 0) {
        CellFormula formula;
        formula.col = static_cast<std::uint16_t>(col_);
        formula.hasResult = hasValue;
        formula.openDocument = true;
        formula.sharedIndex = nextShare_++;
        formula.text = std::move(cell_.formulaText);
        rowFormulas_.emplace_back(std::move(formula), count);
    }
    if (keep && count > 0) {
        spend(count * rowRepeat_);
        for (std::uint64_t i = 0; i < count; ++i) {
            proto.col = static_cast<std::uint16_t>(col_ + i);
            rowCells_.push_back(proto);
        }
    }
    if (hasValue && !cell_.href.empty() && count > 0) {
        Hyperlink link;
        link.range.firstCol = static_cast<std::uint16_t>(col_);
        link.range.lastCol = static_cast<std::uint16_t>(col_ + count - 1);
        if (cell_.href.front() == '#')
            link.location = locationOf(cell_.href);
        else
            link.target = cell_.href;
        rowLinks_.push_back(std::move(link));
    }
    if (!cell_.covered && (cell_.spanColumns > 1 || cell_.spanRows > 1)) {
        for (std::uint64_t i = 0; i < count && rowMerges_.size() < limits::maxMerges; ++i) {
            const std::uint64_t col = col_ + i;
            Range merge;
            merge.firstRow = 0;
            merge.lastRow = cell_.spanRows - 1;
            merge.firstCol = static_cast<std::uint16_t>(col);
            merge.lastCol = static_cast<std::uint16_t>(
                std::min<std::uint64_t>(col + cell_.spanColumns - 1, limits::maxColumns - 1));
            rowMerges_.push_back(merge);
        }
    }
    col_ += count;
}

void TableReader::startFrame(const xml::Attributes& attributes, bool inCell) {
    inFrame_ = true;
    frameInCell_ = inCell;
    frameObject_ = false;
    frameAnchor_ =
        frameAnchor(attributes, inCell ? std::optional(std::pair(row_, col_)) : std::nullopt);
    frameTitle_ = attributes.value("name");
}

void TableReader::startImage(const xml::Attributes& attributes) {
    if (frameObject_ || sheet_.pictures.size() >= limits::maxPicturesPerSheet)
        return;
    Picture picture;
    const std::string_view href = attributes.value("href");
    if (href.empty() || !context_.loadPicture(href, picture))
        return;
    picture.anchor = frameAnchor_;
    sheet_.pictures.push_back(std::move(picture));
}

void TableReader::startObject(const xml::Attributes& attributes) {
    if (context_.loadObject && !frameObject_)
        frameObject_ = (*context_.loadObject)(attributes.value("href"), frameAnchor_, sheet_);
}

void TableReader::finishInlineImage() {
    inBinary_ = false;
    std::string text;
    text.swap(binary_);
    const bool overflow = binaryOverflow_;
    binaryOverflow_ = false;
    if (overflow || sheet_.pictures.size() >= limits::maxPicturesPerSheet)
        return;
    auto bytes = util::decodeBase64(text);
    if (!bytes)
        return;
    Picture picture;
    picture.mimeType = util::mimeType(util::imageType(*bytes));
    if (picture.mimeType.empty())
        return;
    picture.data = std::move(*bytes);
    picture.anchor = frameAnchor_;
    sheet_.pictures.push_back(std::move(picture));
}

void TableReader::finish() {
    // What follows the last content (rows styled to the end of the sheet) shows nothing.
    pendingRows_.clear();
    settleCellOffsets(sheet_);
    context_.workbook.sheets.push_back(std::move(sheet_));
}

} // namespace engine::ods
