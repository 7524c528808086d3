#include "engine/xlsx/WorksheetPart.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/drawingml/DrawingObjects.h"
#include "engine/model/ErrorNames.h"
#include "engine/model/SheetSpans.h"
#include "engine/package/DrawingPart.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/package/XmlValues.h"
#include "engine/xlsx/CommentsPart.h"
#include "engine/xlsx/ConditionalFormats.h"
#include "engine/xlsx/RichTextCollector.h"
#include "engine/xlsx/SparklineGroups.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::xlsx {
namespace {

enum class ValueType : std::uint8_t { Number, Shared, FormulaText, Inline, Boolean, Error, Date };

ValueType valueType(std::string_view t) {
    if (t.empty() || t == "n")
        return ValueType::Number;
    if (t == "s")
        return ValueType::Shared;
    if (t == "str")
        return ValueType::FormulaText;
    if (t == "inlineStr")
        return ValueType::Inline;
    if (t == "b")
        return ValueType::Boolean;
    if (t == "e")
        return ValueType::Error;
    if (t == "d")
        return ValueType::Date;
    return ValueType::Number;
}

// The sheet's default column width in characters, padding included, for a base width in
// characters: the application adds 5 pixels of padding to the digits (7 pixels each in the
// default font) and rounds up to a multiple of 8 pixels.
double widthFromBase(double baseCharacters) {
    const double pixels = std::ceil((std::floor(baseCharacters) * 7 + 5) / 8) * 8;
    return pixels / 7;
}

class WorksheetHandler : public xml::Handler {
public:
    WorksheetHandler(SheetContext& context, Sheet& sheet,
                     const package::Relationships& relationships, const std::string& part)
        : context_(context), sheet_(sheet), relationships_(relationships), part_(part),
          collector_(context.colors, context.fonts), conditional_(context.colors, sheet),
          sparklines_(context.colors, sheet) {}

    const std::string& drawingId() const { return drawingId_; }
    const std::string& backgroundId() const { return backgroundId_; }

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (!inSheetData_ && (sparklines_.active() || local == "sparklineGroups")) {
            sparklines_.startElement(local, attributes);
            return;
        }
        if (!inSheetData_ && (conditional_.active() || local == "conditionalFormatting")) {
            conditional_.startElement(ns, local, attributes);
            if (conditional_.active())
                return;
        }
        if (inCell_) {
            startInCell(local, attributes);
            return;
        }
        if (inSheetData_) {
            if (local == "c")
                startCell(attributes);
            else if (local == "row")
                startRow(attributes);
            return;
        }
        if (local == "sheetData")
            inSheetData_ = true;
        else if (local == "sheetFormatPr")
            readFormat(attributes);
        else if (local == "col")
            readColumn(attributes);
        else if (local == "mergeCell")
            readMerge(attributes);
        else if (local == "hyperlink")
            readHyperlink(attributes);
        else if (local == "sheetView" && !seenView_) {
            seenView_ = true;
            sheet_.showGridLines = package::parseBool(attributes.value("showGridLines"), true);
            sheet_.rightToLeft = package::parseBool(attributes.value("rightToLeft"), false);
        } else if (local == "pane" && seenView_ && !seenPane_) {
            seenPane_ = true;
            readPane(attributes);
        } else if (local == "drawing" && drawingId_.empty())
            drawingId_ = attributes.value("id");
        else if (local == "picture" && backgroundId_.empty())
            backgroundId_ = attributes.value("id");
    }

    void endElement(std::string_view, std::string_view local) override {
        if (sparklines_.active()) {
            sparklines_.endElement(local);
            return;
        }
        if (conditional_.active()) {
            conditional_.endElement(local);
            return;
        }
        if (inCell_) {
            if (inlineDepth_ > 0) {
                if (--inlineDepth_ == 0) {
                    hasInline_ = true;
                    inlineText_ = collector_.take();
                } else {
                    collector_.endElement(local);
                }
            } else if (local == "v") {
                inValue_ = false;
            } else if (local == "f") {
                inFormula_ = false;
            } else if (local == "c") {
                inCell_ = false;
                endCell();
            }
            return;
        }
        if (local == "sheetData")
            inSheetData_ = false;
    }

    void characters(std::string_view text) override {
        if (sparklines_.active()) {
            sparklines_.characters(text);
            return;
        }
        if (conditional_.active()) {
            conditional_.characters(text);
            return;
        }
        if (inValue_) {
            if (value_.size() + text.size() > limits::maxTextBytes)
                fail("a cell value is longer than " + std::to_string(limits::maxTextBytes) +
                     " bytes");
            value_.append(text);
        } else if (inFormula_) {
            if (formula_.text.size() + text.size() > limits::maxTextBytes)
                fail("a formula is longer than " + std::to_string(limits::maxTextBytes) + " bytes");
            formula_.text.append(text);
        } else if (inlineDepth_ > 0) {
            collector_.characters(text);
        }
    }

