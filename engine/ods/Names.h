#pragma once
// Namespaces and the few fixed names of OpenDocument spreadsheets (OASIS OpenDocument 1.3:
// the schema and the package format).

#include <string_view>

namespace engine::ods::names {

inline constexpr std::string_view office = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
inline constexpr std::string_view style = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
inline constexpr std::string_view table = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
inline constexpr std::string_view text = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
inline constexpr std::string_view number = "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0";
inline constexpr std::string_view draw = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
inline constexpr std::string_view manifest = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";
inline constexpr std::string_view chart = "urn:oasis:names:tc:opendocument:xmlns:chart:1.0";
inline constexpr std::string_view dc = "http://purl.org/dc/elements/1.1/";

// Package entries (package format §3: mimetype and manifest; schema §3.1: content and styles).
inline constexpr std::string_view mimetypeEntry = "mimetype";
inline constexpr std::string_view manifestEntry = "META-INF/manifest.xml";
inline constexpr std::string_view contentEntry = "content.xml";
inline constexpr std::string_view stylesEntry = "styles.xml";
inline constexpr std::string_view settingsEntry = "settings.xml"; // schema §3.10, optional
inline constexpr std::string_view spreadsheetMime =
    "application/vnd.oasis.opendocument.spreadsheet";
// Templates are spreadsheets too; other OpenDocument kinds (text, drawings) are not.
inline constexpr std::string_view spreadsheetTemplateMime =
    "application/vnd.oasis.opendocument.spreadsheet-template";

} // namespace engine::ods::names
