#include "engine/xlsb/RecordStream.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/xlsb/Records.h"
#include "engine/zip/ZipArchive.h"

namespace engine::xlsb {
namespace {

[[noreturn]] void damaged(std::uint64_t offset, const std::string& what) {
    throw ReadError(ReadError::Kind::Damaged,
                    "record header at offset " + util::hexOffset(offset) + ": " + what);
}

} // namespace

util::ByteCursor Record::cursor() const {
    return util::ByteCursor(body, rec::name(type), offset);
}

void RecordStream::feed(std::span<const std::uint8_t> data) {
    pending_.insert(pending_.end(), data.begin(), data.end());
    const std::uint8_t* bytes = pending_.data();
    const std::size_t size = pending_.size();
    std::size_t pos = 0;
    for (;;) {
        std::size_t at = pos;
        if (at >= size)
            break;
        std::uint32_t type = bytes[at] & 0x7Fu;
        if (bytes[at++] & 0x80u) {
            if (at >= size)
                break;
            if (bytes[at] & 0x80u)
                damaged(consumed_ + pos, "the record type is longer than two bytes");
            type |= static_cast<std::uint32_t>(bytes[at++] & 0x7Fu) << 7;
        }
        std::uint32_t length = 0;
        bool complete = false;
        for (int i = 0; i < 4; ++i) {
            if (at >= size)
                break;
            const std::uint8_t byte = bytes[at++];
            length |= static_cast<std::uint32_t>(byte & 0x7Fu) << (7 * i);
            if (!(byte & 0x80u)) {
                complete = true;
                break;
            }
            if (i == 3)
                damaged(consumed_ + pos, "the record size is longer than four bytes");
        }
        if (!complete)
            break;
        if (length > limits::maxBinaryRecordBytes)
            damaged(consumed_ + pos,
                    "a record of " + std::to_string(length) + " bytes, more than the " +
                        std::to_string(limits::maxBinaryRecordBytes) + " a record may have");
        if (size - at < length)
            break;
        Record record;
        record.type = static_cast<std::uint16_t>(type);
        record.body = std::span<const std::uint8_t>(bytes + at, length);
        record.offset = consumed_ + at;
        onRecord_(record);
        pos = at + length;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pos));
    consumed_ += pos;
}

void RecordStream::finish() const {
    if (!pending_.empty())
        throw ReadError(ReadError::Kind::Damaged,
                        "the record at offset " + util::hexOffset(consumed_) +
                            " is cut off by the end of the part (" +
                            std::to_string(pending_.size()) + " bytes of it found)");
}

namespace {

ReadError inPart(const ReadError& error, const std::string& part) {
    return ReadError(error.kind(), "the part '" + part + "': " + error.detail());
}

} // namespace

void readRecords(const zip::ZipArchive& archive, const std::string& part, std::uint64_t maxBytes,
                 const std::function<void(const Record&)>& onRecord) {
    RecordStream stream(onRecord);
    const auto withPart = [&](const ReadError& error) { return inPart(error, part); };
    archive.stream(part, maxBytes, [&](const char* data, std::size_t size) {
        try {
            stream.feed({reinterpret_cast<const std::uint8_t*>(data), size});
        } catch (const ReadError& error) {
            throw withPart(error);
        }
    });
    try {
        stream.finish();
    } catch (const ReadError& error) {
        throw withPart(error);
    }
}

void parseRecords(std::span<const std::uint8_t> records, const std::string& partName,
                  const std::function<void(const Record&)>& onRecord) {
    RecordStream stream(onRecord);
    try {
        stream.feed(records);
        stream.finish();
    } catch (const ReadError& error) {
        throw inPart(error, partName);
    }
}

} // namespace engine::xlsb
