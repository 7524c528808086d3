#pragma once
// Walking the records of a BIFF stream: a 2-byte number, a 2-byte length and the body.

#include <cstdint>
#include <span>

namespace engine::xls {

struct Record {
    std::uint16_t id = 0;
    std::size_t offset = 0; // of the record header in the stream
    std::span<const std::uint8_t> body;
};

class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> stream) : stream_(stream) {}

    // The next record, or false at the end of the stream. A record whose body runs past the end
    // throws ReadError(Damaged); a stub of fewer than 4 bytes at the very end is ignored, as
    // some writers pad the stream.
    bool next(Record& record);
    // The number of the record `next` would return, or 0xFFFFFFFF when no record is left.
    std::uint32_t peekId() const;

    void seek(std::size_t offset) { pos_ = offset <= stream_.size() ? offset : stream_.size(); }
    std::size_t position() const { return pos_; }
    std::span<const std::uint8_t> stream() const { return stream_; }

private:
    std::span<const std::uint8_t> stream_;
    std::size_t pos_ = 0;
};

} // namespace engine::xls
