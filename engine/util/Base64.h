#pragma once
// Base64 (RFC 4648's alphabet, '=' padding) both ways: pictures inside pages, archives and
// metafile drawings are written with it, and OpenDocument keeps embedded pictures in it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine::util {

// Appends `bytes` as base64 to `out`; with `lineLength` (a multiple of 4) greater than 0, the
// text is cut into lines of that many characters, each, the last one included, ending in CR LF.
void appendBase64(std::string& out, std::span<const std::uint8_t> bytes,
                  std::size_t lineLength = 0);

// Base64 text (white space ignored) as bytes; nullopt when it holds anything else.
std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text);

} // namespace engine::util
