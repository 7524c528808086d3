#include "batch/PathList.h"

#include "batch/PathText.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace batch {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~Descriptor() {
        if (owned_ && fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
    bool owned_;
};

} // namespace

PathList ReadPathList(const std::string& source, bool nulSeparated) {
    PathList list;
    const bool standardInput = source == "-";
    const std::string shownName = standardInput ? "standard input" : Printable(source);
    const Descriptor fd(standardInput ? STDIN_FILENO : ::open(source.c_str(), O_RDONLY | O_CLOEXEC),
                        !standardInput);
    if (fd.get() < 0) {
        list.error = "the list " + shownName + " cannot be read: " + std::strerror(errno);
        return list;
    }
    const char separator = nulSeparated ? '\0' : '\n';
    std::string entry;
    long long number = 1;
    auto finish = [&] {
        if (!nulSeparated && entry.ends_with('\r'))
            entry.pop_back();
        if (!entry.empty())
            list.paths.push_back(entry);
        entry.clear();
        ++number;
    };
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            list.error =
                "the list " + shownName + " could not be read to its end: " + std::strerror(errno);
            return list;
        }
        if (got == 0)
            break;
        const char* at = buffer;
        const char* end = buffer + got;
        while (at < end) {
            const char* stop = static_cast<const char*>(std::memchr(at, separator, end - at));
            entry.append(at, static_cast<std::size_t>((stop != nullptr ? stop : end) - at));
            if (entry.size() >= PATH_MAX) {
                list.error = "the list " + shownName + " has an entry longer than any path (" +
                             std::to_string(PATH_MAX) + " bytes or more) at entry " +
                             std::to_string(number) +
                             (nulSeparated ? "" : "; if its names are NUL-separated, give --null");
                return list;
            }
            if (stop == nullptr)
                break;
            if (!nulSeparated && entry.find('\0') != std::string::npos) {
                list.error = "the list " + shownName + " has a NUL byte in line " +
                             std::to_string(number) + ": give --null for a NUL-separated list";
                return list;
            }
            finish();
            at = stop + 1;
        }
    }
    if (!entry.empty())
        finish();
    return list;
}

} // namespace batch
