#include "engine/util/ByteCursor.h"

#include "engine/base/ReadError.h"

#include <bit>
#include <cstring>

namespace engine::util {

std::string hexOffset(std::uint64_t offset) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[offset & 0xF]);
        offset >>= 4;
    } while (offset != 0);
    return "0x" + text;
}

double loadF64(const std::uint8_t* p) {
    const std::uint64_t bits =
        static_cast<std::uint64_t>(loadU32(p)) | (static_cast<std::uint64_t>(loadU32(p + 4)) << 32);
    return std::bit_cast<double>(bits);
}

void ByteCursor::fail(std::size_t need) const {
    throw ReadError(ReadError::Kind::Damaged, std::string(what_) + " at offset " +
                                                  hexOffset(base_ + pos_) + ": expected " +
                                                  std::to_string(need) + " more bytes, found " +
                                                  std::to_string(bytes_.size() - pos_));
}

std::uint8_t ByteCursor::u8() {
    require(1);
    return bytes_[pos_++];
}

std::uint16_t ByteCursor::u16() {
    require(2);
    const std::uint16_t value = loadU16(bytes_.data() + pos_);
    pos_ += 2;
    return value;
}

std::uint32_t ByteCursor::u32() {
    require(4);
    const std::uint32_t value = loadU32(bytes_.data() + pos_);
    pos_ += 4;
    return value;
}

std::uint64_t ByteCursor::u64() {
    const std::uint64_t low = u32();
    return low | (static_cast<std::uint64_t>(u32()) << 32);
}

double ByteCursor::f64() {
    require(8);
    const double value = loadF64(bytes_.data() + pos_);
    pos_ += 8;
    return value;
}

std::span<const std::uint8_t> ByteCursor::bytes(std::size_t count) {
    require(count);
    const auto view = bytes_.subspan(pos_, count);
    pos_ += count;
    return view;
}

void ByteCursor::skip(std::size_t count) {
    require(count);
    pos_ += count;
}

void ByteCursor::seek(std::size_t position) {
    if (position > bytes_.size()) {
        pos_ = bytes_.size();
        fail(position - bytes_.size());
    }
    pos_ = position;
}

} // namespace engine::util
