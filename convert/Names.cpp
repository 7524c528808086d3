#include "convert/Names.h"

#include "app/CaseFolding.h"
#include "app/Random.h"
#include "app/Utf8.h"
#include "convert/TextRules.h"

#include <limits>

namespace convert {
namespace {

// Characters a file name formed from a sheet name may not hold: the five that the first
// platform refused, then what would leave the folder or that no file system takes. All are
// ASCII, which never occurs inside a multi-byte UTF-8 sequence, so bytes can be tested alone.
bool forbidden(char c) {
    switch (c) {
    case ':':
    case '"':
    case '<':
    case '>':
    case '|':
    case '/':
        return true;
    default:
        return static_cast<unsigned char>(c) < 0x20;
    }
}

std::string clean(std::string_view name) {
    std::string kept;
    kept.reserve(name.size());
    for (const char c : name)
        if (!forbidden(c))
            kept += c;
    const std::string_view result = app::TruncateUtf8(kept, MaxStemBytes);
    // Names that are the folder itself or its parent would leave the workbook's folder.
    if (result == "." || result == "..")
        return std::string();
    return std::string(result);
}

std::string randomNumber(app::Random& random, int upTo) {
    random.Randomize();
    return std::to_string(static_cast<long long>(random.Rnd() * upTo + 1));
}

std::string joined(std::string_view workbookName, std::string_view tail) {
    std::string result;
    result.reserve(workbookName.size() + 1 + tail.size());
    result += workbookName;
    result += '_';
    result += tail;
    return result;
}

} // namespace

std::string OutputFileName(int fileNaming, std::string_view workbookItem,
                           std::string_view sheetName, std::int32_t& FileSequenceNumber,
                           app::Random& random) {
    const std::string workbookName = StripExtension(workbookItem);
    std::string named;
    switch (fileNaming) {
    case 0:
        named = app::CompareIgnoringCase(sheetName, workbookName) == 0
                    ? joined(workbookName, sheetName)
                    : std::string(sheetName);
        break;
    case 1:
        named = joined(workbookName, sheetName);
        break;
    case 2: {
        if (FileSequenceNumber == std::numeric_limits<std::int32_t>::max())
            FileSequenceNumber = 0;
        const std::string number = std::to_string(++FileSequenceNumber);
        named = number == workbookName ? joined(workbookName, number) : number;
        break;
    }
    default:
        named = sheetName;
        break;
    }

    std::string name = named.empty() ? named : clean(named);
    // A leading blank discards the name rather than being trimmed.
    if (name.starts_with(' '))
        name.clear();
    if (name.empty())
        name = randomNumber(random, 1000000);
    // Two characters as the window counts them: one past U+FFFF already makes two.
    if (name != named && app::Utf16Length(name) < 2)
        name.insert(0, randomNumber(random, 100));
    return name;
}

std::string PageTitle(int pageTitle, std::string_view workbookItem, std::string_view sheetName) {
    switch (pageTitle) {
    case 1:
        return std::string(sheetName);
    case 2:
        return StripExtension(workbookItem);
    case 3:
        return joined(StripExtension(workbookItem), sheetName);
    default:
        return std::string();
    }
}

std::string ClaimedNames::claim(std::string_view stem, std::string_view extension) {
    std::string dotExtension = ".";
    dotExtension += extension;
    std::string candidate(stem);
    for (int k = 2; claimed_.contains(app::CaseFolded(candidate + dotExtension)); ++k)
        candidate = std::string(stem) + '_' + std::to_string(k);
    claimed_.insert(app::CaseFolded(candidate + dotExtension));
    return candidate;
}

} // namespace convert
