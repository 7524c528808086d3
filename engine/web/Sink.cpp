#include "engine/web/Sink.h"

#include "engine/web/Publish.h"
#include "engine/web/TemporaryName.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace engine::web {
namespace {

constexpr std::size_t bufferBytes = 1u << 16;

std::string folderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

} // namespace

FileSink::FileSink(std::string path) : path_(std::move(path)) {
    const std::string folder = folderOf(path_);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw WriteError("The folder \"" + folder + "\" does not exist.");
    // A name the client can predict first, so that it can take away what a host ended in the
    // middle of this write left; a random one only when those are all taken.
    const std::string fileName = std::filesystem::path(path_).filename().string();
    int error = EEXIST;
    for (int attempt = 0; attempt < temporaryNameTries && fd_ < 0 && error == EEXIST; ++attempt) {
        temporary_ = (std::filesystem::path(folder) / TemporaryName(fileName, attempt)).string();
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        error = fd_ < 0 ? errno : 0;
    }
    if (fd_ < 0 && error == EEXIST) {
        temporary_ = (std::filesystem::path(folder) / ".qm-write-XXXXXX").string();
        fd_ = ::mkstemp(temporary_.data());
        error = errno;
    }
    if (fd_ < 0) {
        temporary_.clear();
        throw WriteError("Cannot write to the folder \"" + folder + "\": " + std::strerror(error) +
                         ".");
    }
    ::fchmod(fd_, 0644);
    buffer_.reserve(bufferBytes);
}

FileSink::~FileSink() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

void FileSink::fail(const std::string& what, int error) {
    throw WriteError("Cannot write \"" + path_ + "\": " + what + ": " + std::strerror(error) + ".");
}

void FileSink::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail("write failed", errno);
        }
        done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

void FileSink::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > bufferBytes) {
        flush();
        if (bytes.size() > bufferBytes) {
            buffer_.assign(bytes);
            flush();
            return;
        }
    }
    buffer_.append(bytes);
}

void FileSink::commit() {
    flush();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail("closing failed", errno);
    if (::rename(temporary_.c_str(), path_.c_str()) != 0)
        fail("replacing the file failed", errno);
    temporary_.clear();
}

} // namespace engine::web
