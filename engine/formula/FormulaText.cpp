#include "engine/formula/FormulaText.h"

#include "engine/formula/Expr.h"
#include "engine/formula/Parser.h"
#include "engine/util/AsciiCase.h"

#include <array>
#include <cctype>

namespace engine::formula {
namespace {

constexpr std::array<std::string_view, 4> prefixes = {"_xlfn.", "_xlws.", "_xlpm.", "_xleta."};

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '\\' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::string columnLetters(std::uint32_t col) {
    std::string out;
    for (std::uint32_t n = col + 1; n > 0; n = (n - 1) / 26) {
        out.insert(out.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return out;
}

// `word` moved by (rows, cols) when it is an A1 cell reference ("B$3"); nullopt when it is not
// one; "#REF!" when it moves off the grid.
std::optional<std::string> moved(std::string_view word, std::int64_t rows, std::int64_t cols) {
    std::size_t i = 0;
    const bool colFixed = i < word.size() && word[i] == '$';
    i += colFixed;
    const std::size_t lettersAt = i;
    while (i < word.size() && std::isalpha(static_cast<unsigned char>(word[i]))) {
        ++i;
    }
    const std::string_view letters = word.substr(lettersAt, i - lettersAt);
    const bool rowFixed = i < word.size() && word[i] == '$';
    i += rowFixed;
    const std::size_t digitsAt = i;
    while (i < word.size() && std::isdigit(static_cast<unsigned char>(word[i]))) {
        ++i;
    }
    const std::string_view digits = word.substr(digitsAt, i - digitsAt);
    if (i != word.size() || letters.empty() || letters.size() > 3 || digits.empty() ||
        digits.size() > 7 || digits[0] == '0') {
        return std::nullopt;
    }
    const auto col = columnFromLetters(letters);
    const std::int64_t row = std::stoll(std::string(digits)) - 1;
    if (!col || row > maxRow) {
        return std::nullopt;
    }
    const std::int64_t newCol = colFixed ? *col : *col + cols;
    const std::int64_t newRow = rowFixed ? row : row + rows;
    if (newCol < 0 || newCol > maxCol || newRow < 0 || newRow > maxRow) {
        return std::string("#REF!");
    }
    return std::string(colFixed ? "$" : "") + columnLetters(static_cast<std::uint32_t>(newCol)) +
           (rowFixed ? "$" : "") + std::to_string(newRow + 1);
}

// The trim-ref operator a file's _TRO_ function stands for; empty for any other word.
std::string_view trimOperator(std::string_view word) {
    if (word == "_TRO_ALL")
        return ".:.";
    if (word == "_TRO_LEADING")
        return ".:";
    if (word == "_TRO_TRAILING")
        return ":.";
    return {};
}

// Where the bracket opened at `open` closes, past quoted text; npos when it never does.
std::size_t closing(std::string_view text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            for (++i; i < text.size() && text[i] != c; ++i) {
            }
            continue;
        }
        depth += c == '(';
        depth -= c == ')';
        if (depth == 0)
            return i;
    }
    return std::string_view::npos;
}

// The first ':' of `text` outside quotes, brackets and parentheses; npos for none.
std::size_t rangeColon(std::string_view text) {
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            for (++i; i < text.size() && text[i] != c; ++i) {
            }
            continue;
        }
        depth += c == '(' || c == '[';
        depth -= c == ')' || c == ']';
        if (c == ':' && depth == 0)
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string shownFormula(std::string_view stored, std::int64_t rows, std::int64_t cols) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size();) {
        const char c = stored[i];
        if (c == '"' || c == '\'') {
            // A quoted text or sheet name, its doubled quotes included, as written.
            std::size_t end = i + 1;
            while (end < stored.size()) {
                if (stored[end] == c && end + 1 < stored.size() && stored[end + 1] == c) {
                    end += 2;
                } else if (stored[end] == c) {
                    break;
                } else {
                    ++end;
                }
            }
            end = std::min(end + 1, stored.size());
            out.append(stored.substr(i, end - i));
            i = end;
            continue;
        }
        if (c == '[') {
            // A structured reference or an external book's number: nothing in it moves.
            std::size_t depth = 0, end = i;
            do {
                depth += stored[end] == '[';
                depth -= stored[end] == ']';
                ++end;
            } while (end < stored.size() && depth > 0);
            out.append(stored.substr(i, end - i));
            i = end;
            continue;
        }
        if (!isWordChar(c) && c != '$') {
            out += c;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < stored.size() && (isWordChar(stored[end]) || stored[end] == '$')) {
            ++end;
        }
        std::string_view word = stored.substr(i, end - i);
        // A LAMBDA parameter a call may leave out is shown in brackets: LAMBDA(a,[b],...).
        if (word.size() > 6 &&
            std::equal(word.begin(), word.begin() + 6, "_xlop.",
                       [](char a, char b) { return util::asciiLower(a) == b; })) {
            out += "[" + std::string(word.substr(6)) + "]";
            i = end;
            continue;
        }
        bool stripped = true;
        while (stripped) {
            stripped = false;
            for (std::string_view prefix : prefixes) {
                if (word.size() > prefix.size() &&
                    std::equal(prefix.begin(), prefix.end(), word.begin(),
                               [](char a, char b) { return a == util::asciiLower(b); })) {
                    word.remove_prefix(prefix.size());
                    stripped = true;
                }
            }
        }
        // A word followed by '(' names a function (LOG10), by '!' a sheet.
        const char next = end < stored.size() ? stored[end] : '\0';
        // _xlfn._TRO_ALL(A1:E5) is shown as the operator the user wrote: A1.:.E5.
        if (const std::string_view op = trimOperator(word); !op.empty() && next == '(') {
            const std::size_t close = closing(stored, end);
            if (close != std::string_view::npos) {
                std::string inner =
                    shownFormula(stored.substr(end + 1, close - end - 1), rows, cols);
                const std::size_t colon = rangeColon(inner);
                if (colon != std::string::npos) {
                    out += inner.replace(colon, 1, op);
                    i = close + 1;
                    continue;
                }
            }
        }
        const auto shifted = (rows != 0 || cols != 0) && next != '(' && next != '!'
                                 ? moved(word, rows, cols)
                                 : std::nullopt;
        out += shifted ? *shifted : std::string(word);
        i = end;
    }
    return out;
}

} // namespace engine::formula
