#include "sources/PathKind.h"

#include <sys/stat.h>

namespace sources {
namespace {

// The last component of `path`, trailing separators ignored ("" for the root).
std::string_view lastComponent(std::string_view path) {
    while (path.size() > 1 && path.ends_with('/'))
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

bool IsHiddenName(std::string_view path) {
    const std::string_view name = lastComponent(path);
    return name.starts_with('.') && name != "." && name != "..";
}

std::string HiddenPathRefusal(std::string_view path, bool folder) {
    const std::string_view what = folder ? "folder" : "file";
    std::string text = "\"";
    text += path;
    text += "\" is a hidden ";
    text += what;
    text += " (its name begins with a dot). Quillmere does not convert hidden files or "
            "folders: please choose another ";
    text += what;
    text += ", or rename this one.";
    return text;
}

int PathKind(std::string_view path) {
    if (path.empty() || path.find_first_of(std::string_view("*?\0", 3)) != std::string_view::npos)
        return NothingUsable;
    if (IsHiddenName(path))
        return NothingUsable;
    struct stat info {};
    if (::stat(std::string(path).c_str(), &info) != 0)
        return NothingUsable;
    if (S_ISDIR(info.st_mode))
        return ExistingFolder;
    if (S_ISREG(info.st_mode))
        return ExistingFile;
    return NothingUsable;
}

} // namespace sources
