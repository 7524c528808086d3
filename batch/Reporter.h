#pragma once
// What a quillmere-batch run says on standard error, one whole line at a time even when
// several workbooks are converted at once.

#include <QString>
#include <QTextStream>
#include <mutex>

namespace batch {

class Reporter {
public:
    // `progress`: name each workbook as it starts ("workbook k of n: name").
    Reporter(QTextStream& errors, bool progress, std::size_t total);

    // How many workbooks the run converts, once it knows.
    void setTotal(std::size_t total) { total_ = total; }
    // Workbook `number` (1-based, in input order) starts.
    void starting(std::size_t number, const QString& itemText);
    // A workbook or input that failed, by path, with the reason.
    void failed(const QString& path, const QString& reason);
    // Anything else worth a line, after the program's name.
    void note(const QString& text);

private:
    void line(const QString& text);

    std::mutex mutex_;
    QTextStream& errors_;
    bool progress_;
    std::size_t total_;
};

} // namespace batch
