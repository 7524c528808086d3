#include "engine/chart/ChartSources.h"

#include "engine/base/Limits.h"
#include "engine/numfmt/BuiltinFormats.h"
#include "engine/numfmt/CellText.h"
#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace engine::chart {
namespace {

constexpr double blank = std::numeric_limits<double>::quiet_NaN();

struct CellRef {
    std::uint32_t row = 0;
    std::uint16_t col = 0;
};

// "$B$12" or "B12" at the front of `text`, which it consumes.
std::optional<CellRef> takeCell(std::string_view& text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$')
        ++i;
    std::uint64_t col = 0;
    std::size_t letters = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) && letters < 4) {
        col = col * 26 + static_cast<std::uint64_t>(util::asciiUpper(text[i]) - 'A' + 1);
        ++i;
        ++letters;
    }
    if (letters == 0)
        return std::nullopt;
    if (i < text.size() && text[i] == '$')
        ++i;
    std::uint64_t row = 0;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 8) {
        row = row * 10 + static_cast<std::uint64_t>(text[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || row == 0 || row > limits::maxRows || col > limits::maxColumns)
        return std::nullopt;
    text.remove_prefix(i);
    return CellRef{static_cast<std::uint32_t>(row - 1), static_cast<std::uint16_t>(col - 1)};
}

// A sheet name, quoted or not, up to and including its '!'; empty when the reference has
// none. nullopt when the text is not a sheet name.
std::optional<std::string> takeSheetName(std::string_view& text) {
    if (!text.empty() && text.front() == '\'') {
        std::string name;
        std::size_t i = 1;
        for (; i < text.size(); ++i) {
            if (text[i] == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    name += '\'';
                    ++i;
                    continue;
                }
                break;
            }
            name += text[i];
        }
        if (i + 1 >= text.size() || text[i + 1] != '!')
            return std::nullopt;
        text.remove_prefix(i + 2);
        return name;
    }
    const std::size_t bang = text.find('!');
    if (bang == std::string_view::npos)
        return std::string();
    const std::string_view name = text.substr(0, bang);
    if (name.find_first_of("[]():,'\"") != std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(bang + 1);
    return std::string(name);
}

std::optional<CellArea> parseArea(std::string_view text, const Workbook& workbook,
                                  std::size_t ownSheet) {
    const auto name = takeSheetName(text);
    if (!name)
        return std::nullopt;
    CellArea area;
    area.sheet = ownSheet;
    if (!name->empty()) {
        const auto found = std::find_if(workbook.sheets.begin(), workbook.sheets.end(),
                                        [&](const Sheet& sheet) { return sheet.name == *name; });
        if (found == workbook.sheets.end())
            return std::nullopt;
        area.sheet = static_cast<std::size_t>(found - workbook.sheets.begin());
    }
    const auto first = takeCell(text);
    if (!first)
        return std::nullopt;
    CellRef last = *first;
    if (!text.empty() && text.front() == ':') {
        text.remove_prefix(1);
        const auto second = takeCell(text);
        if (!second)
            return std::nullopt;
        last = *second;
    }
    if (!text.empty())
        return std::nullopt;
    area.range.firstRow = std::min(first->row, last.row);
    area.range.lastRow = std::max(first->row, last.row);
    area.range.firstCol = std::min(first->col, last.col);
    area.range.lastCol = std::max(first->col, last.col);
    return area;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

class SourceReader {
public:
    SourceReader(const Workbook& workbook, std::size_t budget)
        : workbook_(workbook), formatter_(workbook), budget_(budget) {}

    // Calls `visit` with every cell (nullptr for an empty one) of `reference` in reading order;
    // false when the reference cannot be followed or is past the budget.
    template <class F>
    bool forEachCell(const std::string& reference, std::size_t ownSheet, F&& visit) {
        const auto areas = parseSeriesReference(reference, workbook_, ownSheet);
        if (!areas)
            return false;
        std::uint64_t count = 0;
        for (const CellArea& area : *areas)
            count += std::uint64_t{area.range.lastRow - area.range.firstRow + 1u} *
                     std::uint64_t{area.range.lastCol - area.range.firstCol + 1u};
        if (count > limits::maxChartSeriesPoints || count > budget_)
            return false;
        budget_ -= static_cast<std::size_t>(count);
        for (const CellArea& area : *areas) {
            const Sheet& sheet = workbook_.sheets[area.sheet];
            for (std::uint32_t row = area.range.firstRow; row <= area.range.lastRow; ++row)
                for (std::uint32_t col = area.range.firstCol; col <= area.range.lastCol; ++col)
                    visit(sheet.cellAt(row, static_cast<std::uint16_t>(col)));
        }
        return true;
    }

    std::string text(const Cell* cell) {
        if (!cell)
            return {};
        formatter_.format(*cell, shown_);
        return shown_.text;
    }

    void fill(ChartSeries& series, bool scatter, std::size_t ownSheet) {
        const ChartSeriesSource& source = series.source;
        if (series.name.empty() && !source.name.empty()) {
            std::string name;
            forEachCell(source.name, ownSheet, [&](const Cell* cell) {
                const std::string part = text(cell);
                if (!part.empty())
                    name += (name.empty() ? "" : " ") + part;
            });
            series.name = std::move(name);
        }
        const bool noValues = std::none_of(series.values.begin(), series.values.end(),
                                           [](double v) { return std::isfinite(v); });
        // A file that asks for a full calculation on opening caches placeholders, not values.
        const bool stale = workbook_.fullCalcOnLoad;
        if ((noValues || stale) && !source.values.empty()) {
            std::vector<double> values;
            std::string formatCode;
            const bool read = forEachCell(source.values, ownSheet, [&](const Cell* cell) {
                // Text in a value cell is plotted as zero, an empty cell or an error as a gap.
                if (!cell || cell->type == CellType::Empty || cell->type == CellType::Error)
                    values.push_back(blank);
                else if (cell->type == CellType::Number)
                    values.push_back(cell->number);
                else if (cell->type == CellType::Boolean)
                    values.push_back(cell->boolean ? 1 : 0);
                else
                    values.push_back(0);
                if (cell && cell->type == CellType::Number && formatCode.empty() &&
                    cell->format < workbook_.cellFormats.size())
                    formatCode = numfmt::formatCodeFor(
                        workbook_, workbook_.cellFormats[cell->format].numFmtId);
            });
            if (read) {
                series.values = std::move(values);
                if (series.formatCode.empty())
                    series.formatCode = formatCode;
            }
        }
        const bool noCategories = series.xValues.empty() &&
                                  std::all_of(series.categories.begin(), series.categories.end(),
                                              [](const std::string& c) { return c.empty(); });
        if ((noCategories || stale) && !source.categories.empty()) {
            std::vector<std::string> categories;
            std::vector<double> xs;
            const bool read = forEachCell(source.categories, ownSheet, [&](const Cell* cell) {
                if (scatter)
                    xs.push_back(cell && cell->type == CellType::Number ? cell->number : blank);
                else
                    categories.push_back(text(cell));
            });
            if (read) {
                series.categories = std::move(categories);
                series.xValues = std::move(xs);
            }
        }
        if (series.values.size() < series.categories.size())
            series.values.resize(series.categories.size(), blank);
    }

private:
    const Workbook& workbook_;
    numfmt::CellTextFormatter formatter_;
    numfmt::Shown shown_;
    std::size_t budget_;
};

} // namespace

std::optional<std::vector<CellArea>>
parseSeriesReference(std::string_view text, const Workbook& workbook, std::size_t ownSheet) {
    text = trim(text);
    if (!text.empty() && text.front() == '=')
        text = trim(text.substr(1));
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')')
        text = text.substr(1, text.size() - 2);
    std::vector<CellArea> areas;
    // A union separates its areas by commas outside quoted sheet names.
    while (!text.empty()) {
        std::size_t end = 0;
        bool quoted = false;
        for (; end < text.size(); ++end) {
            if (text[end] == '\'')
                quoted = !quoted;
            else if (text[end] == ',' && !quoted)
                break;
        }
        const auto area = parseArea(trim(text.substr(0, end)), workbook, ownSheet);
        if (!area || areas.size() >= limits::maxReferenceAreas)
            return std::nullopt;
        areas.push_back(*area);
        text = end < text.size() ? text.substr(end + 1) : std::string_view();
    }
    if (areas.empty())
        return std::nullopt;
    return areas;
}

void fillChartsFromCells(Workbook& workbook, std::size_t pointBudget) {
    SourceReader reader(workbook, pointBudget);
    for (std::size_t s = 0; s < workbook.sheets.size(); ++s)
        for (Chart& chart : workbook.sheets[s].charts)
            for (ChartPlot& plot : chart.plots)
                for (ChartSeries& series : plot.series)
                    reader.fill(series, plot.kind == ChartKind::Scatter, s);
}

} // namespace engine::chart
