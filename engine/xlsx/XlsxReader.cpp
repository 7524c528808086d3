#include "engine/xlsx/XlsxReader.h"

#include "engine/read/ReadError.h"

namespace engine::xlsx {

Workbook readPackage(std::span<const std::uint8_t>) {
    throw ReadError(ReadError::Kind::NotWorkbook, "OOXML workbooks are not supported yet");
}

} // namespace engine::xlsx
