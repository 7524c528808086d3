#pragma once
// Builds small EMF and WMF pictures record by record for tests, fuzz seeds and benchmarks.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class Le {
public:
    Le& u8(std::uint32_t v) {
        data.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Le& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Le& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Le& i16(int v) { return u16(static_cast<std::uint32_t>(v)); }
    Le& i32(int v) { return u32(static_cast<std::uint32_t>(v)); }
    Le& f32(float v) {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof v);
        __builtin_memcpy(&bits, &v, sizeof v);
        return u32(bits);
    }
    Le& rect(int l, int t, int r, int b) { return i32(l).i32(t).i32(r).i32(b); }
    Le& utf16(const std::string& ascii) {
        for (char c : ascii)
            u16(static_cast<unsigned char>(c));
        return *this;
    }
    Le& bytes(const std::vector<std::uint8_t>& more) {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    std::size_t size() const { return data.size(); }
    std::vector<std::uint8_t> data;
};

// A 24-bit bottom-up bitmap of `width` x `height` pixels of one colour (0xRRGGBB): its
// BITMAPINFOHEADER and its pixels.
inline Le bitmapHeader(int width, int height) {
    Le h;
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    h.u32(40)
        .i32(width)
        .i32(height)
        .u16(1)
        .u16(24)
        .u32(0)
        .u32(stride * height)
        .i32(2835)
        .i32(2835)
        .u32(0)
        .u32(0);
    return h;
}
inline Le bitmapPixels(int width, int height, std::uint32_t rgb) {
    Le p;
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            p.u8(rgb).u8(rgb >> 8).u8(rgb >> 16);
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < stride; ++pad)
            p.u8(0);
    }
    return p;
}

class EmfBuilder {
public:
    // Bounds in device pixels; the frame follows at 96 pixels an inch.
    EmfBuilder(int left, int top, int right, int bottom, std::uint16_t handles = 16) {
        const auto hundredthsMm = [](int px) { return static_cast<int>(px * 2540.0 / 96); };
        Le h;
        h.rect(left, top, right, bottom)
            .rect(hundredthsMm(left), hundredthsMm(top), hundredthsMm(right + 1),
                  hundredthsMm(bottom + 1))
            .u32(0x464D4520)
            .u32(0x10000)
            .u32(0)
            .u32(0)
            .u16(handles)
            .u16(0)
            .u32(0)
            .u32(0)
            .u32(0)
            .i32(1920)
            .i32(1080)
            .i32(508)
            .i32(286);
        record(1, h);
    }
    EmfBuilder& record(std::uint32_t type, const Le& body) {
        Le r;
        r.u32(type).u32(static_cast<std::uint32_t>(body.size() + 8));
        out.insert(out.end(), r.data.begin(), r.data.end());
        out.insert(out.end(), body.data.begin(), body.data.end());
        ++records;
        return *this;
    }
    EmfBuilder& raw(const std::vector<std::uint8_t>& bytes) {
        out.insert(out.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::vector<std::uint8_t> finish() {
        record(14, Le().u32(0).u32(16).u32(20));
        std::vector<std::uint8_t> bytes = out;
        auto patch = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        };
        patch(48, static_cast<std::uint32_t>(bytes.size()));
        patch(52, records);
        return bytes;
    }

    // Common records.
    EmfBuilder& solidBrush(std::uint32_t index, std::uint32_t colorRef) {
        return record(39, Le().u32(index).u32(0).u32(colorRef).u32(0));
    }
    EmfBuilder& pen(std::uint32_t index, std::uint32_t style, int width, std::uint32_t colorRef) {
        return record(38, Le().u32(index).u32(style).i32(width).i32(0).u32(colorRef));
    }
    EmfBuilder& select(std::uint32_t index) { return record(37, Le().u32(index)); }
    EmfBuilder& rectangle(int l, int t, int r, int b) { return record(43, Le().rect(l, t, r, b)); }

    std::vector<std::uint8_t> out;
    std::uint32_t records = 0;
};

class WmfBuilder {
public:
    // With a placeable header when `inch` is not 0: bounds in logical units, `inch` of them
    // an inch.
    explicit WmfBuilder(std::uint16_t objects = 8, int left = 0, int top = 0, int right = 0,
                        int bottom = 0, std::uint16_t inch = 0) {
        if (inch != 0) {
            Le p;
            p.u32(0x9AC6CDD7)
                .u16(0)
                .i16(left)
                .i16(top)
                .i16(right)
                .i16(bottom)
                .u16(inch)
                .u32(0)
                .u16(0);
            out = p.data;
        }
        headerAt = out.size();
        Le h;
        h.u16(1).u16(9).u16(0x300).u32(0).u16(objects).u32(0).u16(0);
        out.insert(out.end(), h.data.begin(), h.data.end());
    }
    WmfBuilder& record(std::uint16_t function, const Le& params) {
        Le r;
        r.u32(static_cast<std::uint32_t>(3 + (params.size() + 1) / 2)).u16(function);
        out.insert(out.end(), r.data.begin(), r.data.end());
        out.insert(out.end(), params.data.begin(), params.data.end());
        if (params.size() & 1)
            out.push_back(0);
        return *this;
    }
    std::vector<std::uint8_t> finish() {
        record(0, Le());
        return out;
    }
    WmfBuilder& window(int x, int y, int width, int height) {
        record(0x020B, Le().i16(y).i16(x));
        return record(0x020C, Le().i16(height).i16(width));
    }
    WmfBuilder& solidBrush(std::uint32_t colorRef) {
        return record(0x02FC, Le().u16(0).u32(colorRef).u16(0));
    }
    WmfBuilder& pen(std::uint16_t style, int width, std::uint32_t colorRef) {
        return record(0x02FA, Le().u16(style).i16(width).i16(0).u32(colorRef));
    }
    WmfBuilder& select(std::uint16_t index) { return record(0x012D, Le().u16(index)); }
    WmfBuilder& rectangle(int l, int t, int r, int b) {
        return record(0x041B, Le().i16(b).i16(r).i16(t).i16(l));
    }

    std::vector<std::uint8_t> out;
    std::size_t headerAt = 0;
};

} // namespace testing_support
