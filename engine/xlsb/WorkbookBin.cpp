#include "engine/xlsb/WorkbookBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"

namespace engine::xlsb {

package::WorkbookInfo readWorkbookBin(const zip::ZipArchive& archive, const std::string& part,
                                      BinaryLinks& links) {
    package::WorkbookInfo info;
    bool first = true;
    readRecords(archive, part, limits::maxSmallPartBytes, [&](const Record& record) {
        if (first && record.type != rec::BeginBook)
            throw ReadError(ReadError::Kind::Damaged, "the first record is of type " +
                                                          std::to_string(record.type) +
                                                          " where BrtBeginBook was expected");
        first = false;
        util::ByteCursor cursor = record.cursor();
        links.record(record);
        if (record.type == rec::CalcProp) {
            // Past the calculation id, mode, count, delta and thread count: fFullCalcOnLoad.
            if (record.body.size() >= 26)
                info.fullCalcOnLoad = (record.body[24] & 0x01) != 0;
        } else if (record.type == rec::WbProp) {
            if (cursor.u32() & 0x01u)
                info.dateSystem = DateSystem::Date1904;
        } else if (record.type == rec::BundleSh) {
            if (info.sheets.size() >= limits::maxSheets)
                throw ReadError(ReadError::Kind::Damaged, "the workbook lists more than " +
                                                              std::to_string(limits::maxSheets) +
                                                              " sheets");
            package::SheetEntry entry;
            const std::uint32_t state = cursor.u32();
            cursor.u32(); // iTabID
            entry.relationshipId = nullableWideString(cursor).value_or(std::string());
            entry.name = wideString(cursor);
            entry.visibility = state == 1   ? Visibility::Hidden
                               : state == 2 ? Visibility::VeryHidden
                                            : Visibility::Visible;
            info.sheets.push_back(std::move(entry));
        }
    });
    if (first)
        throw ReadError(ReadError::Kind::Damaged, "the part '" + part + "' holds no records");
    std::vector<std::string> names;
    for (const package::SheetEntry& sheet : info.sheets)
        names.push_back(sheet.name);
    links.setSheetNames(std::move(names));
    info.definedNames = links.definedNames();
    return info;
}

} // namespace engine::xlsb