    void finish() { normaliseSpans(sheet_); }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw ReadError(ReadError::Kind::Damaged, "the part '" + part_ + "': " + what);
    }

    void readFormat(const xml::Attributes& attributes) {
        if (const auto height = package::parseNumber(attributes.value("defaultRowHeight"));
            height && *height >= 0 && *height <= 409.5)
            defaultRowHeight_ = sheet_.defaultRowHeight = *height;
        const auto width = package::parseNumber(attributes.value("defaultColWidth"));
        const auto base = package::parseNumber(attributes.value("baseColWidth"));
        if (width && *width >= 0 && *width <= 255) {
            sheet_.defaultColumnWidth = *width;
            sheet_.baseColumnWidth = 0;
        } else if (base && *base >= 0 && *base <= 255) {
            sheet_.defaultColumnWidth = widthFromBase(*base);
            sheet_.baseColumnWidth = *base;
        }
    }

    void readColumn(const xml::Attributes& attributes) {
        const auto first = package::parseUnsigned(attributes.value("min"), limits::maxColumns);
        const auto last = package::parseUnsigned(attributes.value("max"), 0xFFFFFFFFu);
        if (!first || !last || *first == 0 || *last < *first ||
            sheet_.columns.size() >= limits::maxColumns)
            return;
        ColumnInfo column;
        column.firstCol = static_cast<std::uint16_t>(*first - 1);
        column.lastCol =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(*last, limits::maxColumns) - 1);
        const auto width = package::parseNumber(attributes.value("width"));
        column.width = width && *width >= 0 && *width <= 65535 ? *width : sheet_.defaultColumnWidth;
        column.hidden = package::parseBool(attributes.value("hidden"), false);
        column.customWidth = package::parseBool(attributes.value("customWidth"), false);
        column.format = static_cast<std::uint32_t>(
            package::parseUnsigned(attributes.value("style"), 0xFFFFFFFFu).value_or(0));
        sheet_.columns.push_back(column);
    }

    void readMerge(const xml::Attributes& attributes) {
        const auto range = package::parseRange(attributes.value("ref"));
        if (!range)
            return;
        if (sheet_.merges.size() >= limits::maxMerges)
            fail("more than " + std::to_string(limits::maxMerges) + " merged ranges");
        sheet_.merges.push_back(*range);
    }

    // A frozen pane's splits count the rows and columns that stay in view (a split pane's are
    // distances, and say nothing of headers).
    void readPane(const xml::Attributes& attributes) {
        const std::string_view state = attributes.value("state");
        if (state != "frozen" && state != "frozenSplit")
            return;
        const auto count = [&](std::string_view name, double max) {
            const auto value = package::parseNumber(attributes.value(name));
            return value && *value >= 1 && *value <= max ? static_cast<std::uint32_t>(*value) : 0u;
        };
        sheet_.frozenRows = count("ySplit", limits::maxRows);
        sheet_.frozenColumns = static_cast<std::uint16_t>(count("xSplit", limits::maxColumns));
    }

    void readHyperlink(const xml::Attributes& attributes) {
        const auto range = package::parseRange(attributes.value("ref"));
        if (!range)
            return;
        if (sheet_.hyperlinks.size() >= limits::maxHyperlinks)
            fail("more than " + std::to_string(limits::maxHyperlinks) + " hyperlinks");
        Hyperlink link;
        link.range = *range;
        if (const char* id = attributes.get("id"))
            if (const package::Relationship* target = relationships_.byId(id);
                target && target->external)
                link.target = target->target;
        link.location = attributes.value("location");
        link.tooltip = attributes.value("tooltip");
        if (link.target.empty() && link.location.empty())
            return;
        sheet_.hyperlinks.push_back(std::move(link));
    }

    void startRow(const xml::Attributes& attributes) {
        if (const char* r = attributes.get("r")) {
            const auto number = package::parseUnsigned(r, 0xFFFFFFFFu);
            if (!number || *number == 0)
                fail("row number '" + std::string(r) + "' is malformed");
            rowNumber_ = *number - 1;
        } else {
            rowNumber_ = nextRow_;
        }
        nextRow_ = rowNumber_ + 1;
        nextCol_ = 0;
        if (rowNumber_ >= limits::maxRows)
            return;

        RowInfo row;
        row.row = static_cast<std::uint32_t>(rowNumber_);
        row.hidden = package::parseBool(attributes.value("hidden"), false);
        row.customHeight = package::parseBool(attributes.value("customHeight"), false);
        if (const auto height = package::parseNumber(attributes.value("ht"));
            height && *height >= 0 && *height <= 409.5)
            row.height = *height;
        row.hasFormat = package::parseBool(attributes.value("customFormat"), false);
        if (row.hasFormat)
            row.format = static_cast<std::uint32_t>(
                package::parseUnsigned(attributes.value("s"), 0xFFFFFFFFu).value_or(0));
        if (!row.customHeight && row.height == defaultRowHeight_)
            row.height = 0;
        // Writers give every row its height; only a difference from the default is news.
        if ((row.height != 0 || row.hidden || row.hasFormat) &&
            sheet_.rows.size() < limits::maxRows)
            sheet_.rows.push_back(row);
    }

    void startCell(const xml::Attributes& attributes) {
        inCell_ = true;
        hasValue_ = hasInline_ = isFormula_ = inFormula_ = false;
        formula_ = CellFormula{};
        value_.clear();
        // One pass over the attributes, as this runs for every cell of the sheet; of two
        // attributes with one local name the first counts, as in Attributes::get.
        std::string_view type, metadata, valueMetadata, style, reference;
        bool hasReference = false;
        const auto first = [](std::string_view& slot, std::string_view value) {
            if (slot.data() == nullptr)
                slot = value;
        };
        attributes.forEach([&](std::string_view local, std::string_view value) {
            if (local == "t")
                first(type, value);
            else if (local == "s")
                first(style, value);
            else if (local == "r" && !hasReference)
                reference = value, hasReference = true;
            else if (local == "cm")
                first(metadata, value);
            else if (local == "vm")
                first(valueMetadata, value);
        });
        type_ = valueType(type);
        dynamic_ = !metadata.empty() && marksDynamicArray(context_.dynamicArrays, metadata);
        richError_ = context_.richErrors.error(valueMetadata);
        format_ =
            static_cast<std::uint32_t>(package::parseUnsigned(style, 0xFFFFFFFFu).value_or(0));

        std::uint64_t row = rowNumber_, col = nextCol_;
        if (hasReference) {
            package::CellPosition position;
            switch (package::parseCellRef(reference, position)) {
            case package::RefStatus::Malformed:
                fail("cell reference '" + std::string(reference.substr(0, 32)) + "' is malformed");
            case package::RefStatus::OutsideGrid:
                cellInGrid_ = false;
                return;
            case package::RefStatus::Ok:
                row = position.row;
                col = position.col;
                break;
            }
        }
        nextCol_ = col + 1;
        cellInGrid_ = row < limits::maxRows && col < limits::maxColumns;
        cellRow_ = static_cast<std::uint32_t>(row);
        cellCol_ = static_cast<std::uint16_t>(col);
    }

    void startInCell(std::string_view local, const xml::Attributes& attributes) {
        if (inlineDepth_ > 0) {
            ++inlineDepth_;
            collector_.startElement(local, attributes);
        } else if (local == "v") {
            inValue_ = true;
            hasValue_ = true;
        } else if (local == "f") {
            isFormula_ = true;
            inFormula_ = true;
            formula_ = CellFormula{};
            formula_.row = cellRow_;
            formula_.col = cellCol_;
            const std::string_view kind = attributes.value("t");
            if (kind == "shared")
                formula_.sharedIndex = static_cast<std::uint32_t>(
                    package::parseUnsigned(attributes.value("si"), CellFormula::noShare - 1)
                        .value_or(CellFormula::noShare));
            if (kind == "array") {
                if (const auto range = package::parseRange(attributes.value("ref"))) {
                    formula_.array = true;
                    formula_.dynamic = dynamic_;
                    formula_.arrayRange = *range;
                }
            }
        } else if (local == "is") {
            inlineDepth_ = 1;
            collector_.begin();
        }
    }

    std::string cellName() const {
        std::string name;
        for (std::uint32_t col = cellCol_ + 1u; col > 0; col = (col - 1) / 26)
            name.insert(name.begin(), static_cast<char>('A' + (col - 1) % 26));
        return name + std::to_string(cellRow_ + 1);
    }

    void endCell() {
        if (!cellInGrid_)
            return;
        Cell cell;
        cell.row = cellRow_;
        cell.col = cellCol_;
        cell.format = format_;
        cell.isFormula = isFormula_;
        const bool hasValue = hasValue_ && (!value_.empty() || type_ == ValueType::FormulaText);
        switch (type_) {
        case ValueType::Number:
            // Some writers leave blanks in an empty value.
            if (hasValue && value_.find_first_not_of(" \t\r\n") != std::string::npos) {
                const auto number = package::parseNumber(value_);
                if (!number)
                    fail("cell " + cellName() + " holds '" + value_.substr(0, 32) +
                         "' where a number was expected");
                cell.type = CellType::Number;
                cell.number = *number;
            }
            break;
        case ValueType::Shared:
            if (hasValue) {
                const auto index = package::parseUnsigned(value_, 0xFFFFFFFFu);
                if (!index)
                    fail("cell " + cellName() + " holds '" + value_.substr(0, 32) +
                         "' where a string index was expected");
                cell.type = CellType::Text;
                cell.text = static_cast<std::uint32_t>(*index);
            }
            break;
        case ValueType::FormulaText:
        case ValueType::Inline:
            if (hasInline_) {
                cell.type = CellType::Text;
                cell.text = context_.workbook.addString(std::move(inlineText_));
            } else if (hasValue) {
                package::decodeEscapes(value_);
                cell.type = CellType::Text;
                cell.text = context_.workbook.addString(RichText{value_, {}});
            }
            break;
        case ValueType::Boolean:
            if (hasValue) {
                cell.type = CellType::Boolean;
                cell.boolean = package::parseBool(value_, false);
            }
            break;
        case ValueType::Error:
            if (hasValue) {
                cell.type = CellType::Error;
                cell.error = cellErrorFromText(value_).value_or(CellError::NA);
                // #VALUE! stands in for the errors older readers do not know.
                if (cell.error == CellError::Value && richError_)
                    cell.error = *richError_;
            }
            break;
        case ValueType::Date:
            if (hasValue) {
                if (const auto serial =
                        package::isoDateToSerial(value_, context_.workbook.dateSystem)) {
                    cell.type = CellType::Number;
                    cell.number = *serial;
                } else {
                    // A date the serial numbers cannot hold is shown as written.
                    cell.type = CellType::Text;
                    cell.text = context_.workbook.addString(RichText{value_, {}});
                }
            }
            break;
        }
        // A formula's cell stays even without a result: computing may give it one.
        const bool keepsFormula =
            isFormula_ && (!formula_.text.empty() || formula_.sharedIndex != CellFormula::noShare);
        if (cell.type == CellType::Empty && cell.format == 0 && !keepsFormula)
            return;
        if (++context_.cellCount > limits::maxCellsPerWorkbook)
            fail("the workbook holds more than " + std::to_string(limits::maxCellsPerWorkbook) +
                 " cells");
        sheet_.cells.push_back(cell);
        if (keepsFormula) {
            formula_.hasResult = cell.type != CellType::Empty;
            sheet_.formulas.push_back(std::move(formula_));
        }
        formula_ = CellFormula{};
    }

    SheetContext& context_;
    Sheet& sheet_;
    const package::Relationships& relationships_;
    const std::string& part_;
    RichTextCollector collector_;
    std::string drawingId_;
    std::string backgroundId_; // the sheet's background picture
    double defaultRowHeight_ = 15.0;
    bool inSheetData_ = false, seenView_ = false, seenPane_ = false;

    std::uint64_t rowNumber_ = 0, nextRow_ = 0, nextCol_ = 0;
    bool inCell_ = false, inValue_ = false, hasValue_ = false, hasInline_ = false;
    bool dynamic_ = false;
    std::optional<CellError> richError_; // the error the cell's vm attribute names
    bool isFormula_ = false, inFormula_ = false, cellInGrid_ = false;
    CellFormula formula_;
    int inlineDepth_ = 0;
    ValueType type_ = ValueType::Number;
    std::uint32_t format_ = 0, cellRow_ = 0;
    std::uint16_t cellCol_ = 0;
    std::string value_;
    RichText inlineText_;
    ConditionalFormatReader conditional_;
    SparklineGroupReader sparklines_;
};

} // namespace

void readWorksheet(SheetContext& context, const std::string& part, Sheet& sheet) {
    const package::Relationships relationships =
        package::Relationships::read(context.archive, part);
    // Without a default width of its own a sheet has the application's base of 8 characters.
    sheet.baseColumnWidth = 8;
    WorksheetHandler handler(context, sheet, relationships, part);
    package::parsePart(context.archive, part, handler, limits::maxPartBytes);
    handler.finish();

    const package::Relationship* drawing =
        handler.drawingId().empty() ? nullptr : relationships.byId(handler.drawingId());
    if (drawing && !drawing->external && context.archive.contains(drawing->target)) {
        drawingml::readSheetDrawing(context.archive, drawing->target, context.colors,
                                    context.workbook.dateSystem, sheet, context.pictureBytes);
    }
    if (const package::Relationship* comments = relationships.firstOfKind("comments");
        comments && !comments->external && context.archive.contains(comments->target))
        readComments(context.archive, comments->target, sheet);
    const package::Relationship* background =
        handler.backgroundId().empty() ? nullptr : relationships.byId(handler.backgroundId());
    if (background && !background->external && context.archive.contains(background->target))
        package::readBackground(context.archive, background->target, sheet, context.pictureBytes);
}

} // namespace engine::xlsx
