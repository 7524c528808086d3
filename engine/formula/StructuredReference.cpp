#include "engine/formula/StructuredReference.h"

#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace engine::formula {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return util::asciiEqualIgnoringCase(a, b);
}

// A column name as written: ' makes the next character plain; spaces around it are not part of
// it.
std::string unescape(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'' && i + 1 < text.size())
            ++i;
        name += text[i];
    }
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The items of a list "[a],[b]:[c]" as bracket contents; empty on a malformed list.
std::vector<std::string_view> items(std::string_view text, bool& ok) {
    std::vector<std::string_view> out;
    ok = true;
    while (!(text = trim(text)).empty()) {
        if (text.front() == ',' || text.front() == ':') {
            out.push_back(text.substr(0, 1));
            text.remove_prefix(1);
            continue;
        }
        const auto length = specifierLength(text);
        if (!length) {
            ok = false;
            return {};
        }
        out.push_back(text.substr(1, *length - 2));
        text.remove_prefix(*length);
    }
    return out;
}

struct Selection {
    bool all = false, data = false, headers = false, totals = false, thisRow = false;
    std::optional<std::uint32_t> firstCol, lastCol; // 0-based within the table
};

// A keyword ("#Data") or a column into `selection`; false for an unknown one.
bool select(const Table& table, std::string_view item, Selection& selection,
            std::optional<std::uint32_t>& column) {
    item = trim(item);
    if (!item.empty() && item.front() == '#') {
        if (sameName(item, "#All"))
            selection.all = true;
        else if (sameName(item, "#Data"))
            selection.data = true;
        else if (sameName(item, "#Headers"))
            selection.headers = true;
        else if (sameName(item, "#Totals"))
            selection.totals = true;
        else if (sameName(item, "#This Row"))
            selection.thisRow = true;
        else
            return false;
        return true;
    }
    const std::string name = unescape(item);
    for (std::uint32_t i = 0; i < table.columns.size(); ++i)
        if (sameName(table.columns[i], name)) {
            column = i;
            return true;
        }
    return false;
}

} // namespace

std::optional<std::size_t> specifierLength(std::string_view text) {
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') {
            ++i;
            continue;
        }
        if (c == '[') {
            ++depth;
        } else if (c == ']' && --depth == 0) {
            return i + 1;
        }
    }
    return std::nullopt;
}

std::variant<Reference, CellError> resolveStructured(const Table& table, std::string_view specifier,
                                                     const StructuredCaller& caller) {
    Selection selection;
    std::string_view inner = specifier.substr(1, specifier.size() - 2);
    const auto column = [&](std::string_view item) {
        std::optional<std::uint32_t> found;
        if (!select(table, item, selection, found))
            return false;
        if (found) {
            if (!selection.firstCol || *found < *selection.firstCol)
                selection.firstCol = found;
            if (!selection.lastCol || *found > *selection.lastCol)
                selection.lastCol = found;
        }
        return true;
    };
    if (!inner.empty() && inner.front() == '@') {
        selection.thisRow = true;
        inner.remove_prefix(1);
    }
    if (!trim(inner).empty() && trim(inner).front() == '[') {
        bool ok = false;
        const std::vector<std::string_view> list = items(inner, ok);
        if (!ok)
            return CellError::Ref;
        for (std::string_view item : list)
            if (item != "," && item != ":" && !column(item))
                return CellError::Ref;
    } else if (!trim(inner).empty() && !column(inner)) {
        return CellError::Ref;
    }

    const std::uint32_t top = table.range.firstRow, bottom = table.range.lastRow;
    const std::uint32_t dataTop = top + table.headerRows, dataBottom = bottom - table.totalsRows;
    if (!selection.all && !selection.headers && !selection.totals && !selection.thisRow)
        selection.data = true;
    if ((selection.headers && !table.headerRows) || (selection.totals && !table.totalsRows))
        return CellError::Ref;
    std::uint32_t first = 0, last = 0;
    if (selection.all) {
        first = top;
        last = bottom;
    } else if (selection.thisRow) {
        if (caller.sheet != table.sheet || caller.row < dataTop || caller.row > dataBottom)
            return CellError::Value;
        first = last = caller.row;
    } else {
        first = selection.headers ? top : selection.data ? dataTop : dataBottom + 1;
        last = selection.totals ? bottom : selection.data ? dataBottom : top;
    }
    Reference ref;
    ref.firstSheet = ref.lastSheet = table.sheet;
    ref.firstRow = first;
    ref.lastRow = last;
    ref.firstCol = table.range.firstCol + selection.firstCol.value_or(0);
    ref.lastCol =
        selection.lastCol ? table.range.firstCol + *selection.lastCol : table.range.lastCol;
    return ref;
}

} // namespace engine::formula
