#pragma once
// The naming rules of per-sheet output: the file name and page title of each published sheet,
// and the file names already handed out in one workbook's folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

namespace app {
class Random;
}

namespace convert {

// Longest file name stem, in UTF-8 bytes, that a sheet name can give: leaves room within a
// file system's 255-byte name limit for a "_k" suffix and for ".mhtml" or "_files".
inline constexpr int MaxStemBytes = 200;

// The file name, without extension, for sheet `sheetName` of the workbook listed as
// `workbookItem`, by naming mode `fileNaming` (0 sheet name, 1 workbook and sheet name, 2 the
// next number of `FileSequenceNumber`, which every call in mode 2 increments; any other value
// the sheet name). Never empty, never "." or "..", never holds "/", NUL, a control character
// or any of :"<>|, and at most MaxStemBytes long. A name that cleaning empties or that starts
// with a blank becomes a random number from `random`; a cleaned name shorter than two
// characters gets a random number in front.
std::string OutputFileName(int fileNaming, std::string_view workbookItem,
                           std::string_view sheetName, std::int32_t& FileSequenceNumber,
                           app::Random& random);

// The page title of sheet `sheetName` by title rule `pageTitle` (1 sheet name, 2 workbook name,
// 3 both joined by "_"); empty for any other rule. Not cleaned.
std::string PageTitle(int pageTitle, std::string_view workbookItem, std::string_view sheetName);

// The file names one call has handed out in one folder, so that no page of the call replaces
// another.
class ClaimedNames {
public:
    // `stem` when no claimed name equals stem.extension, else the first free stem_k for
    // k = 2, 3 …; the result is claimed. Letter case is ignored, as some file systems do.
    std::string claim(std::string_view stem, std::string_view extension);

private:
    std::unordered_set<std::string> claimed_; // "stem.extension", case-folded
};

} // namespace convert
