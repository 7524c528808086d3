#include "engine/xlsx/TableParts.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/package/XmlValues.h"
#include "engine/util/Utf8.h"
#include "engine/zip/ZipArchive.h"

#include <charconv>

namespace engine::xlsx {
namespace {

std::uint32_t count(std::string_view text, std::uint32_t fallback) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// <table name="…" displayName="…" ref="A1:C5" headerRowCount="1" totalsRowCount="1">
// <tableColumns><tableColumn name="…"/>…</tableColumns></table>
class TableHandler : public xml::Handler {
public:
    explicit TableHandler(Table& table) : table_(table) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local == "table") {
            std::string_view name = attributes.value("displayName");
            if (name.empty())
                name = attributes.value("name");
            util::appendUtf8Bounded(table_.name, name, limits::maxTableColumnNameBytes);
            if (const auto range = package::parseRange(attributes.value("ref")))
                table_.range = *range, hasRange_ = true;
            table_.headerRows = count(attributes.value("headerRowCount"), 1) ? 1 : 0;
            table_.totalsRows = count(attributes.value("totalsRowCount"), 0) ? 1 : 0;
        } else if (local == "tableColumn" && hasRange_ &&
                   table_.columns.size() <
                       std::size_t{table_.range.lastCol} - table_.range.firstCol + 1u) {
            std::string& column = table_.columns.emplace_back();
            util::appendUtf8Bounded(column, attributes.value("name"),
                                    limits::maxTableColumnNameBytes);
            package::decodeEscapes(column);
        }
    }
    void endElement(std::string_view, std::string_view) override {}
    void characters(std::string_view) override {}

    bool usable() const {
        return hasRange_ && !table_.name.empty() &&
               table_.range.lastRow - table_.range.firstRow + 1 >
                   table_.headerRows + table_.totalsRows;
    }

private:
    Table& table_;
    bool hasRange_ = false;
};

// A table whose part lists fewer columns than its range has gets the application's names for
// the rest, so that every column can be found.
void completeColumns(Table& table) {
    const std::size_t width = std::size_t{table.range.lastCol} - table.range.firstCol + 1u;
    while (table.columns.size() < width)
        table.columns.push_back("Column" + std::to_string(table.columns.size() + 1));
}

} // namespace

bool parseTableXml(std::string_view xml, const std::string& partName, Table& table) {
    TableHandler handler(table);
    xml::parse(xml, handler, partName);
    completeColumns(table);
    return handler.usable();
}

void readTables(const zip::ZipArchive& archive, const std::string& sheetPart,
                std::uint32_t sheetIndex, Workbook& workbook) {
    const package::Relationships relationships = package::Relationships::read(archive, sheetPart);
    for (const package::Relationship& relationship : relationships.all()) {
        const std::string_view type = relationship.type;
        if (relationship.external || !type.ends_with("/table") ||
            !archive.contains(relationship.target) || workbook.tables.size() >= limits::maxTables)
            continue;
        Table table;
        table.sheet = sheetIndex;
        TableHandler handler(table);
        try {
            package::parsePart(archive, relationship.target, handler, limits::maxSmallPartBytes);
        } catch (const ReadError& error) {
            // A table only names cells the sheet already holds: without it the cells keep their
            // stored results, and only references to it fail.
            if (error.kind() != ReadError::Kind::Damaged)
                throw;
            continue;
        }
        completeColumns(table);
        if (handler.usable())
            workbook.tables.push_back(std::move(table));
    }
}

} // namespace engine::xlsx
