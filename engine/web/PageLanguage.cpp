#include "engine/web/PageLanguage.h"

#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <cstdlib>

namespace engine::web {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAlphanumeric(char c) {
    return isLetter(c) || (c >= '0' && c <= '9');
}

} // namespace

std::optional<std::string> languageTag(std::string_view text) {
    // A locale name's code set and modifier say nothing of the language.
    text = text.substr(0, text.find_first_of(".@"));
    std::string tag;
    std::size_t part = 0;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("-_");
        const std::string_view piece = text.substr(0, end);
        // A tag's subtags are one to eight letters or digits; the language two or three
        // letters (longer ones are reserved and never met in files).
        if (piece.empty() || piece.size() > 8 ||
            !std::all_of(piece.begin(), piece.end(), isAlphanumeric))
            return std::nullopt;
        if (part == 0 && (piece.size() < 2 || piece.size() > 3 ||
                          !std::all_of(piece.begin(), piece.end(), isLetter)))
            return std::nullopt;
        if (part > 0)
            tag += '-';
        // Conventional case: the language in small letters, a two-letter region in capitals,
        // a script ("Latn") with one capital.
        for (std::size_t i = 0; i < piece.size(); ++i) {
            if (part > 0 && piece.size() == 2)
                tag += util::asciiUpper(piece[i]);
            else if (part > 0 && piece.size() == 4 && isLetter(piece[0]) && i == 0)
                tag += util::asciiUpper(piece[i]);
            else
                tag += util::asciiLower(piece[i]);
        }
        if (++part > 8 || end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
        if (text.empty())
            return std::nullopt;
    }
    if (tag.empty())
        return std::nullopt;
    return tag;
}

std::string pageLanguage(const Workbook& workbook) {
    if (auto tag = languageTag(workbook.language))
        return *tag;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        // The first one set decides, even when it names no language ("C").
        return languageTag(value).value_or("en");
    }
    return "en";
}

} // namespace engine::web
