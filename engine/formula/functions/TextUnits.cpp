#include "engine/formula/functions/TextUnits.h"

#include "engine/util/Text.h"

#include <algorithm>
#include <array>

namespace engine::formula::functions {

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b >> 5) == 6) {
            len = 2;
        } else if ((b >> 4) == 14) {
            len = 3;
        } else if ((b >> 3) == 30) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > s.size()) {
                len = 1;
            } else {
                cp = b & (0x7F >> len);
                for (std::size_t k = 1; k < len; ++k) {
                    auto c = static_cast<unsigned char>(s[i + k]);
                    if ((c >> 6) != 2) {
                        cp = 0xFFFD;
                        len = k;
                        break;
                    }
                    cp = (cp << 6) | (c & 0x3F);
                }
            }
        }
        i += len;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(cp > 0x10FFFF ? u'\uFFFD' : static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view t) {
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        char32_t c = t[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < t.size() && t[i + 1] >= 0xDC00 &&
            t[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (t[i + 1] - 0xDC00);
            ++i;
        }
        util::appendUtf8(out, c);
    }
    return out;
}

char16_t upperOf(char16_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 32) : c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char16_t>(c - 32);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return static_cast<char16_t>(c & ~1u);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? c : static_cast<char16_t>(c - 1);
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) {
        return static_cast<char16_t>(c - 32);
    }
    if (c >= 0x430 && c <= 0x44F) {
        return static_cast<char16_t>(c - 32);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 80);
    }
    return c;
}

char16_t lowerOf(char16_t c) {
    if (c < 0x80) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<char16_t>(c + 32);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return static_cast<char16_t>(c | 1u);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? static_cast<char16_t>(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x410 && c <= 0x42F) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 80);
    }
    return c;
}

std::u16string upper(std::u16string_view t) {
    std::u16string out(t);
    std::transform(out.begin(), out.end(), out.begin(), upperOf);
    return out;
}

std::u16string lower(std::u16string_view t) {
    std::u16string out(t);
    std::transform(out.begin(), out.end(), out.begin(), lowerOf);
    return out;
}

int compareFolded(std::string_view a, std::string_view b) {
    bool ascii = std::all_of(a.begin(), a.end(), [](char c) { return c >= 0; }) &&
                 std::all_of(b.begin(), b.end(), [](char c) { return c >= 0; });
    if (ascii) {
        std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            char16_t x = lowerOf(static_cast<char16_t>(a[i]));
            char16_t y = lowerOf(static_cast<char16_t>(b[i]));
            if (x != y) {
                return x < y ? -1 : 1;
            }
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    std::u16string x = lower(toUtf16(a)), y = lower(toUtf16(b));
    return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
}

namespace {
// Bytes 0x80-0x9F of code page 1252; the rest of its upper half is Latin-1. 0 marks the five
// bytes it leaves undefined.
constexpr std::array<char16_t, 32> high1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

char16_t fromCodePage1252(unsigned char code) {
    if (code >= 0x80 && code <= 0x9F) {
        char16_t c = high1252[code - 0x80];
        return c ? c : static_cast<char16_t>(code);
    }
    return code;
}

unsigned char toCodePage1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (std::size_t i = 0; i < high1252.size(); ++i) {
        if (high1252[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return 0;
}

} // namespace engine::formula::functions
