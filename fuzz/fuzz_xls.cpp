// Binary workbooks through the format dispatcher (compound files, raw BIFF2-4 streams), and
// bare BIFF5/8 workbook streams straight to their reader, so that mutations reach the records
// without first having to keep a compound file intact.

#include "engine/read/ReadWorkbook.h"
#include "engine/xls/WorkbookStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        engine::readWorkbookBytes({data, size});
    } catch (const engine::ReadError&) {
    }
    if (size >= 2 && data[0] == 0x09 && data[1] == 0x08) {
        try {
            engine::xls::readWorkbookStream({data, size}, false);
        } catch (const engine::ReadError&) {
        }
    }
    return 0;
}
