// libFuzzer target: any bytes through the OOXML package reader end in a workbook or a ReadError.

#include "engine/read/ReadError.h"
#include "engine/xlsx/XlsxReader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        engine::xlsx::readPackage(std::span<const std::uint8_t>(data, size));
    } catch (const engine::ReadError&) {
    }
    return 0;
}
