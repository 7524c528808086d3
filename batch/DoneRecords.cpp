#include "batch/DoneRecords.h"

#include "batch/PathText.h"
#include "engine/package/AttributeValues.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

namespace batch {
namespace {

// A line with thousands of pages is long; one longer than this was not written by us.
constexpr std::size_t maxLineBytes = 64 * 1024 * 1024;

// The code unit of the \uXXXX escape at `at` of `line`, or -1 when there is none.
long escapedUnit(std::string_view line, std::size_t at) {
    if (at + 6 > line.size() || line[at] != '\\' || line[at + 1] != 'u')
        return -1;
    long unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const int digit = engine::package::hexDigit(line[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// The JSON parser takes only whole surrogate pairs, but a report keeps the bytes of a name that
// is not UTF-8 as lone \udcXX escapes. Each lone surrogate becomes a NUL followed by the byte's
// two hex digits (or "--" for one that stands for no byte, and for an escaped NUL itself), which
// no file name holds otherwise; keptBytes turns them back.
std::string markLoneSurrogates(std::string_view line) {
    std::string marked;
    marked.reserve(line.size());
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] != '\\' || at + 1 >= line.size()) {
            marked += line[at++];
            continue;
        }
        const long unit = escapedUnit(line, at);
        if (unit < 0) {
            marked.append(line.substr(at, 2));
            at += 2;
            continue;
        }
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const long next = high ? escapedUnit(line, at + 6) : -1;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            marked.append(line.substr(at, 12));
            at += 12;
            continue;
        }
        if (high || (unit >= 0xDC00 && unit <= 0xDFFF) || unit == 0) {
            marked += "\\u0000";
            marked.append(unit >= 0xDC80 && unit <= 0xDCFF ? line.substr(at + 4, 2) : "--");
        } else {
            marked.append(line.substr(at, 6));
        }
        at += 6;
    }
    return marked;
}

std::string keptBytes(const std::string& text) {
    if (text.find('\0') == std::string::npos)
        return text;
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const int high = at + 2 < text.size() ? engine::package::hexDigit(text[at + 1]) : -1;
        const int low = at + 2 < text.size() ? engine::package::hexDigit(text[at + 2]) : -1;
        if (text[at] == '\0' && high >= 0 && low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            at += 2;
        } else {
            bytes += text[at];
        }
    }
    return bytes;
}

std::string stringOf(const nlohmann::json& object, const char* key) {
    const auto at = object.find(key);
    return at != object.end() && at->is_string() ? keptBytes(at->get<std::string>())
                                                 : std::string();
}

// A whole number, or a number with no fraction that fits; `absent` for anything else.
std::int64_t integerOf(const nlohmann::json& object, const char* key, std::int64_t absent) {
    const auto at = object.find(key);
    if (at == object.end())
        return absent;
    if (at->is_number_integer())
        return at->get<std::int64_t>();
    if (at->is_number_unsigned())
        return at->get<std::uint64_t>() <= std::uint64_t(INT64_MAX) ? at->get<std::int64_t>()
                                                                    : absent;
    if (at->is_number_float()) {
        const double value = at->get<double>();
        if (std::trunc(value) == value && value >= -9.2e18 && value <= 9.2e18)
            return static_cast<std::int64_t>(value);
    }
    return absent;
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos;
}

} // namespace

RecordedRun ReadRecords(const std::string& reportPath,
                        const std::unordered_map<std::string, std::size_t>& indexOf,
                        std::size_t count) {
    RecordedRun run;
    run.records.resize(count);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(reportPath.c_str(), "rbe"),
                                                         &std::fclose);
    if (!file) {
        if (errno != ENOENT)
            run.error =
                "the report " + Printable(reportPath) + " cannot be read: " + std::strerror(errno);
        return run;
    }
    auto take = [&](std::string_view line) {
        if (isBlank(line))
            return;
        const nlohmann::json object =
            nlohmann::json::parse(markLoneSurrogates(line), nullptr, false);
        const auto path = object.is_object() ? object.find("path") : object.end();
        if (!object.is_object() || path == object.end() || !path->is_string()) {
            ++run.unreadableLines;
            return;
        }
        const auto at = indexOf.find(keptBytes(path->get<std::string>()));
        if (at == indexOf.end())
            return;
        Recorded& recorded = run.records[at->second];
        recorded.status = stringOf(object, "status");
        recorded.size = integerOf(object, "size", -1);
        recorded.modifiedNs = integerOf(object, "mtime_ns", 0);
        recorded.output = stringOf(object, "output");
    };
    std::string line;
    bool overlong = false;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got == 0 && std::ferror(file.get())) {
            run.error =
                "the report " + Printable(reportPath) + " cannot be read: " + std::strerror(errno);
            return run;
        }
        if (got == 0)
            break;
        for (std::string_view rest(buffer, got); !rest.empty();) {
            const std::size_t end = rest.find('\n');
            const std::string_view part = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (!overlong)
                line.append(part);
            if (line.size() >= maxLineBytes && !overlong) {
                // Counted once; the rest of the line is passed over.
                ++run.unreadableLines;
                overlong = true;
                line.clear();
            }
            if (end == std::string_view::npos)
                break;
            if (!overlong)
                take(line);
            overlong = false;
            line.clear();
        }
    }
    if (!overlong)
        take(line);
    return run;
}

bool IsDone(const Recorded& recorded, std::int64_t size, std::int64_t modifiedNs) {
    return (recorded.status == "converted" || recorded.status == "skipped") && size >= 0 &&
           recorded.size == size && recorded.modifiedNs == modifiedNs;
}

} // namespace batch
