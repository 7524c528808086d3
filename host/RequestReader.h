#pragma once
// The host's standard input, one request line at a time.

#include <cstddef>
#include <string>

namespace host {

class RequestReader {
public:
    explicit RequestReader(int fd);

    // The next line without its newline; false at the end of input. A line longer than
    // `maxLineBytes` is read to its end but comes back empty, so the session answers it as a
    // request it cannot understand.
    bool next(std::string& line);

    static constexpr std::size_t maxLineBytes = 16 * 1024 * 1024;

private:
    // Appends what the input holds next to the buffer; false at its end or on an error.
    bool fill();

    int fd_;
    std::string buffer_;
    std::size_t start_ = 0; // where the next line begins in buffer_
};

} // namespace host
