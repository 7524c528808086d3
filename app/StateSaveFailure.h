#pragma once
// Telling the user that a state file could not be written, so a list is never lost in silence.

#include <QString>
#include <QStringList>

namespace app {

// One line of the failure report: which file and why. `reason` may be empty.
QString stateFileFailureLine(const QString& path, const QString& reason);

// The whole report for one or more failure lines; empty when `lines` is empty.
QString stateFileFailureText(const QStringList& lines);

} // namespace app
