#pragma once
// The colour scheme of a workbook's theme part.

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

class Colors;

// Reads the colour scheme of theme part `part` into `colors`; a slot the scheme lacks keeps its
// default. Throws ReadError(Damaged) for a malformed part.
void readTheme(const zip::ZipArchive& archive, const std::string& part, Colors& colors);

} // namespace engine::package
