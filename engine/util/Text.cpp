#include "engine/util/Text.h"

#include "engine/base/ReadError.h"
#include "engine/util/CodePages.h"

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

CodePageDecoder::CodePageDecoder(std::uint16_t codePage) {
    setCodePage(codePage);
}

CodePageDecoder::~CodePageDecoder() {
    close();
}

void CodePageDecoder::close() {
    if (handle_)
        ::iconv_close(static_cast<iconv_t>(handle_));
    handle_ = nullptr;
    upperHalf_ = nullptr;
}

void CodePageDecoder::setCodePage(std::uint16_t codePage) {
    close();
    codePage_ = codePage;
    const CodePage* page = findCodePage(codePage);
    known_ = page != nullptr;
    asciiCompatible_ = !page || page->asciiCompatible;
    if (!page)
        return;
    if (page->upperHalf) {
        upperHalf_ = page->upperHalf;
        return;
    }
    iconv_t cd = ::iconv_open("UTF-8", page->iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // The code page tests check every name against this system's iconv; one it still
        // lacks is treated as unknown rather than read wrongly.
        known_ = false;
        return;
    }
    handle_ = cd;
}

void CodePageDecoder::append(std::string& out, std::span<const std::uint8_t> bytes) {
    std::size_t ascii = 0;
    if (asciiCompatible_) {
        while (ascii < bytes.size() && bytes[ascii] < 0x80)
            ++ascii;
        out.append(reinterpret_cast<const char*>(bytes.data()), ascii);
        if (ascii == bytes.size())
            return;
    }
    if (!known_)
        throw ReadError(ReadError::Kind::Damaged,
                        "text in code page " + std::to_string(codePage_) +
                            " (named by the CODEPAGE record), which this program cannot decode; "
                            "expected one of the Windows or Macintosh code pages");
    if (upperHalf_) {
        for (const std::uint8_t byte : bytes.subspan(ascii)) {
            if (byte < 0x80)
                out.push_back(static_cast<char>(byte));
            else
                appendUtf8(out, upperHalf_[byte - 0x80]);
        }
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
