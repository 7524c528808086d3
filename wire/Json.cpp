#include "wire/Json.h"

#include "engine/formula/functions/TextUnits.h"
#include "wire/NumberText.h"

#include <cmath>

namespace wire {
namespace {

using nlohmann::json;

// Neither end writes lines nested deeper, and the reader the client had refused them: a line
// nested deeper is not one of ours. Bounding it here also bounds the recursion of everything
// below.
constexpr int maxNesting = 1024;

bool nestedTooDeeply(std::string_view line) {
    int depth = 0;
    bool inText = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inText) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inText = false;
        } else if (c == '"') {
            inText = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxNesting)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2)
                return false;
        i += length;
    }
    return true;
}

} // namespace

std::optional<json> parseLine(std::string_view line) {
    // A NUL is never valid JSON, but the parser would take it for the end of the line.
    if (line.find('\0') != std::string_view::npos || nestedTooDeeply(line))
        return std::nullopt;
    json document = json::parse(line, nullptr, false);
    if (document.is_discarded())
        return std::nullopt;
    return document;
}

int wholeInt(const json& value, int fallback) {
    if (!value.is_number())
        return fallback;
    const double number = value.get<double>();
    if (number != std::trunc(number) || number < -2147483648.0 || number > 2147483647.0)
        return fallback;
    return static_cast<int>(number);
}

std::int64_t wholeInt64(const json& value, std::int64_t fallback) {
    if (!value.is_number())
        return fallback;
    const double number = value.get<double>();
    if (number != std::trunc(number) || number < -9223372036854775808.0 ||
        number >= 9223372036854775808.0)
        return fallback;
    return static_cast<std::int64_t>(number);
}

Value valueOf(const json& value) {
    switch (value.type()) {
    case json::value_t::boolean:
        return value.get<bool>();
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float: {
        // Whole numbers come to the host as integers, as long as a double holds them exactly
        // with room to spare; beyond that they stay doubles.
        const double number = value.get<double>();
        if (number == std::trunc(number) && number >= -9.0e15 && number <= 9.0e15)
            return static_cast<std::int64_t>(number);
        return number;
    }
    case json::value_t::string:
        return value.get<std::string>();
    case json::value_t::array: {
        Value::List items;
        items.reserve(value.size());
        for (const json& item : value)
            items.push_back(valueOf(item));
        return items;
    }
    case json::value_t::object: {
        const auto omitted = value.find("omitted");
        if (omitted != value.end() && omitted->is_boolean() && omitted->get<bool>())
            return Omitted{};
        const auto object = value.find("object");
        if (object != value.end())
            return ObjectRef{wholeInt(*object, 0)};
        return Value();
    }
    default:
        return Value();
    }
}

json jsonOf(const Value& value) {
    if (value.is<bool>())
        return value.as<bool>();
    if (value.is<std::int64_t>())
        return value.as<std::int64_t>();
    if (value.is<double>())
        return value.as<double>();
    if (value.is<std::string>())
        return value.as<std::string>();
    if (value.is<Value::List>()) {
        json items = json::array();
        for (const Value& item : value.as<Value::List>())
            items.push_back(jsonOf(item));
        return items;
    }
    if (value.is<Omitted>())
        return json{{"omitted", true}};
    if (value.is<ObjectRef>())
        return json{{"object", value.as<ObjectRef>().handle}};
    return nullptr;
}

void writeText(std::string& out, std::string_view text) {
    // Texts the engine read from a workbook may hold bytes that are not UTF-8; the client gets
    // U+FFFD for them rather than a line it cannot read.
    std::string repaired;
    if (!isUtf8(text)) {
        namespace units = engine::formula::functions;
        repaired = units::toUtf8(units::toUtf16(text));
        text = repaired;
    }
    static constexpr char hex[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out.push_back(hex[c >> 4]);
                out.push_back(hex[c & 0xF]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void writeJson(std::string& out, const json& value) {
    switch (value.type()) {
    case json::value_t::null:
    case json::value_t::discarded:
    case json::value_t::binary:
        out += "null";
        break;
    case json::value_t::boolean:
        out += value.get<bool>() ? "true" : "false";
        break;
    case json::value_t::number_integer:
        out += std::to_string(value.get<std::int64_t>());
        break;
    case json::value_t::number_unsigned:
        // Beyond the 64-bit integers only as a double.
        if (value.get<std::uint64_t>() <= static_cast<std::uint64_t>(INT64_MAX))
            out += std::to_string(value.get<std::uint64_t>());
        else
            out += jsonNumberText(value.get<double>());
        break;
    case json::value_t::number_float:
        out += jsonNumberText(value.get<double>());
        break;
    case json::value_t::string:
        writeText(out, value.get_ref<const std::string&>());
        break;
    case json::value_t::array: {
        out.push_back('[');
        bool first = true;
        for (const json& item : value) {
            if (!first)
                out.push_back(',');
            first = false;
            writeJson(out, item);
        }
        out.push_back(']');
        break;
    }
    case json::value_t::object: {
        out.push_back('{');
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first)
                out.push_back(',');
            first = false;
            writeText(out, key);
            out.push_back(':');
            writeJson(out, item);
        }
        out.push_back('}');
        break;
    }
    }
}

} // namespace wire
