#pragma once
// Threaded comments (a conversation on a cell: a comment and its replies) and the people who
// wrote them, which replace the placeholder notes files keep for older readers.

#include "engine/model/Sheet.h"

#include <map>
#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

// Display names by person id.
using Persons = std::map<std::string, std::string, std::less<>>;

// The persons part `part` (xl/persons/person.xml). Throws ReadError(Damaged) when malformed.
Persons readPersons(const zip::ZipArchive& archive, const std::string& part);
Persons parsePersonsXml(std::string_view xml, const std::string& partName);

// Reads the threaded comments of worksheet part `sheetPart`, if it has any, into
// `sheet.comments`: a conversation replaces the note on its cell (keeping whether it is
// shown), its text followed by each reply as "Name: text" after an empty line, its author
// the first comment's. Throws ReadError(Damaged) when the part is malformed.
void readThreadedComments(const zip::ZipArchive& archive, const std::string& sheetPart,
                          const Persons& persons, Sheet& sheet);
void parseThreadedCommentsXml(std::string_view xml, const std::string& partName,
                              const Persons& persons, Sheet& sheet);

} // namespace engine::package
