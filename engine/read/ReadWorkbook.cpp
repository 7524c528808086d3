#include "engine/read/ReadWorkbook.h"

#include "engine/base/Limits.h"
#include "engine/chart/ChartSources.h"
#include "engine/formula/Calculator.h"
#include "engine/ods/OdsReader.h"
#include "engine/xls/XlsReader.h"
#include "engine/xlsb/XlsbReader.h"
#include "engine/xlsx/XlsxReader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace engine {
namespace {

constexpr std::uint8_t compoundFileMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint8_t zipMagic[4] = {'P', 'K', 3, 4};
constexpr std::uint8_t emptyZipMagic[4] = {'P', 'K', 5, 6};

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> magic) {
    return bytes.size() >= magic.size() &&
           std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw ReadError(ReadError::Kind::Missing, "no such file");
        throw ReadError(ReadError::Kind::Unreadable, std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode))
        throw ReadError(ReadError::Kind::NotWorkbook, "a folder, not a file");
    if (!S_ISREG(info.st_mode))
        throw ReadError(ReadError::Kind::NotWorkbook, "not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > limits::maxFileBytes)
        throw ReadError(ReadError::Kind::Damaged, "the file is larger than " +
                                                      std::to_string(limits::maxFileBytes >> 20) +
                                                      " MB");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ReadError(ReadError::Kind::Unreadable, std::strerror(errno));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
        throw ReadError(ReadError::Kind::Unreadable, "the file changed while it was read");
    return bytes;
}

} // namespace

namespace {

Workbook readAnyFormat(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, compoundFileMagic))
        return xls::readCompoundFile(bytes);
    if (startsWith(bytes, zipMagic) || startsWith(bytes, emptyZipMagic)) {
        if (xlsb::isBinaryPackage(bytes))
            return xlsb::readBinaryPackage(bytes);
        if (ods::looksLikePackage(bytes))
            return ods::readPackage(bytes);
        return xlsx::readPackage(bytes);
    }
    if (ods::looksLikeFlatDocument(bytes))
        return ods::readFlatDocument(bytes);
    if (xls::looksLikeRawBiff(bytes))
        return xls::readRawBiff(bytes);
    throw ReadError(ReadError::Kind::NotWorkbook, "unknown file format");
}

} // namespace

Workbook readWorkbookBytes(std::span<const std::uint8_t> bytes) {
    Workbook workbook = readAnyFormat(bytes);
    // Pages, charts and conditional formats all read the computed values.
    formula::computeFormulas(workbook);
    // Series that cache no values take the cells they name, computed ones included.
    chart::fillChartsFromCells(workbook);
    return workbook;
}

Workbook readWorkbook(const std::string& path) {
    const std::vector<std::uint8_t> bytes = readFile(path);
    return readWorkbookBytes(bytes);
}

} // namespace engine
