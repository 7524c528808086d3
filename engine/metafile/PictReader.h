#pragma once
// A big-endian reader over a PICT picture that reports truncation as damage.

#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace engine::metafile {

class PictReader {
public:
    explicit PictReader(std::span<const std::uint8_t> bytes, std::size_t at)
        : bytes_(bytes), at_(at) {}

    std::size_t position() const { return at_; }
    std::size_t remaining() const { return bytes_.size() - at_; }
    void need(std::size_t count) const {
        if (count > remaining())
            throw ReadError(ReadError::Kind::Damaged, "PICT picture at offset " +
                                                          util::hexOffset(at_) +
                                                          ": ends inside a record");
    }
    std::uint8_t u8() {
        need(1);
        return bytes_[at_++];
    }
    std::uint16_t u16() {
        need(2);
        const std::uint16_t value = static_cast<std::uint16_t>(bytes_[at_] << 8 | bytes_[at_ + 1]);
        at_ += 2;
        return value;
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32() {
        const std::uint32_t high = u16();
        return high << 16 | u16();
    }
    void skip(std::size_t count) {
        need(count);
        at_ += count;
    }
    std::span<const std::uint8_t> bytes(std::size_t count) {
        need(count);
        const auto out = bytes_.subspan(at_, count);
        at_ += count;
        return out;
    }
    void alignEven(std::size_t start) {
        if ((at_ - start) % 2 != 0 && remaining() > 0)
            ++at_;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_;
};

} // namespace engine::metafile
