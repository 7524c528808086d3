#include "batch/HostAlias.h"

#include "batch/PathRules.h"
#include "batch/PathText.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace batch {
namespace {

// The system's folder for temporary files: $TMPDIR when set, else /tmp.
std::string temporaryFolder() {
    const char* given = std::getenv("TMPDIR");
    const std::string folder = given != nullptr && *given != '\0' ? CleanPath(given) : "/tmp";
    return folder == "/" ? std::string() : folder;
}

} // namespace

HostAlias::HostAlias(const std::string& path) {
    std::string pattern = temporaryFolder() + "/qm-batch-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        return;
    folder_ = name.data();
    const std::string link = JoinPath(folder_, Printable(FileNameOf(path)));
    if (::symlink(path.c_str(), link.c_str()) == 0)
        link_ = link;
}

HostAlias::~HostAlias() {
    if (!link_.empty())
        ::unlink(link_.c_str());
    if (!folder_.empty())
        ::rmdir(folder_.c_str());
}

std::string HostPathFor(const std::string& path, std::unique_ptr<HostAlias>& alias) {
    if (!HasStrayBytes(path))
        return path;
    alias = std::make_unique<HostAlias>(path);
    return alias->path();
}

} // namespace batch
