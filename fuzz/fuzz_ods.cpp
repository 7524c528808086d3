// libFuzzer target: any bytes through the OpenDocument readers (packages, and flat documents
// for anything else) end in a workbook or a ReadError, and a workbook is written as pages.

#include "engine/base/ReadError.h"
#include "engine/ods/OdsReader.h"
#include "fuzz/WritePages.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const bool zip = size >= 2 && data[0] == 'P' && data[1] == 'K';
        fuzzing::writePages(zip ? engine::ods::readPackage(bytes)
                                : engine::ods::readFlatDocument(bytes));
    } catch (const engine::ReadError&) {
    }
    return 0;
}
