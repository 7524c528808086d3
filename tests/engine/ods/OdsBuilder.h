#pragma once
// Builds small OpenDocument spreadsheets in memory: packages with a content part and optional
// styles, and flat documents.

#include "tests/engine/xlsx/PackageWriter.h"

#include <string>

namespace testing_support {

inline constexpr const char* odsNamespaces =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
    "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
    "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\"";

// content.xml with `automaticStyles` and the `tables` (table:table elements) of the body.
inline std::string odsContent(const std::string& tables, const std::string& automaticStyles = {},
                              const std::string& beforeTables = {}) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content ") +
           odsNamespaces + "><office:automatic-styles>" + automaticStyles +
           "</office:automatic-styles><office:body><office:spreadsheet>" + beforeTables + tables +
           "</office:spreadsheet></office:body></office:document-content>";
}

// styles.xml with the named `styles` of office:styles.
inline std::string odsStyles(const std::string& styles) {
    return std::string("<?xml version=\"1.0\"?><office:document-styles ") + odsNamespaces +
           "><office:styles>" + styles + "</office:styles></office:document-styles>";
}

// A package as the suite writes it: the mimetype first, a manifest, content and styles.
inline PackageWriter odsPackage(const std::string& content, const std::string& styles = {}) {
    PackageWriter package;
    package.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    package.add("META-INF/manifest.xml",
                "<manifest:manifest "
                "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type="
                "\"application/vnd.oasis.opendocument.spreadsheet\"/></manifest:manifest>");
    package.add("content.xml", content);
    if (!styles.empty())
        package.add("styles.xml", styles);
    return package;
}

// One table named `name` holding `rows` (table:table-row elements and what precedes them).
inline std::string odsTable(const std::string& rows, const std::string& name = "Sheet1",
                            const std::string& attributes = {}) {
    return "<table:table table:name=\"" + name + "\"" + attributes + ">" + rows + "</table:table>";
}

} // namespace testing_support
