#include "engine/svg/FontFamily.h"

#include "engine/util/AsciiCase.h"

#include <array>

namespace engine::svg {
namespace {

struct Alternative {
    std::string_view family; // lower case
    std::string_view alternatives;
};

// Fonts of the usual office installations and the free fonts made with their metrics.
constexpr std::array<Alternative, 9> alternatives = {{
    {"calibri", "Carlito"},
    {"cambria", "Caladea"},
    {"arial", "'Liberation Sans',Arimo"},
    {"helvetica", "'Liberation Sans',Arimo"},
    {"ms sans serif", "'Liberation Sans'"},
    {"arial narrow", "'Liberation Sans Narrow'"},
    {"times new roman", "'Liberation Serif',Tinos"},
    {"times", "'Liberation Serif',Tinos"},
    {"courier new", "'Liberation Mono',Cousine"},
}};

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

} // namespace

std::string_view genericFamily(std::string_view family) {
    const std::string name = util::asciiLowered(family);
    if (contains(name, "mono") || contains(name, "courier") || contains(name, "consolas") ||
        contains(name, "console") || contains(name, "typewriter") || contains(name, "fixedsys"))
        return "monospace";
    if (contains(name, "sans") || contains(name, "gothic"))
        return "sans-serif";
    static constexpr std::string_view serifs[] = {
        "serif",   "times",   "cambria",     "georgia",    "garamond", "palatino", "book antiqua",
        "century", "bookman", "baskerville", "didot",      "bodoni",   "caladea",  "tinos",
        "mincho",  "batang",  "simsun",      "constantia", "rockwell", "perpetua", "goudy"};
    for (std::string_view serif : serifs)
        if (contains(name, serif))
            return "serif";
    return "sans-serif";
}

std::string fontFamilyList(std::string_view family) {
    std::string clean;
    for (char c : family)
        if (c != '\'' && c != '"' && c != ',' && c != ';' && c != '\\' && c != '<' && c != '>' &&
            c != '&' && static_cast<unsigned char>(c) >= 0x20)
            clean += c;
    while (!clean.empty() && clean.back() == ' ')
        clean.pop_back();
    while (!clean.empty() && clean.front() == ' ')
        clean.erase(0, 1);
    if (clean.size() > 64) {
        // Back up to the first byte of a character the cut would split.
        std::size_t cut = 64;
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80)
            --cut;
        clean.resize(cut);
    }
    if (clean.empty())
        return std::string(genericFamily(""));
    std::string out = "'" + clean + "',";
    const std::string key = util::asciiLowered(clean);
    for (const Alternative& alternative : alternatives)
        if (key == alternative.family) {
            out += alternative.alternatives;
            out += ',';
            break;
        }
    out += genericFamily(clean);
    return out;
}

} // namespace engine::svg
