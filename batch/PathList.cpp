#include "batch/PathList.h"

#include <QFile>
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

PathList ReadPathList(const QString& source, bool nulSeparated) {
    PathList list;
    const bool standardInput = source == u"-";
    const QString shownName = standardInput ? QStringLiteral("standard input") : source;
    const Descriptor fd(standardInput
                            ? STDIN_FILENO
                            : ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC),
                        !standardInput);
    if (fd.get() < 0) {
        list.error = QStringLiteral("the list %1 cannot be read: %2")
                         .arg(shownName, QString::fromLocal8Bit(std::strerror(errno)));
        return list;
    }
    const char separator = nulSeparated ? '\0' : '\n';
    QByteArray entry;
    qint64 number = 1;
    auto finish = [&] {
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1);
        if (!entry.isEmpty())
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
            list.error = QStringLiteral("the list %1 could not be read to its end: %2")
                             .arg(shownName, QString::fromLocal8Bit(std::strerror(errno)));
            return list;
        }
        if (got == 0)
            break;
        const char* at = buffer;
        const char* end = buffer + got;
        while (at < end) {
            const char* stop = static_cast<const char*>(std::memchr(at, separator, end - at));
            entry.append(at, (stop != nullptr ? stop : end) - at);
            if (entry.size() >= PATH_MAX) {
                list.error = QStringLiteral("the list %1 has an entry longer than any path (%2 "
                                            "bytes or more) at entry %3%4")
                                 .arg(shownName)
                                 .arg(PATH_MAX)
                                 .arg(number)
                                 .arg(nulSeparated ? QString()
                                                   : QStringLiteral("; if its names are "
                                                                    "NUL-separated, give --null"));
                return list;
            }
            if (stop == nullptr)
                break;
            if (!nulSeparated && entry.contains('\0')) {
                list.error = QStringLiteral("the list %1 has a NUL byte in line %2: give --null "
                                            "for a NUL-separated list")
                                 .arg(shownName)
                                 .arg(number);
                return list;
            }
            finish();
            at = stop + 1;
        }
    }
    if (!entry.isEmpty())
        finish();
    return list;
}

} // namespace batch
