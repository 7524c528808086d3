#include "batch/PartialFiles.h"

#include "app/CaseFolding.h"
#include "batch/FoldedCase.h"
#include "batch/PathText.h"

#include <dirent.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace batch {
namespace {

// The host writes each file under a hidden name of this prefix and six more characters in its
// folder, then renames it. Matched as a folder listing's name filter matches, letter case
// ignored.
constexpr std::string_view partialPrefix = ".qm-write-";
constexpr std::size_t partialRest = 6;

bool isPartialName(std::string_view name) {
    if (name.size() < partialPrefix.size() ||
        app::CompareIgnoringCase(name.substr(0, partialPrefix.size()), partialPrefix) != 0)
        return false;
    std::size_t characters = 0;
    char32_t code = 0;
    for (std::size_t at = partialPrefix.size(); at < name.size(); ++characters)
        at += NextCharacter(name, at, code);
    return characters == partialRest;
}

// The names in `folder` but "." and "..", with whether each is a folder (links to one
// included) and whether it is a link.
template <typename Visit> void forEachEntry(const std::string& folder, Visit visit) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + '/' + entry->d_name;
        struct stat info {};
        const bool link = ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
        const bool isFolder = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        visit(name, path, isFolder, link);
    }
}

int removeIn(const std::string& folder) {
    int removed = 0;
    forEachEntry(folder, [&](std::string_view name, const std::string& path, bool isFolder, bool) {
        if (!isFolder && isPartialName(name) && ::unlink(path.c_str()) == 0)
            ++removed;
    });
    return removed;
}

} // namespace

int RemovePartialFiles(const std::string& folder) {
    int removed = removeIn(folder);
    // Supporting-file folders, not links elsewhere.
    forEachEntry(folder, [&](std::string_view, const std::string& path, bool isFolder, bool link) {
        if (isFolder && !link)
            removed += removeIn(path);
    });
    return removed;
}

} // namespace batch
