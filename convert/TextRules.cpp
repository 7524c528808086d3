#include "convert/TextRules.h"

namespace convert {

std::string StripExtension(std::string_view text) {
    return std::string(text.substr(0, text.rfind('.')));
}

std::string RemoveSpacesAndDots(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text)
        if (c != ' ' && c != '.')
            result += c;
    return result;
}

} // namespace convert
