#include "convert/PartialOutput.h"

#include "engine/web/TemporaryName.h"

#include <dirent.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace convert {
namespace {

// A file the host set aside to replace stays: it may be the only copy of one that was there
// before.
bool isSetAside(const std::string& name) {
    return name.starts_with(".qm-keep-");
}

// What stands at `path`, a link itself rather than what it names; false when nothing does. One
// system call per name: a guard is made for every page of a run.
bool lookAt(const std::string& path, struct stat& status) {
    return ::lstat(path.c_str(), &status) == 0;
}

bool isThere(const std::string& path) {
    struct stat status {};
    return lookAt(path, status);
}

// A folder itself rather than a link to one.
bool isRealFolder(const std::string& path) {
    struct stat status {};
    return lookAt(path, status) && S_ISDIR(status.st_mode);
}

void removeEntry(const std::string& path) {
    if (isRealFolder(path))
        ::rmdir(path.c_str()); // only when empty
    else
        ::unlink(path.c_str());
}

// The folder that holds `path`, absolute and without "." or ".." steps or a trailing "/".
std::string absoluteFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::filesystem::path folder;
    if (slash == std::string::npos || (slash > 0 && !path.starts_with('/')))
        folder = std::filesystem::current_path();
    if (slash != std::string::npos)
        folder /= path.substr(0, slash + 1);
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.ends_with('/'))
        text.pop_back();
    return text;
}

} // namespace

std::string SupportingFolder(const std::string& pagePath) {
    const std::string fileName = pagePath.substr(pagePath.rfind('/') + 1);
    std::string folder = absoluteFolderOf(pagePath);
    if (!folder.ends_with('/'))
        folder += '/';
    return folder + fileName.substr(0, fileName.rfind('.')) + "_files";
}

std::vector<std::string> ListFolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    return names;
}

PartialOutput::PartialOutput(const std::string& pagePath, FolderEntries list)
    : list_(list), page_(pagePath) {
    const std::string fileName = pagePath.substr(pagePath.rfind('/') + 1);
    std::string folder = absoluteFolderOf(pagePath);
    if (!folder.ends_with('/'))
        folder += '/';
    supporting_ = SupportingFolder(pagePath);
    struct stat status {};
    pageExisted_ = lookAt(pagePath, status);
    if (pageExisted_) {
        pageDevice_ = status.st_dev;
        pageInode_ = status.st_ino;
    }
    // The host writes the page under the first of these names that is free and renames it
    // when complete; one ended in the middle leaves it behind. Taken names belong to earlier
    // writes and stay; the names after the first free one are never used.
    for (int attempt = 0; attempt < engine::web::temporaryNameTries; ++attempt) {
        std::string temporary = folder + engine::web::TemporaryName(fileName, attempt);
        if (!isThere(temporary)) {
            newTemporaries_.push_back(std::move(temporary));
            break;
        }
    }
    // A link in its place is never entered, here or when taking back.
    supportingExisted_ = lookAt(supporting_, status);
    if (supportingExisted_ && S_ISDIR(status.st_mode)) {
        std::vector<std::string> names = list_(supporting_);
        inSupporting_ = std::unordered_set<std::string>(std::make_move_iterator(names.begin()),
                                                        std::make_move_iterator(names.end()));
    }
}

bool PartialOutput::placed() const {
    struct stat status {};
    if (!lookAt(page_, status))
        return false;
    return !pageExisted_ || status.st_dev != pageDevice_ || status.st_ino != pageInode_;
}

void PartialOutput::removeAdded() const {
    if (!pageExisted_)
        ::unlink(page_.c_str());
    for (const std::string& temporary : newTemporaries_)
        ::unlink(temporary.c_str());
    if (!isRealFolder(supporting_))
        return;
    for (const std::string& name : list_(supporting_))
        if (!inSupporting_.contains(name) && !isSetAside(name))
            removeEntry(supporting_ + '/' + name);
    if (!supportingExisted_)
        ::rmdir(supporting_.c_str());
}

} // namespace convert
