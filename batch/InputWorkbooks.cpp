#include "batch/InputWorkbooks.h"

#include "batch/PathList.h"
#include "batch/PathRules.h"
#include "batch/PathText.h"
#include "batch/TreeListing.h"
#include "sources/WorkbookListing.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace batch {
namespace {

// True when `folder` holds a folder (a link to one too) that is not hidden.
bool hasVisibleFolders(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat info {};
        if (::stat(JoinPath(folder, entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            return true;
    }
    return false;
}

// A listed path below its root: what mirrors it under the output directory and what places it
// in a shard. Never climbs out of its root, so no output lands outside the output directory.
std::string relativeOfListed(std::string_view listed) {
    std::vector<std::string_view> kept;
    for (std::size_t at = 0; at <= listed.size();) {
        const std::size_t slash = std::min(listed.find('/', at), listed.size());
        const std::string_view part = listed.substr(at, slash - at);
        at = slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string relative;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0)
            relative += '/';
        relative.append(kept[i]);
    }
    return relative;
}

void addFolder(CollectedInputs& collected, const std::string& input, const std::string& path,
               bool recursive) {
    if (recursive) {
        const std::vector<std::string> tree = ListWorkbookTree(path);
        if (tree.empty())
            collected.empty.push_back(input + ": no workbooks in this folder or its subfolders");
        const std::string folder = path.ends_with('/') ? path : path + '/';
        for (const std::string& relative : tree)
            collected.workbooks.push_back(InputWorkbook{folder + relative, folder.size(), {}});
        return;
    }
    // One more than the window lists tells whether the folder had more.
    std::vector<std::string> names = sources::ListWorkbookNames(path, sources::MaxWorkbooks + 1);
    if (names.size() > std::size_t(sources::MaxWorkbooks)) {
        names.resize(sources::MaxWorkbooks);
        const std::string most = std::to_string(sources::MaxWorkbooks);
        collected.notes.push_back(input + ": more than " + most + " workbooks; only the first " +
                                  most + " by name are converted (--recursive takes them all)");
    } else if (names.empty()) {
        collected.empty.push_back(input + (hasVisibleFolders(path)
                                               ? ": no workbooks in this folder; --recursive "
                                                 "searches its subfolders"
                                               : ": no workbooks in this folder"));
    }
    for (const std::string& name : names) {
        std::string file = JoinPath(path, name);
        const std::size_t at = file.size() - name.size();
        collected.workbooks.push_back(InputWorkbook{std::move(file), at, {}});
    }
}

} // namespace

CollectedInputs CollectInputs(const std::vector<std::string>& inputs, const InputRules& rules) {
    CollectedInputs collected;
    for (const std::string& input : inputs) {
        const std::string path = AbsolutePath(input);
        // A name given on the command line is meant, so a hidden (dot) file or folder counts
        // as any other; only what a folder lists follows the window's rules.
        struct stat info {};
        const bool exists = ::stat(path.c_str(), &info) == 0;
        if (exists && S_ISREG(info.st_mode))
            collected.workbooks.push_back(InputWorkbook{path, path.rfind('/') + 1, {}});
        else if (exists && S_ISDIR(info.st_mode))
            addFolder(collected, input, path, rules.recursive);
        else
            collected.missing.push_back(input);
    }
    if (rules.filesFrom.empty())
        return collected;

    PathList list = ReadPathList(rules.filesFrom, rules.nulSeparated);
    collected.listError = list.error;
    const std::string current = AbsolutePath(std::string());
    collected.workbooks.reserve(collected.workbooks.size() + list.paths.size());
    for (std::string& listed : list.paths) {
        const std::string absolute =
            CleanPath(listed.starts_with('/') ? listed : JoinPath(current, listed));
        std::string relative = relativeOfListed(listed);
        std::string().swap(listed); // the list goes as the workbooks come
        // Most listed paths end in their relative part, which is then not kept twice.
        const bool suffix = absolute.ends_with(relative) &&
                            (absolute.size() == relative.size() ||
                             absolute[absolute.size() - relative.size() - 1] == '/');
        if (suffix)
            collected.workbooks.push_back(
                InputWorkbook{absolute, absolute.size() - relative.size(), {}});
        else
            collected.workbooks.push_back(InputWorkbook{absolute, 0, std::move(relative)});
    }
    return collected;
}

std::string InputWorkbook::itemText() const {
    return Printable(FileNameOf(path));
}

std::string InputWorkbook::relative() const {
    return relativeApart ? *relativeApart : path.substr(relativeAt);
}

bool IsWorkbookFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace batch
