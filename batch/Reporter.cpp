#include "batch/Reporter.h"

namespace batch {

Reporter::Reporter(QTextStream& errors, bool progress, std::size_t total)
    : errors_(errors), progress_(progress), total_(total) {}

void Reporter::line(const QString& text) {
    const std::lock_guard lock(mutex_);
    errors_ << text << Qt::endl;
}

void Reporter::starting(std::size_t number, const QString& itemText) {
    if (progress_)
        line(QStringLiteral("workbook %1 of %2: %3").arg(number).arg(total_).arg(itemText));
}

void Reporter::failed(const QString& path, const QString& reason) {
    line(QStringLiteral("quillmere-batch: %1: %2").arg(path, reason));
}

void Reporter::note(const QString& text) {
    line(QStringLiteral("quillmere-batch: ") + text);
}

} // namespace batch
