#include "batch/Reporter.h"

#include "batch/PathText.h"

#include <utility>

namespace batch {

Reporter::Reporter(LineSink errors, bool progress, std::size_t total)
    : errors_(std::move(errors)), progress_(progress), total_(total) {}

void Reporter::line(const std::string& text) {
    const std::string shown = Printable(text);
    const std::lock_guard lock(mutex_);
    errors_(shown);
}

void Reporter::starting(std::size_t number, const std::string& itemText) {
    if (progress_)
        line("workbook " + std::to_string(number) + " of " + std::to_string(total_) + ": " +
             itemText);
}

void Reporter::failed(const std::string& path, const std::string& reason) {
    line("quillmere-batch: " + path + ": " + reason);
}

void Reporter::note(const std::string& text) {
    line("quillmere-batch: " + text);
}

} // namespace batch
