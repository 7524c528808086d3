#pragma once
// Splitting a binary part into its records as the part is inflated, never holding it whole.
// A record header is a type of one or two bytes and a size of one to four bytes, seven bits to
// a byte with the high bit saying that another byte follows.

#include "engine/util/ByteCursor.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

struct Record {
    std::uint16_t type = 0;
    std::span<const std::uint8_t> body; // valid only during the callback
    std::uint64_t offset = 0;           // of the body in the part

    // A bounds-checked cursor over the body whose errors name the record and its offset.
    util::ByteCursor cursor() const;
};

class RecordStream {
public:
    explicit RecordStream(std::function<void(const Record&)> onRecord)
        : onRecord_(std::move(onRecord)) {}

    // Hands every record completed by `data` to the callback. Throws ReadError(Damaged) for a
    // header over two type bytes or four size bytes, or a size over limits::maxBinaryRecordBytes.
    void feed(std::span<const std::uint8_t> data);
    // Throws ReadError(Damaged) when the part ends inside a record.
    void finish() const;

private:
    std::function<void(const Record&)> onRecord_;
    std::vector<std::uint8_t> pending_; // the start of a record not yet complete
    std::uint64_t consumed_ = 0;        // part offset of pending_[0]
};

// Streams the records of part `part` into `onRecord`. Throws ReadError(Damaged) naming the part
// when it is missing, larger than `maxBytes`, or its records are damaged; errors raised by
// `onRecord` are given the part's name too.
void readRecords(const zip::ZipArchive& archive, const std::string& part, std::uint64_t maxBytes,
                 const std::function<void(const Record&)>& onRecord);

// The same for a part already in memory (for tests and fuzzing), named `partName` in errors.
void parseRecords(std::span<const std::uint8_t> records, const std::string& partName,
                  const std::function<void(const Record&)>& onRecord);

} // namespace engine::xlsb
