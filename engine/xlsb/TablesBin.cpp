#include "engine/xlsb/TablesBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/Relationships.h"
#include "engine/util/Utf8.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"
#include "engine/zip/ZipArchive.h"

namespace engine::xlsb {
namespace {

class TableRecords {
public:
    TableRecords(Table& table, std::uint32_t& id) : table_(table), id_(id) {}

    void record(const Record& record) {
        util::ByteCursor cursor = record.cursor();
        if (record.type == rec::BeginList && !seenList_)
            readList(cursor);
        else if (record.type == rec::BeginListCol && hasRange_ && table_.columns.size() < width())
            readColumn(cursor);
    }

    bool usable() const {
        return hasRange_ && !table_.name.empty() &&
               table_.range.lastRow - table_.range.firstRow + 1 >
                   table_.headerRows + table_.totalsRows;
    }

    // A part that names fewer columns than its range has gets the application's names for the
    // rest, so that every column can be found.
    void completeColumns() {
        while (hasRange_ && table_.columns.size() < width())
            table_.columns.push_back("Column" + std::to_string(table_.columns.size() + 1));
    }

private:
    std::size_t width() const {
        return std::size_t{table_.range.lastCol} - table_.range.firstCol + 1u;
    }

    // rfxList, lt, idList, crwHeader, crwTotals, flags, six style indexes, dwConnID, then the
    // name and the display name formulas use.
    void readList(util::ByteCursor& cursor) {
        seenList_ = true;
        const std::optional<Range> range = rfx(cursor);
        cursor.u32(); // lt: a plain table, a query table or a list of a data source
        id_ = cursor.u32();
        table_.headerRows = cursor.u32() != 0 ? 1 : 0;
        table_.totalsRows = cursor.u32() != 0 ? 1 : 0;
        cursor.skip(4 + 6 * 4 + 4);
        const std::optional<std::string> name = nullableWideString(cursor);
        const std::optional<std::string> displayName = nullableWideString(cursor);
        const std::string& chosen = displayName && !displayName->empty() ? *displayName
                                    : name                               ? *name
                                                                         : std::string();
        util::appendUtf8Bounded(table_.name, chosen, limits::maxTableColumnNameBytes);
        if (range) {
            table_.range = *range;
            hasRange_ = true;
        }
    }

    // idField, ilta, three style indexes, idqsif, then the column's name and its caption, the
    // header the sheet shows.
    void readColumn(util::ByteCursor& cursor) {
        cursor.skip(6 * 4);
        const std::optional<std::string> name = nullableWideString(cursor);
        const std::optional<std::string> caption =
            cursor.remaining() > 0 ? nullableWideString(cursor) : std::nullopt;
        std::string& column = table_.columns.emplace_back();
        util::appendUtf8Bounded(column, name && !name->empty() ? *name : caption.value_or(""),
                                limits::maxTableColumnNameBytes);
    }

    Table& table_;
    std::uint32_t& id_;
    bool seenList_ = false, hasRange_ = false;
};

} // namespace

bool parseTableBin(std::span<const std::uint8_t> records, const std::string& partName, Table& table,
                   std::uint32_t& id) {
    TableRecords reader(table, id);
    parseRecords(records, partName, [&](const Record& record) { reader.record(record); });
    reader.completeColumns();
    return reader.usable();
}

void readTablesBin(const zip::ZipArchive& archive, const std::string& sheetPart,
                   std::uint32_t sheetIndex, Workbook& workbook, BinaryLinks& links) {
    const package::Relationships relationships = package::Relationships::read(archive, sheetPart);
    for (const package::Relationship& relationship : relationships.all()) {
        if (relationship.external || !relationship.type.ends_with("/table") ||
            !archive.contains(relationship.target) || workbook.tables.size() >= limits::maxTables)
            continue;
        Table table;
        table.sheet = sheetIndex;
        std::uint32_t id = 0;
        TableRecords reader(table, id);
        try {
            readRecords(archive, relationship.target, limits::maxSmallPartBytes,
                        [&](const Record& record) { reader.record(record); });
        } catch (const ReadError& error) {
            // A table only names cells the sheet already holds: without it the cells keep their
            // stored results, and only references to it fail.
            if (error.kind() != ReadError::Kind::Damaged)
                throw;
            continue;
        }
        reader.completeColumns();
        if (!reader.usable())
            continue;
        links.addTable(id, formula::tokens::TableLink{table.name, table.columns});
        workbook.tables.push_back(std::move(table));
    }
}

} // namespace engine::xlsb
