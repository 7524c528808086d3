#include "host/RequestReader.h"

#include <cerrno>
#include <unistd.h>

namespace host {
namespace {

constexpr std::size_t chunkBytes = 16 * 1024;

} // namespace

RequestReader::RequestReader(int fd) : fd_(fd) {}

bool RequestReader::fill() {
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    char chunk[chunkBytes];
    ssize_t got;
    do
        got = ::read(fd_, chunk, sizeof chunk);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
}

bool RequestReader::next(std::string& line) {
    bool tooLong = false;
    std::size_t scanned = 0; // bytes of the line already searched for its end
    for (;;) {
        const std::size_t newline = buffer_.find('\n', start_ + scanned);
        if (newline != std::string::npos) {
            if (tooLong || newline - start_ > maxLineBytes)
                line.clear();
            else
                line.assign(buffer_, start_, newline - start_);
            start_ = newline + 1;
            return true;
        }
        scanned = buffer_.size() - start_;
        if (scanned > maxLineBytes) {
            // Keep nothing of an overlong line but the fact that it was one.
            tooLong = true;
            buffer_.resize(start_);
            scanned = 0;
        }
        if (!fill()) {
            // The end of input: a last line without a newline still counts.
            if (!tooLong && buffer_.size() == start_)
                return false;
            if (tooLong)
                line.clear();
            else
                line.assign(buffer_, start_, std::string::npos);
            start_ = buffer_.size();
            return true;
        }
    }
}

} // namespace host
