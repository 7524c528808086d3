#include "engine/svg/SvgWriter.h"

#include "engine/util/MarkupText.h"
#include "engine/util/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::svg {

void appendNumber(std::string& out, double value, int decimals) {
    static constexpr long long scales[] = {1, 10, 100, 1000};
    decimals = std::clamp(decimals, 0, 3);
    const long long scale = scales[decimals];
    if (!std::isfinite(value))
        value = 0;
    const long long scaled =
        std::llround(std::clamp(value, -1e7, 1e7) * static_cast<double>(scale));
    if (scaled < 0)
        out += '-';
    const long long magnitude = std::llabs(scaled);
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, magnitude / scale).ptr);
    long long fraction = magnitude % scale;
    if (fraction == 0)
        return;
    out += '.';
    for (long long digit = scale / 10; digit > 0 && fraction > 0; digit /= 10) {
        out += static_cast<char>('0' + fraction / digit);
        fraction %= digit;
    }
}

void appendColor(std::string& out, std::uint32_t rgb) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += '#';
    for (int shift = 20; shift >= 0; shift -= 4)
        out += digits[(rgb >> shift) & 0xF];
}

std::string colorText(std::uint32_t rgb) {
    std::string out;
    appendColor(out, rgb);
    return out;
}

void appendText(std::string& out, std::string_view text, std::size_t maxBytes) {
    util::appendEscaped(out, util::utf8Prefix(text, maxBytes));
}

Writer& Writer::open(std::string_view name) {
    out_ += '<';
    out_ += name;
    return *this;
}

void Writer::begin(std::string_view name) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
}

Writer& Writer::number(std::string_view name, double value) {
    begin(name);
    number(value);
    out_ += '"';
    return *this;
}

Writer& Writer::color(std::string_view name, std::uint32_t rgb) {
    begin(name);
    appendColor(out_, rgb);
    out_ += '"';
    return *this;
}

Writer& Writer::raw(std::string_view name, std::string_view value) {
    begin(name);
    out_ += value;
    out_ += '"';
    return *this;
}

Writer& Writer::text(std::string_view name, std::string_view value, std::size_t maxBytes) {
    begin(name);
    appendText(out_, value, maxBytes);
    out_ += '"';
    return *this;
}

Writer& Writer::numbers(std::string_view name, std::span<const double> values) {
    begin(name);
    list(values);
    out_ += '"';
    return *this;
}

Writer& Writer::transform(std::string_view function, std::span<const double> values) {
    begin("transform");
    out_ += function;
    out_ += '(';
    list(values);
    out_ += ")\"";
    return *this;
}

void Writer::list(std::span<const double> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out_ += ' ';
        number(values[i]);
    }
}

void Writer::end(std::string_view name) {
    out_ += "</";
    out_ += name;
    out_ += '>';
}

void Writer::point(double x, double y) {
    number(x);
    out_ += ' ';
    number(y);
}

} // namespace engine::svg
