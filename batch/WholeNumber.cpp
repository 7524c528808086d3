#include "batch/WholeNumber.h"

#include "batch/PathText.h"

#include <charconv>
#include <cstddef>

namespace batch {
namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isSpace(char32_t code) {
    return code == ' ' || (code >= '\t' && code <= '\r') || code == 0x85 || code == 0xA0 ||
           code == 0x1680 || (code >= 0x2000 && code <= 0x200A) || code == 0x2028 ||
           code == 0x2029 || code == 0x202F || code == 0x205F || code == 0x3000;
}

} // namespace

std::optional<int> ToInt(std::string_view text) {
    while (!text.empty() && isAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back()))
        text.remove_suffix(1);
    // from_chars takes a minus sign but not a plus.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string_view Trimmed(std::string_view text) {
    std::size_t begin = 0;
    char32_t code = 0;
    while (begin < text.size()) {
        const std::size_t length = NextCharacter(text, begin, code);
        if (!isSpace(code))
            break;
        begin += length;
    }
    std::size_t end = text.size();
    // Backwards: step to each character's first byte, then decode it.
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 &&
               end - start < 4)
            --start;
        if (NextCharacter(text, start, code) != end - start || !isSpace(code))
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

} // namespace batch
