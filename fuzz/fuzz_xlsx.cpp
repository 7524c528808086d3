// libFuzzer target: any bytes through the OOXML package reader end in a workbook or a ReadError,
// and a workbook is written as pages.

#include "engine/base/ReadError.h"
#include "engine/xlsx/XlsxReader.h"
#include "fuzz/WritePages.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        fuzzing::writePages(engine::xlsx::readPackage(std::span<const std::uint8_t>(data, size)));
    } catch (const engine::ReadError&) {
    }
    return 0;
}
