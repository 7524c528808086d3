#pragma once
// One table:table element turned into a sheet: rows and cells with their repeats, merged
// areas, column widths, row heights, hidden rows and columns, links and pictures.

#include "engine/model/Workbook.h"
#include "engine/ods/Annotation.h"
#include "engine/ods/StyleTable.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::ods {

// Loads the picture an xlink:href names; false when it cannot (missing, too large, not an
// image), in which case the picture is left out.
using PictureLoader = std::function<bool(std::string_view href, Picture& picture)>;
// Places the embedded object an xlink:href names (a chart, or the picture standing in for it)
// on `sheet` at `anchor`; false when it places nothing.
using ObjectLoader = std::function<bool(std::string_view href, const Anchor& anchor, Sheet& sheet)>;

// What all tables of a document share while they are read.
struct TableContext {
    Workbook& workbook;
    StyleTable& styles;
    const PictureLoader& loadPicture;
    std::uint64_t cells = 0; // cells and row records made so far, against the workbook's limit
    const ObjectLoader* loadObject = nullptr; // none: embedded objects are left out
};

class TableReader {
public:
    // Starts the sheet for the table:table element with `attributes`.
    TableReader(TableContext& context, const xml::Attributes& attributes);

    // Every element, end and text inside the table:table element (not the element itself).
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes);
    void endElement(std::string_view ns, std::string_view local);
    void characters(std::string_view text);

    // The table:table element ends: the finished sheet is appended to the workbook.
    void finish();

private:
    struct ColumnDefault {
        std::uint32_t first, last, format;
    };
    struct PendingRows {
        std::uint32_t first, count;
        RowInfo info;
    };
    struct CellState {
        std::uint64_t repeat = 1; // as written, up to limits::maxRepeatCount
        std::uint32_t spanColumns = 1, spanRows = 1;
        bool covered = false;
        bool hasFormat = false;
        std::uint32_t format = 0;
        std::string valueType;
        std::optional<double> number;
        std::optional<bool> boolean;
        std::optional<std::string> stringValue;
        bool formula = false;
        std::string formulaText;
        std::string text;
        std::vector<TextRun> runs; // font 0: the cell's own font
        bool textSeen = false;
        std::string href;
        std::size_t paragraphs = 0;
    };

    [[noreturn]] void fail(const std::string& what) const;
    std::string where() const;
    void startColumn(const xml::Attributes& attributes);
    void startRow(const xml::Attributes& attributes);
    void endRow();
    void resetCell(bool covered);
    void startCell(const xml::Attributes& attributes, bool covered);
    void endCell();
    void startInCell(std::string_view ns, std::string_view local,
                     const xml::Attributes& attributes);
    void startFrame(const xml::Attributes& attributes, bool inCell);
    void startImage(const xml::Attributes& attributes);
    void startObject(const xml::Attributes& attributes);
    void appendText(std::string_view text);
    void finishInlineImage();
    void addRun(std::uint32_t font);
    bool makeValue(Cell& cell);
    std::uint32_t columnFormat(std::uint32_t col) const;
    std::uint32_t cellStyleFormat(std::string_view name);
    void spend(std::uint64_t count);

    TableContext& context_;
    Sheet sheet_;
    std::vector<ColumnDefault> columnDefaults_;
    std::vector<PendingRows> pendingRows_;
    std::uint32_t nextColumn_ = 0; // of table:table-column elements
    std::uint64_t row_ = 0;        // the current or next row
    std::uint64_t col_ = 0;        // the current or next cell of the row
    // The current row.
    bool inRow_ = false;
    std::uint64_t rowRepeat_ = 1;
    std::optional<std::uint32_t> rowDefaultFormat_;
    RowInfo rowInfo_;
    bool rowHasInfo_ = false;
    std::vector<Cell> rowCells_;
    std::vector<Hyperlink> rowLinks_; // columns set; rows filled in when the row ends
    std::vector<Range> rowMerges_;    // rows counted from the current row
    // Formulas of the row: col and count set; a repeated one is shared by its copies.
    std::vector<std::pair<CellFormula, std::uint64_t>> rowFormulas_;
    std::uint32_t nextShare_ = 0;
    // The current cell and what inside it is skipped.
    bool inCell_ = false;
    CellState cell_;
    std::optional<std::pair<std::string, std::uint32_t>> lastCellStyle_; // name and its format
    std::size_t skipDepth_ = 0;            // inside an annotation or a drawing of the cell
    std::size_t textDepth_ = 0;            // inside text:p
    bool lastWasSpace_ = false;            // white space collapses to one space inside a paragraph
    std::vector<std::uint32_t> spanFonts_; // the font of each open text:span
    // A picture being read.
    bool inFrame_ = false;
    std::size_t frameDepth_ = 0; // elements open inside a frame of the table's shapes
    bool frameInCell_ = false;
    Anchor frameAnchor_;
    std::string frameTitle_;
    bool frameObject_ = false; // the frame's object is placed: its stand-in image is not wanted
    AnnotationReader annotation_;
    // The base64 text of an image a flat document holds inline.
    bool inBinary_ = false;
    bool binaryOverflow_ = false;
    std::string binary_;
};

} // namespace engine::ods
