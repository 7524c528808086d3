#include "batch/TreeListing.h"

#include "batch/FoldedCase.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

namespace batch {
namespace {

bool hasWorkbookExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr)
        return false;
    ++dot;
    return ::strncasecmp(dot, "xls", 3) == 0 || ::strncasecmp(dot, "xlt", 3) == 0 ||
           ::strcasecmp(dot, "ods") == 0 || ::strcasecmp(dot, "fods") == 0;
}

struct Entry {
    std::string name;
    std::u16string key; // for sorting
};

void sortByName(std::vector<Entry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.name < b.name;
    });
}

} // namespace

std::vector<std::string> ListWorkbookTree(const std::string& root) {
    std::vector<std::string> found;
    // Folders still to list, below `root`, the next one last; an explicit stack, so that depth
    // costs no call stack.
    std::vector<std::string> pending{std::string()};
    while (!pending.empty()) {
        const std::string relative = std::move(pending.back());
        pending.pop_back();
        const std::string folder = relative.empty() ? root : root + '/' + relative;
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir)
            continue;
        std::vector<Entry> files;
        std::vector<Entry> folders;
        while (const dirent* entry = ::readdir(dir.get())) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string path = folder + '/' + entry->d_name;
            // No system opens a longer path; a tree that goes deeper is cut here.
            if (path.size() >= PATH_MAX)
                continue;
            struct stat info {};
            const bool link = entry->d_type == DT_LNK ||
                              (entry->d_type == DT_UNKNOWN && ::lstat(path.c_str(), &info) == 0 &&
                               S_ISLNK(info.st_mode));
            if (entry->d_type == DT_DIR ||
                (entry->d_type == DT_UNKNOWN && !link && S_ISDIR(info.st_mode))) {
                folders.push_back({entry->d_name, FoldedUtf16(entry->d_name)});
                continue;
            }
            if (!hasWorkbookExtension(entry->d_name))
                continue;
            if (entry->d_type == DT_REG ||
                (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)))
                files.push_back({entry->d_name, FoldedUtf16(entry->d_name)});
        }
        sortByName(files);
        sortByName(folders);
        const std::string prefix = relative.empty() ? std::string() : relative + '/';
        for (const Entry& file : files)
            found.push_back(prefix + file.name);
        // Last on the stack is listed next: push in reverse for name order.
        for (auto it = folders.rbegin(); it != folders.rend(); ++it)
            pending.push_back(prefix + it->name);
    }
    return found;
}

} // namespace batch
