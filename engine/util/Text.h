#pragma once
// Turning the text encodings of binary workbooks into UTF-8.

#include <cstdint>
#include <span>
#include <string>

namespace engine::util {

// Appends `codePoint` as UTF-8; a surrogate or an out-of-range value becomes U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);

// Appends UTF-16LE `bytes` (an odd last byte is ignored); unpaired surrogates become U+FFFD.
void appendUtf16le(std::string& out, std::span<const std::uint8_t> bytes);

// Appends 8-bit characters that are the low bytes of UTF-16 code units (ISO-8859-1).
void appendLatin1(std::string& out, std::span<const std::uint8_t> bytes);

// Decodes 8-bit text in the code page a CODEPAGE record names (see CodePages.h); bytes the code
// page lacks become U+FFFD. A code page this program does not know is read as ASCII, and its
// first byte beyond ASCII throws ReadError(Damaged) naming it.
class CodePageDecoder {
public:
    explicit CodePageDecoder(std::uint16_t codePage = 1252);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    // Switches to another code page (a CODEPAGE record met after the decoder was made).
    void setCodePage(std::uint16_t codePage);

    void append(std::string& out, std::span<const std::uint8_t> bytes);
    std::string decode(std::span<const std::uint8_t> bytes) {
        std::string out;
        append(out, bytes);
        return out;
    }

private:
    void close();

    std::uint16_t codePage_ = 0;
    void* handle_ = nullptr;              // iconv_t of an iconv code page
    const char16_t* upperHalf_ = nullptr; // of a code page decoded by table
    bool asciiCompatible_ = true;
    bool known_ = true;
};

} // namespace engine::util
