#include "engine/xls/XlsReader.h"

#include "engine/read/ReadError.h"

namespace engine::xls {

Workbook readCompoundFile(std::span<const std::uint8_t>) {
    throw ReadError(ReadError::Kind::NotWorkbook, "binary workbooks are not supported yet");
}

Workbook readRawBiff(std::span<const std::uint8_t>) {
    throw ReadError(ReadError::Kind::NotWorkbook, "binary workbooks are not supported yet");
}

bool looksLikeRawBiff(std::span<const std::uint8_t>) { return false; }

} // namespace engine::xls
