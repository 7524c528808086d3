#pragma once
// What a quillmere-batch run says on standard error, one whole line at a time even when
// several workbooks are converted at once.

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

namespace batch {

class Reporter {
public:
    // Puts one line (without its line end) where the user reads it.
    using LineSink = std::function<void(const std::string& line)>;

    // `progress`: name each workbook as it starts ("workbook k of n: name").
    Reporter(LineSink errors, bool progress, std::size_t total);

    // How many workbooks the run converts, once it knows.
    void setTotal(std::size_t total) { total_ = total; }
    // Workbook `number` (1-based, in input order) starts.
    void starting(std::size_t number, const std::string& itemText);
    // A workbook or input that failed, by path (bytes), with the reason.
    void failed(const std::string& path, const std::string& reason);
    // Anything else worth a line, after the program's name.
    void note(const std::string& text);

private:
    // Stray bytes of names that are not UTF-8 are shown as U+FFFD.
    void line(const std::string& text);

    std::mutex mutex_;
    LineSink errors_;
    bool progress_;
    std::size_t total_;
};

} // namespace batch
