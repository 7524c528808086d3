#pragma once
// The one error the readers raise: what went wrong, in words a user can act on.

#include <stdexcept>
#include <string>

namespace engine {

class ReadError : public std::runtime_error {
public:
    enum class Kind {
        Missing,     // no file at the path
        Unreadable,  // the file exists but could not be read (permissions, I/O error)
        NotWorkbook, // not a format this program reads
        Encrypted,   // password-protected or encrypted
        Damaged,     // a format we read, but broken: truncated, inconsistent, over a limit
    };

    // `detail` says what, where and what was expected ("SST record at offset 0x1f20: ...").
    ReadError(Kind kind, std::string detail)
        : std::runtime_error(detail), kind_(kind), detail_(std::move(detail)) {}

    Kind kind() const { return kind_; }
    const std::string& detail() const { return detail_; }

    // The sentence shown to the user for the file named `fileName` (no folder).
    std::string describe(const std::string& fileName) const;

private:
    Kind kind_;
    std::string detail_;
};

} // namespace engine
