#pragma once
// A name the host can be given for a workbook whose own name is not UTF-8: the host's requests
// are JSON, which carries only Unicode text, so such a file is reached through a link.

#include <memory>
#include <string>

namespace batch {

class HostAlias {
public:
    // A link to the file at `path` (bytes) in a private temporary folder, named as the file is
    // with each byte that is not UTF-8 shown as U+FFFD, so that the host's messages still name
    // the workbook. Removed with the object.
    explicit HostAlias(const std::string& path);
    ~HostAlias();
    HostAlias(const HostAlias&) = delete;
    HostAlias& operator=(const HostAlias&) = delete;

    // The link's path; empty when it could not be made.
    const std::string& path() const { return link_; }

private:
    std::string folder_;
    std::string link_;
};

// The path to give the host for the workbook at `path`: `path` itself, or the path of `alias`,
// made for it when its name is not UTF-8.
std::string HostPathFor(const std::string& path, std::unique_ptr<HostAlias>& alias);

} // namespace batch
