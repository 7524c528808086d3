#include "batch/TerminalObserver.h"

#include "app/SharedState.h"
#include "sources/PathKind.h"

namespace batch {

TerminalObserver::TerminalObserver(QTextStream& errors, bool progress,
                                   const std::vector<InputWorkbook>& workbooks,
                                   const app::SharedState& state)
    : errors_(errors), progress_(progress), workbooks_(workbooks), state_(state) {}

void TerminalObserver::converting(const QString&) {
    ++current_;
    description_.clear();
    if (progress_ && current_ <= workbooks_.size())
        errors_ << QStringLiteral("workbook %1 of %2: %3")
                       .arg(current_)
                       .arg(workbooks_.size())
                       .arg(workbooks_[current_ - 1].itemText)
                << Qt::endl;
}

void TerminalObserver::hostError(const QString& description) {
    description_ = description;
}

void TerminalObserver::workbookFailed(const QString&) {
    const QString path =
        current_ >= 1 && current_ <= workbooks_.size() ? workbooks_[current_ - 1].path : QString();
    QString reason = description_;
    if (reason.isEmpty())
        // Without a description from the host, the workbook went before the host saw it, or
        // its folder could not be made.
        reason =
            sources::PathKind(path) == sources::ExistingFile
                ? QStringLiteral("cannot create the folder %1").arg(state_.WorkbookOutputFolder)
                : QStringLiteral("the workbook file is gone");
    errors_ << QStringLiteral("quillmere-batch: %1: %2").arg(path, reason) << Qt::endl;
    description_.clear();
}

} // namespace batch
