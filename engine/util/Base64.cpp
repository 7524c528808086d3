#include "engine/util/Base64.h"

namespace engine::util {

void appendBase64(std::string& out, std::span<const std::uint8_t> bytes, std::size_t lineLength) {
    static constexpr char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t groupsPerLine = lineLength / 4;
    std::size_t groups = 0;
    auto group = [&](char a, char b, char c, char d) {
        out += a;
        out += b;
        out += c;
        out += d;
        if (groupsPerLine > 0 && ++groups == groupsPerLine) {
            out += "\r\n";
            groups = 0;
        }
    };
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t v =
            (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
        group(digits[v >> 18], digits[(v >> 12) & 63], digits[(v >> 6) & 63], digits[v & 63]);
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const std::uint32_t v =
            (std::uint32_t{bytes[i]} << 16) | (two ? std::uint32_t{bytes[i + 1]} << 8 : 0u);
        group(digits[v >> 18], digits[(v >> 12) & 63], two ? digits[(v >> 6) & 63] : '=', '=');
    }
    if (groups > 0)
        out += "\r\n";
}

std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    bool ended = false;
    for (char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=')
            ended = true;
        else if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        else
            return std::nullopt;
        if (value < 0)
            continue;
        if (ended)
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
            bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
            bytes.push_back(static_cast<std::uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> 4));
    } else if (count == 3) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> 10));
        bytes.push_back(static_cast<std::uint8_t>(bits >> 2));
    } else if (count == 1) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace engine::util
