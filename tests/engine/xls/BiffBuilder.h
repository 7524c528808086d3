#pragma once
// Writes BIFF records byte by byte for tests and benchmarks.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A record body (or any little-endian byte run) built field by field.
class Bytes {
public:
    Bytes& u8(std::uint32_t v) {
        data.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Bytes& f64(double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
    }
    // 8-bit characters as they are, no count.
    Bytes& chars(const std::string& text) {
        data.insert(data.end(), text.begin(), text.end());
        return *this;
    }
    // A BIFF8 string with a 16-bit count and compressed (8-bit) characters.
    Bytes& str16(const std::string& text) {
        return u16(static_cast<std::uint32_t>(text.size())).u8(0).chars(text);
    }
    // A BIFF8 string with an 8-bit count and compressed characters.
    Bytes& str8(const std::string& text) {
        return u8(static_cast<std::uint32_t>(text.size())).u8(0).chars(text);
    }
    std::size_t size() const { return data.size(); }

    std::vector<std::uint8_t> data;
};

// A stream of records.
class BiffWriter {
public:
    BiffWriter& record(std::uint16_t id, const Bytes& body) { return record(id, body.data); }
    BiffWriter& record(std::uint16_t id, const std::vector<std::uint8_t>& body) {
        Bytes header;
        header.u16(id).u16(static_cast<std::uint32_t>(body.size()));
        bytes.insert(bytes.end(), header.data.begin(), header.data.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
        return *this;
    }
    // A BIFF8 BOF of the given substream type (5 globals, 0x10 worksheet).
    BiffWriter& bof(std::uint16_t type) {
        return record(0x0809, Bytes().u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0).u32(6));
    }
    BiffWriter& eof() { return record(0x000A, Bytes()); }
    std::size_t position() const { return bytes.size(); }
    // Patches a 32-bit value written earlier (BOUNDSHEET positions).
    void patch32(std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }

    std::vector<std::uint8_t> bytes;
};

} // namespace testing_support
