#include "engine/util/MarkupText.h"

#include <cstdint>

namespace engine::util {
namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

// Decodes one UTF-8 sequence at `at`; returns its length, or 0 when it is invalid.
std::size_t decode(std::string_view text, std::size_t at, std::uint32_t& codePoint) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    std::size_t length;
    std::uint32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool forbidden(std::uint32_t c) {
    if (c < 0x20)
        return c != '\t';
    if (c >= 0x7F && c <= 0x9F)
        return true;
    if (c >= 0xFDD0 && c <= 0xFDEF)
        return true;
    return (c & 0xFFFE) == 0xFFFE;
}

} // namespace

void appendEscaped(std::string& out, std::string_view text, LineBreaks breaks) {
    std::size_t i = 0;
    while (i < text.size()) {
        // Runs of plain ASCII go through in one append.
        std::size_t start = i;
        while (i < text.size()) {
            char c = text[i];
            if (static_cast<unsigned char>(c) >= 0x7F || static_cast<unsigned char>(c) < 0x20 ||
                c == '&' || c == '<' || c == '>' || c == '"' || c == '\'')
                break;
            ++i;
        }
        out.append(text.data() + start, i - start);
        if (i >= text.size())
            break;
        char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            ++i;
            continue;
        case '<':
            out += "&lt;";
            ++i;
            continue;
        case '>':
            out += "&gt;";
            ++i;
            continue;
        case '"':
            out += "&quot;";
            ++i;
            continue;
        case '\'':
            out += "&#39;";
            ++i;
            continue;
        case '\n':
            out += breaks == LineBreaks::Br ? "<br>" : " ";
            ++i;
            continue;
        case '\r':
            ++i;
            continue;
        case '\t':
            out += '\t';
            ++i;
            continue;
        default:
            break;
        }
        std::uint32_t codePoint = 0;
        std::size_t length = decode(text, i, codePoint);
        if (length == 0) {
            out += replacement;
            ++i;
        } else {
            if (forbidden(codePoint))
                out += replacement;
            else
                out.append(text.data() + i, length);
            i += length;
        }
    }
}

} // namespace engine::util
