#include "engine/xlsb/SharedStringsBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"

namespace engine::xlsb {

void readSharedStringsBin(const zip::ZipArchive& archive, const std::string& part,
                          Workbook& workbook) {
    readRecords(archive, part, limits::maxPartBytes, [&](const Record& record) {
        if (record.type != rec::SstItem)
            return;
        util::ByteCursor cursor = record.cursor();
        workbook.addString(richString(cursor));
    });
}

} // namespace engine::xlsb
