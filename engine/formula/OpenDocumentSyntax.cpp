// OpenDocument formulas differ from the A1 syntax mostly in their references ("[.A1:.B2]",
// "[$Sheet2.A1]") and separators (';' between arguments, '|' between array rows); rewriting
// them lets one parser read both.

#include "engine/formula/Parser.h"

namespace engine::formula {
namespace {

std::string quoteSheet(std::string name) {
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

// "$'My sheet'.$A$1" → sheet "My sheet", cell "$A$1"; a part without a sheet has "".
void splitPart(std::string_view part, std::string& sheet, std::string& cell) {
    sheet.clear();
    cell.clear();
    if (!part.empty() && part[0] == '$')
        part.remove_prefix(1);
    std::size_t dot = std::string_view::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '\'')
            quoted = !quoted;
        else if (part[i] == '.' && !quoted)
            dot = i;
    }
    if (dot == std::string_view::npos) {
        cell = std::string(part);
        return;
    }
    sheet = sheetNameOf(part.substr(0, dot));
    cell = std::string(part.substr(dot + 1));
}

std::string translateReference(std::string_view inside) {
    std::size_t colon = std::string_view::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < inside.size(); ++i) {
        if (inside[i] == '\'')
            quoted = !quoted;
        else if (inside[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    std::string sheet1, cell1, sheet2, cell2;
    splitPart(inside.substr(0, colon), sheet1, cell1);
    if (colon != std::string_view::npos)
        splitPart(inside.substr(colon + 1), sheet2, cell2);
    std::string prefix;
    if (!sheet1.empty()) {
        if (!sheet2.empty() && sheet2 != sheet1)
            prefix = quoteSheet(sheet1 + ":" + sheet2) + "!";
        else
            prefix = quoteSheet(sheet1) + "!";
    }
    if (cell1.find("#REF!") != std::string::npos || sheet1.find("#REF!") != std::string::npos)
        return "#REF!";
    std::string result = prefix + cell1;
    if (colon != std::string_view::npos)
        result += ":" + cell2;
    return result;
}

} // namespace

std::optional<std::string> translateOpenDocument(std::string_view text) {
    if (text.starts_with("of:"))
        text.remove_prefix(3);
    else if (text.starts_with("oooc:"))
        text.remove_prefix(5);
    else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos && colon < text.find('=') &&
             text.substr(0, colon).find_first_of("[(\"") == std::string_view::npos)
        return std::nullopt; // another namespace's syntax
    if (!text.empty() && text[0] == '=')
        text.remove_prefix(1);

    std::string out;
    out.reserve(text.size());
    int braces = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t start = i++;
            while (i < text.size() &&
                   !(text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"'))) {
                if (text[i] == '"')
                    ++i;
                ++i;
            }
            out.append(text.substr(start, i - start + 1));
        } else if (c == '[') {
            std::size_t end = i + 1;
            bool quoted = false;
            while (end < text.size() && (quoted || text[end] != ']')) {
                if (text[end] == '\'')
                    quoted = !quoted;
                ++end;
            }
            out += translateReference(text.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '{') {
            ++braces;
            out += c;
        } else if (c == '}') {
            --braces;
            out += c;
        } else if (c == ';') {
            out += ',';
        } else if (c == '|' && braces > 0) {
            out += ';';
        } else if (c == '~') {
            out += ',';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace engine::formula
