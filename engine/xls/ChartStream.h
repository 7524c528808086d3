#pragma once
// A chart substream of a binary workbook (BIFF8): an embedded chart after its OBJ record, or a
// chart sheet. Series values come from the values the substream caches, or else from the cells
// of the same workbook that the series refer to, once every sheet is read.

#include "engine/model/Workbook.h"
#include "engine/xls/RecordReader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace engine::xls {

// Cells of this workbook a series refers to: an EXTERNSHEET entry and a range on its sheet.
struct ChartCellLink {
    std::uint16_t externSheet = 0;
    Range area;
};

struct ChartSeriesLinks {
    std::optional<ChartCellLink> name, values, categories;
};

// A chart as its substream describes it, before references to cells are followed.
struct ChartRead {
    Chart chart;
    std::vector<std::vector<ChartSeriesLinks>> links; // parallel to chart.plots[p].series
    bool cachedValues = false;                        // the substream held the series' values
};

// Reads from the record after the chart's BOF up to and including its EOF. `formatCodeOf`
// gives the number format code of a cell format index (for cached values), `fontOf` the font
// of a FONT record's index (for titles and labels; none keeps the defaults), `numberFormatOf`
// the code of a number format identifier (for axes that have their own). Records it does
// not understand are skipped; a truncated substream ends the chart where it breaks.
// Throws ReadError only for a record that runs past the end of the stream.
ChartRead readChartStream(RecordReader& reader,
                          const std::function<std::string(std::uint16_t)>& formatCodeOf,
                          const std::function<ChartFont(std::uint16_t)>& fontOf = {},
                          const std::function<std::string(std::uint16_t)>& numberFormatOf = {});

struct BiffContext;

// A chart read from its substream that waits for the workbook's other sheets: its references
// to cells are followed and it is placed on sheet `sheet` (an index of workbook.sheets) once
// they are all read.
struct PendingChart {
    std::size_t sheet = 0;
    ChartRead read;
    std::optional<std::array<std::uint16_t, 9>> clientAnchor; // embedded charts only
};

// Reads the chart whose BOF was just read into `context.charts`, for sheet `sheet`; `drawing`
// is the last MSODRAWING record before it (empty on a chart sheet), which anchors it.
void readPendingChart(RecordReader& reader, BiffContext& context, std::size_t sheet,
                      std::span<const std::uint8_t> drawing);

// Where a sheet's chart is anchored: the nine 16-bit values of the last client anchor
// (MS-ODRAW OfficeArtClientAnchorSheet) found in `drawing`, the bytes of one MSODRAWING record.
std::optional<std::array<std::uint16_t, 9>> lastClientAnchor(std::span<const std::uint8_t> drawing);

// The anchor of a client anchor on `sheet`, in points from the cells' sizes.
Anchor anchorFromClient(const std::array<std::uint16_t, 9>& client, const Sheet& sheet);

// Fills the series of `read.chart` that have no values (or no name, or no categories) from
// the cells their links name; `sheetOf` gives the sheet of an EXTERNSHEET entry, nullptr when
// it is no sheet of this workbook. `workbook` must have been finish()ed. `pointBudget` is the
// number of cells charts may still take from the workbook; links past it are left out.
void resolveChartLinks(ChartRead& read, const Workbook& workbook,
                       const std::function<const Sheet*(std::uint16_t)>& sheetOf,
                       std::size_t& pointBudget);

} // namespace engine::xls
