#include "engine/web/Sink.h"

#include "engine/web/Publish.h"

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
    temporary_ = (std::filesystem::path(folder) / ".qm-write-XXXXXX").string();
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0) {
        int error = errno;
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
