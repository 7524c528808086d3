#pragma once
// The low-level writing every SVG the engine makes shares: numbers, colours, escaped text and
// elements with their attributes, appended to a string.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace engine::svg {

// A number as the drawings write it: fixed point with at most `decimals` (0 to 3) decimals,
// halves rounded away from zero, no exponent, no trailing zeros and no "-0", whatever the
// locale. Values past ten million either way are clamped (hostile coordinates stay short);
// non-finite ones become 0.
void appendNumber(std::string& out, double value, int decimals);

// "#RRGGBB" of 0xRRGGBB.
void appendColor(std::string& out, std::uint32_t rgb);
std::string colorText(std::uint32_t rgb);

// Text from a file made safe as element content or a quoted attribute value (invalid UTF-8 and
// characters XML forbids replaced), cut to its first `maxBytes` bytes without splitting a
// character.
void appendText(std::string& out, std::string_view text,
                std::size_t maxBytes = std::string_view::npos);

// Writes elements into `out` attribute by attribute: open("rect").number("x", 1).close()
// gives <rect x="1"/>. Numbers use the writer's decimals.
class Writer {
public:
    explicit Writer(std::string& out, int decimals = 1) : out_(out), decimals_(decimals) {}

    std::string& out() { return out_; }

    // "<name".
    Writer& open(std::string_view name);
    // ` name="value"`: a number, a colour, a value the engine made itself, or text from a file.
    Writer& number(std::string_view name, double value);
    Writer& color(std::string_view name, std::uint32_t rgb);
    Writer& raw(std::string_view name, std::string_view value);
    Writer& text(std::string_view name, std::string_view value,
                 std::size_t maxBytes = std::string_view::npos);
    // ` name="1 2.5 3"`: numbers apart by spaces (a view box, a dash pattern).
    Writer& numbers(std::string_view name, std::span<const double> values);
    // ` transform="function(1 2 3)"`.
    Writer& transform(std::string_view function, std::span<const double> values);
    // "/>" for an empty element, ">" before its content.
    void close() { out_ += "/>"; }
    void content() { out_ += '>'; }
    // "</name>".
    void end(std::string_view name);

    // Bare values, for path data and lists inside an attribute the caller writes.
    void number(double value) { appendNumber(out_, value, decimals_); }
    void point(double x, double y);

private:
    void begin(std::string_view name);
    void list(std::span<const double> values);

    std::string& out_;
    int decimals_;
};

} // namespace engine::svg
