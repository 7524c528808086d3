#include "engine/util/Text.h"

#include <iconv.h>

namespace engine::util {

void appendUtf8(std::string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUtf16le(std::string& out, std::span<const std::uint8_t> bytes) {
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t unit = static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t low = static_cast<char32_t>(bytes[2 * i + 2] | (bytes[2 * i + 3] << 8));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, unit);
    }
}

void appendLatin1(std::string& out, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (byte < 0x80)
            out.push_back(static_cast<char>(byte));
        else
            appendUtf8(out, byte);
    }
}

std::string codePageName(std::uint16_t codePage) {
    switch (codePage) {
    case 367:
        return "ASCII";
    case 1200:
        return "";
    case 10000:
    case 32768:
        return "MACINTOSH";
    case 10006:
        return "MACGREEK";
    case 10007:
        return "MACCYRILLIC";
    case 10029:
        return "MACCENTRALEUROPE";
    case 10079:
        return "MACICELAND";
    case 10081:
        return "MACTURKISH";
    case 32769:
        return "CP1252";
    case 1361:
        return "JOHAB";
    default:
        return "CP" + std::to_string(codePage);
    }
}

CodePageDecoder::CodePageDecoder(std::uint16_t codePage) {
    setCodePage(codePage);
}

void CodePageDecoder::setCodePage(std::uint16_t codePage) {
    if (handle_) {
        ::iconv_close(static_cast<iconv_t>(handle_));
        handle_ = nullptr;
    }
    std::string name = codePageName(codePage);
    if (name.empty())
        name = "CP1252";
    iconv_t cd = ::iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        cd = ::iconv_open("UTF-8", "CP1252");
    if (cd != reinterpret_cast<iconv_t>(-1))
        handle_ = cd;
}

CodePageDecoder::~CodePageDecoder() {
    if (handle_)
        ::iconv_close(static_cast<iconv_t>(handle_));
}

void CodePageDecoder::append(std::string& out, std::span<const std::uint8_t> bytes) {
    std::size_t ascii = 0;
    while (ascii < bytes.size() && bytes[ascii] < 0x80)
        ++ascii;
    out.append(reinterpret_cast<const char*>(bytes.data()), ascii);
    if (ascii == bytes.size())
        return;
    if (!handle_) {
        appendLatin1(out, bytes.subspan(ascii));
        return;
    }
    iconv_t cd = static_cast<iconv_t>(handle_);
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data() + ascii));
    std::size_t inLeft = bytes.size() - ascii;
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1) && outPtr == buffer && inLeft > 0) {
            // An invalid or incomplete sequence: show it as one replacement and go on.
            appendUtf8(out, 0xFFFD);
            ++in;
            --inLeft;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
}

} // namespace engine::util
