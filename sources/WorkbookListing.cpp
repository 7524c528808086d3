#include "sources/WorkbookListing.h"

#include "app/CaseFolding.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

namespace sources {
namespace {

// The extension (after the last dot) begins with "xls" in any letter case. Checked on the raw
// bytes: "xls" is ASCII, which never occurs inside a multi-byte UTF-8 sequence, so this needs no
// decoding and also holds for names that are not valid UTF-8.
bool hasWorkbookExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr && ::strncasecmp(dot + 1, "xls", 3) == 0;
}

bool isOrdinaryFile(const std::string& folder, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    const std::string path = folder + '/' + entry->d_name;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The window's order: letter case ignored, then UTF-16 order for names that differ only in it.
bool byNameIgnoringCase(const std::string& a, const std::string& b) {
    const int order = app::CompareIgnoringCase(a, b);
    return order != 0 ? order < 0 : app::CompareUtf16(a, b) < 0;
}

} // namespace

std::vector<std::string> ListWorkbookNames(const std::string& folder, int limit) {
    if (limit <= 0)
        return {};
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return {};
    // The `limit` first names in order, as a heap whose top is the last of them: memory stays
    // bounded however many files the folder holds. A read error ends the listing with what was
    // found so far.
    std::vector<std::string> first;
    first.reserve(static_cast<std::size_t>(std::min(limit, 1024)));
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.' || !hasWorkbookExtension(entry->d_name) ||
            !isOrdinaryFile(folder, entry))
            continue;
        std::string name = entry->d_name;
        if (first.size() < static_cast<std::size_t>(limit)) {
            first.push_back(std::move(name));
            std::push_heap(first.begin(), first.end(), byNameIgnoringCase);
        } else if (byNameIgnoringCase(name, first.front())) {
            std::pop_heap(first.begin(), first.end(), byNameIgnoringCase);
            first.back() = std::move(name);
            std::push_heap(first.begin(), first.end(), byNameIgnoringCase);
        }
    }
    std::sort_heap(first.begin(), first.end(), byNameIgnoringCase);
    return first;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!folder.ends_with('/'))
        path += '/';
    path += name;
    return path;
}

} // namespace sources
