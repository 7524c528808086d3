#include "convert/OutputFolder.h"

#include "app/Utf8.h"
#include "convert/TextRules.h"
#include "sources/PathKind.h"

#include <sys/stat.h>

namespace convert {
namespace {

// A candidate this long, in UTF-16 units as the window counts, is no path any file system
// takes, so the loop need not go further.
constexpr std::size_t longestCandidate = 4096;

} // namespace

PrepareResult PrepareOutputFolder(std::string_view boxText, int listIndex,
                                  std::string& OutputFolder) {
    OutputFolder = boxText;
    if (boxText.empty())
        return PrepareResult::NoFolderGiven;
    const bool typed = listIndex == -1;
    if (sources::PathKind(boxText) != sources::ExistingFolder && !typed)
        return PrepareResult::FolderMissing;
    while (OutputFolder.ends_with('/'))
        OutputFolder.pop_back();
    if (sources::PathKind(OutputFolder) != sources::ExistingFolder && typed &&
        !CreateFolder(OutputFolder))
        return PrepareResult::CreateFailed;
    OutputFolder += '/';
    return PrepareResult::Ready;
}

std::string PrepareMessage(PrepareResult result) {
    switch (result) {
    case PrepareResult::NoFolderGiven:
        return "Please select output folder";
    case PrepareResult::FolderMissing:
        return "Folder does not exist!";
    case PrepareResult::CreateFailed:
        return "Failed to create folder!";
    case PrepareResult::Ready:
        break;
    }
    return std::string();
}

std::string DisplayName(std::string_view itemText) {
    return RemoveSpacesAndDots(StripExtension(itemText));
}

std::string ChooseWorkbookFolder(std::string_view OutputFolder, std::string_view displayName,
                                 const std::function<bool(const std::string&)>& taken) {
    std::string candidate(OutputFolder);
    candidate += displayName;
    // Only suffix digits are appended, one UTF-16 unit each.
    std::size_t length = app::Utf16Length(candidate);
    for (int suffix = 1; taken(candidate) && length < longestCandidate; ++suffix) {
        const std::string digits = std::to_string(suffix);
        candidate += digits;
        length += digits.size();
    }
    return candidate;
}

bool CreateFolder(const std::string& path) {
    if (path.empty())
        return false;
    return ::mkdir(path.c_str(), 0777) == 0;
}

} // namespace convert
