#include "batch/OutputDirectory.h"

#include "batch/PathRules.h"
#include "batch/PathText.h"
#include "convert/OutputFolder.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace batch {
std::string PrepareBatchOutput(const std::string& given, std::string& OutputFolder) {
    // The host writes the files, and it need not share this process's folder.
    std::string path = Printable(AbsolutePath(given));
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    const std::string name(FileNameOf(path));
    const std::string parent = path.substr(0, std::max<std::size_t>(1, path.rfind('/')));
    auto problem = [&](const std::string& reason) {
        return "the output directory " + given + " " + reason;
    };
    if (name.starts_with('.') && name != "." && name != "..")
        return problem("has a hidden name (it begins with \".\"), which Quillmere does not take "
                       "as a folder; choose a name without it");

    // The window's path test takes these for wildcards; a folder named so would be made, then
    // refused.
    if (path.find_first_of("*?") != std::string::npos)
        return problem("has \"*\" or \"?\" in it, which Quillmere takes for a wildcard, not a "
                       "folder name");

    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return problem(S_ISREG(info.st_mode) ? "is an existing file, not a folder"
                                                 : "exists and is not a folder");
    } else if (::mkdir(path.c_str(), 0777) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return problem("cannot be created: its parent folder " + parent +
                           " does not exist (only the last level is created)");
        if (error == ENOTDIR)
            return problem("cannot be created: a part of " + parent + " is a file, not a folder");
        return problem(std::string("cannot be created: ") + std::strerror(error));
    }
    if (::access(path.c_str(), W_OK | X_OK) != 0)
        return problem(std::string("cannot be written to: ") + std::strerror(errno));
    if (convert::PrepareOutputFolder(path, -1, OutputFolder) != convert::PrepareResult::Ready)
        return problem("is not a folder Quillmere can use");
    return std::string();
}

} // namespace batch
