#include "engine/web/SafeLink.h"

#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <array>

namespace engine::web {
namespace {

constexpr std::array<std::string_view, 4> allowedPrefixes = {"http://", "https://",
                                                             "mailto:", "ftp://"};

bool hasAllowedScheme(std::string_view address) {
    return std::any_of(
        allowedPrefixes.begin(), allowedPrefixes.end(),
        [&](std::string_view prefix) { return util::asciiStartsIgnoringCase(address, prefix); });
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Spaces are encoded; a control character anywhere disqualifies the address, because
// browsers drop them and "java\nscript:" would become a script link.
std::optional<std::string> clean(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return std::nullopt;
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

} // namespace

std::optional<std::string> safeExternalHref(const Hyperlink& link) {
    auto address = clean(trim(link.target));
    if (!address || !hasAllowedScheme(*address))
        return std::nullopt;
    std::string_view location = trim(link.location);
    if (!location.empty()) {
        auto fragment = clean(location);
        if (!fragment)
            return std::nullopt;
        if (address->find('#') == std::string::npos)
            *address += '#';
        *address += *fragment;
    }
    return address;
}

std::string locationSheet(std::string_view location) {
    location = trim(location);
    if (!location.empty() && location.front() == '#')
        location.remove_prefix(1);
    if (location.empty())
        return {};
    if (location.front() == '\'') {
        std::string name;
        for (std::size_t i = 1; i < location.size(); ++i) {
            if (location[i] != '\'') {
                name += location[i];
            } else if (i + 1 < location.size() && location[i + 1] == '\'') {
                name += '\'';
                ++i;
            } else {
                return name;
            }
        }
        return {};
    }
    auto bang = location.find('!');
    if (bang == std::string_view::npos)
        return {};
    return std::string(location.substr(0, bang));
}

} // namespace engine::web
