#pragma once
// A conversion run's progress and failures on standard error.

#include "batch/InputWorkbooks.h"
#include "convert/Conversion.h"

#include <QTextStream>

namespace app {
struct SharedState;
}

namespace batch {

// Workbooks come to it in the order of `workbooks`, over all groups. Progress ("workbook k of
// n: name") only when `progress`; failures always, one line each with the workbook's path and
// the host's description.
class TerminalObserver : public convert::RunObserver {
public:
    TerminalObserver(QTextStream& errors, bool progress,
                     const std::vector<InputWorkbook>& workbooks, const app::SharedState& state);

    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
    void converting(const QString& displayName) override;
    void hostError(const QString& description) override;
    void workbookFailed(const QString& displayName) override;

private:
    QTextStream& errors_;
    bool progress_;
    const std::vector<InputWorkbook>& workbooks_;
    const app::SharedState& state_;
    std::size_t current_ = 0; // 1-based; 0 before the first workbook
    QString description_;     // the host's description for the current workbook
};

} // namespace batch
