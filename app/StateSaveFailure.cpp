#include "app/StateSaveFailure.h"

#include <QDir>

namespace app {

QString stateFileFailureLine(const QString& path, const QString& reason) {
    QString line = QStringLiteral("Could not save %1").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        line += QStringLiteral(": ") + reason;
    return line;
}

QString stateFileFailureText(const QStringList& lines) {
    return lines.join(QChar(u'\n'));
}

} // namespace app
