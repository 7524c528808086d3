#include "batch/RunReport.h"

#include "batch/PathText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace batch {
namespace {

void appendEscape(std::string& line, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    line += escape;
}

void appendString(std::string& line, std::string_view text) {
    line += '"';
    std::size_t runStart = 0;
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = NextCharacter(text, at, code);
        const bool stray = length == 1 && code >= 0xDC80;
        if (!stray && code >= 0x20 && code != '"' && code != '\\' && code != 0x7F) {
            at += length;
            continue;
        }
        line.append(text.substr(runStart, at - runStart));
        switch (code) {
        case '"':
            line += "\\\"";
            break;
        case '\\':
            line += "\\\\";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            appendEscape(line, code);
        }
        at += length;
        runStart = at;
    }
    line.append(text.substr(runStart));
    line += '"';
}

void appendField(std::string& line, const char* name) {
    if (line.size() > 1)
        line += ", ";
    line += '"';
    line += name;
    line += "\": ";
}

// In milliseconds' precision, with a decimal point whatever the user's locale.
std::string seconds(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, std::round(value * 1000) / 1000,
                                      std::chars_format::fixed, 3);
    return std::string(text, result.ptr);
}

std::string reason(const char* what, const std::string& path) {
    const int error = errno;
    return std::string("the report ") + Printable(path) + " cannot be " + what + ": " +
           std::strerror(error);
}

} // namespace

std::string ReportLine(const ReportRecord& record) {
    std::string line = "{";
    appendField(line, "path");
    appendString(line, record.path);
    appendField(line, "status");
    appendString(line, record.status);
    appendField(line, "size");
    line += std::to_string(record.size);
    appendField(line, "mtime_ns");
    line += std::to_string(record.modifiedNs);
    appendField(line, "output");
    appendString(line, record.output);
    if (record.status != "started") {
        appendField(line, "pages");
        line += '[';
        for (std::size_t i = 0; i < record.pages.size(); ++i) {
            if (i > 0)
                line += ", ";
            appendString(line, record.pages[i]);
        }
        line += ']';
        appendField(line, "error");
        appendString(line, record.error);
        appendField(line, "kind");
        appendString(line, record.kind);
        appendField(line, "seconds");
        line += record.seconds < 0 ? std::string("null") : seconds(record.seconds);
        appendField(line, "host_peak_bytes");
        line += record.hostPeakBytes ? std::to_string(*record.hostPeakBytes) : std::string("null");
    }
    line += "}\n";
    return line;
}

ReportFile::~ReportFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string ReportFile::open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return reason("opened", path);
    struct stat info {};
    char last = '\n';
    if (::fstat(fd_, &info) == 0 && info.st_size > 0 &&
        ::pread(fd_, &last, 1, info.st_size - 1) == 1 && last != '\n' && ::write(fd_, "\n", 1) != 1)
        return reason("written", path);
    return std::string();
}

bool ReportFile::append(const ReportRecord& record) {
    if (fd_ < 0)
        return true;
    const std::string line = ReportLine(record);
    const std::lock_guard lock(mutex_);
    // One write of the whole line: appends to a local file land whole, each at the end at the
    // time, so nothing interleaves with another writer's line. A line is only ever short by a
    // full disk; then the rest follows, as whole as it can be made.
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t wrote = ::write(fd_, line.data() + done, line.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

FileStamp StatFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return FileStamp{};
    return FileStamp{info.st_size,
                     std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

} // namespace batch
