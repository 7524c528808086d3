#include "engine/numfmt/TextWidth.h"

#include "engine/numfmt/DigitWidth.h"
#include "engine/numfmt/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::numfmt {
namespace {

constexpr double defaultSize = 11.0;
constexpr double digitPixels = 7.0;
// Room the application keeps free inside a cell: a 64-pixel column takes eight digits, not nine.
constexpr int cellMargin = 5;

// Widths in pixels at the default size: the default font's advance widths as the screen
// rounds them (a digit 7, punctuation 4, the slash 6, the space 3).
double characterPixels(unsigned char c) {
    if ((c >= '0' && c <= '9') || c == '#' || c == '$' || c == '+' || c == '=' || c == '<' ||
        c == '>' || c == '_' || c == '?')
        return digitPixels;
    switch (c) {
    case ' ':
    case '\'':
    case '!':
    case 'i':
    case 'l':
    case 'j':
    case 'I':
        return 3;
    case '.':
    case ',':
    case ':':
    case ';':
    case '-':
    case '(':
    case ')':
    case '[':
    case ']':
    case 'f':
    case 'r':
    case 't':
        return 4;
    case '/':
        return 6;
    case 'E':
        return 7;
    case '%':
        return 10;
    case 'M':
    case 'W':
    case 'm':
    case 'w':
        return 12;
    default:
        break;
    }
    if (c >= 'A' && c <= 'Z')
        return 8;
    if (c >= 'a' && c <= 'z')
        return 7;
    return 8; // other scripts and symbols (the euro sign, CJK) as a wide letter
}

double scale(double sizePoints) {
    if (!std::isfinite(sizePoints) || sizePoints <= 0)
        return 1.0;
    return std::clamp(sizePoints, 1.0, 409.0) / defaultSize;
}

// How much wider than the default font's a font's characters are, by its widest digit.
double scale(const Font& font) {
    return maxDigitPixels(font.name, font.size) / digitPixels;
}

double measure(std::string_view text, double factor) {
    double total = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        // A UTF-8 sequence counts once, by its lead byte.
        if ((byte & 0xC0) == 0x80)
            continue;
        total += characterPixels(byte);
    }
    return total * factor;
}

std::string hashesFor(int room, double factor) {
    const double hash = digitPixels * factor;
    auto count = static_cast<std::size_t>(std::max(1.0, std::floor(room / hash)));
    return std::string(std::min<std::size_t>(count, 255), '#');
}

// Independent of the process's locale, which a host with a user interface may have set.
std::string printed(double value, std::chars_format style, int precision) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, style, precision);
    std::string text(buffer, result.ec == std::errc{} ? result.ptr : buffer);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    return text;
}

// "2.50" -> "2.5", "3.00" -> "3": General never shows trailing zeros.
std::string trimmedZeros(std::string text) {
    if (text.find('.') == std::string::npos)
        return text;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// "1.2300E+08" -> "1.23E+08".
std::string trimmedMantissa(const std::string& text) {
    auto e = text.find('E');
    if (e == std::string::npos)
        return text;
    return trimmedZeros(text.substr(0, e)) + text.substr(e);
}

} // namespace

double estimateTextPixels(std::string_view text, double sizePoints) {
    return measure(text, scale(sizePoints));
}

double estimateTextPixels(std::string_view text, const Font& font) {
    return measure(text, scale(font));
}

namespace {

std::string fitNumber(const std::string& text, int cellPixels, double factor) {
    const int room = std::max(cellPixels - cellMargin, 0);
    if (text.empty() || measure(text, factor) <= room)
        return text;
    return hashesFor(room, factor);
}

std::string fitGeneral(double value, const std::string& general, int cellPixels, double factor) {
    const int room = std::max(cellPixels - cellMargin, 0);
    auto fits = [&](const std::string& text) { return measure(text, factor) <= room; };
    if (general.empty() || fits(general) || !std::isfinite(value))
        return general;
    const bool scientific = general.find('E') != std::string::npos;
    if (!scientific) {
        auto point = general.find('.');
        int decimals =
            point == std::string::npos ? 0 : static_cast<int>(general.size() - point - 1);
        for (int d = decimals - 1; d >= 0; --d) {
            std::string integer, fraction;
            splitDigits(std::fabs(value), d, integer, fraction);
            std::string text = std::string(value < 0 ? "-" : "") +
                               (integer.empty() ? "0" : integer) + (d > 0 ? "." + fraction : "");
            text = trimmedZeros(std::move(text));
            if (text == "0" || text == "-0")
                break; // rounded away: only scientific notation still shows the value
            if (fits(text))
                return text;
        }
    }
    for (int d = 4; d >= 0; --d) {
        std::string text = trimmedMantissa(printed(value, std::chars_format::scientific, d));
        if (fits(text))
            return text;
    }
    return hashesFor(room, factor);
}

} // namespace

std::string fitNumberText(const std::string& text, int cellPixels, double sizePoints) {
    return fitNumber(text, cellPixels, scale(sizePoints));
}

std::string fitNumberText(const std::string& text, int cellPixels, const Font& font) {
    return fitNumber(text, cellPixels, scale(font));
}

std::string fitGeneralNumber(double value, const std::string& general, int cellPixels,
                             double sizePoints) {
    return fitGeneral(value, general, cellPixels, scale(sizePoints));
}

std::string fitGeneralNumber(double value, const std::string& general, int cellPixels,
                             const Font& font) {
    return fitGeneral(value, general, cellPixels, scale(font));
}

} // namespace engine::numfmt
