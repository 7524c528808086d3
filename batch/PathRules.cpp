#include "batch/PathRules.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <vector>

namespace batch {
namespace {

std::string currentFolder() {
    // getcwd with no buffer allocates one as long as the path needs.
    std::unique_ptr<char, void (*)(void*)> folder(::getcwd(nullptr, 0), &std::free);
    return folder ? std::string(folder.get()) : std::string("/");
}

} // namespace

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path.front() == '/')
        return path;
    const std::string folder = currentFolder();
    return path.empty() ? folder : JoinPath(folder, path);
}

std::string CleanPath(std::string_view path) {
    if (path.empty())
        return std::string();
    const bool absolute = path.front() == '/';
    std::vector<std::string_view> parts;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string_view part = path.substr(at, slash - at);
        at = slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else
                parts.push_back(part);
            continue;
        }
        parts.push_back(part);
    }
    std::string clean = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            clean += '/';
        clean.append(parts[i]);
    }
    return clean.empty() ? std::string(".") : clean;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.ends_with('/'))
        path += '/';
    path.append(name);
    return path;
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace batch
