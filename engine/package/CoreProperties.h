#pragma once
// What a package's core properties part says of the whole document.

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

// The document's language as the core properties write it (<dc:language>en-US</dc:language>),
// blanks trimmed; empty when the package has no core properties, they name no language, or the
// part cannot be read: a language is no reason to refuse a workbook.
std::string readDocumentLanguage(const zip::ZipArchive& archive);

} // namespace engine::package
