#pragma once
// A bounds-checked little-endian reader over bytes it does not own. Every read past the end
// throws ReadError(Damaged) naming the structure being read and the offset.

#include <cstdint>
#include <span>
#include <string>

namespace engine::util {

class ByteCursor {
public:
    // `what` names the structure in error messages and must outlive the cursor (a literal);
    // `base` is the offset of bytes[0] in the file or stream, so that errors report absolute
    // positions.
    ByteCursor(std::span<const std::uint8_t> bytes, const char* what, std::uint64_t base = 0)
        : bytes_(bytes), what_(what), base_(base) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double f64();
    // The next `count` bytes; throws when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t count);
    void skip(std::size_t count);
    // Moves to `position` (relative to the start); throws when past the end.
    void seek(std::size_t position);

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::uint64_t absolute() const { return base_ + pos_; }

    // Throws ReadError(Damaged) saying that `need` bytes were wanted at the current position.
    [[noreturn]] void fail(std::size_t need) const;

private:
    void require(std::size_t count) const {
        if (count > bytes_.size() - pos_)
            fail(count);
    }

    std::span<const std::uint8_t> bytes_;
    const char* what_;
    std::uint64_t base_;
    std::size_t pos_ = 0;
};

// Little-endian loads from a buffer the caller has already checked.
inline std::uint16_t loadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
double loadF64(const std::uint8_t* p);

// "0x1f20": offsets in error details are hexadecimal, as in a hex viewer.
std::string hexOffset(std::uint64_t offset);

} // namespace engine::util
