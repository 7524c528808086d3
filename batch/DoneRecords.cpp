#include "batch/DoneRecords.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace batch {
namespace {

// A line with thousands of pages is long; one longer than this was not written by us.
constexpr qint64 maxLineBytes = 64 * 1024 * 1024;

} // namespace

RecordedRun ReadRecords(const QString& reportPath, const QHash<QString, std::size_t>& indexOf,
                        std::size_t count) {
    RecordedRun run;
    run.records.resize(count);
    QFile file(reportPath);
    if (!file.exists())
        return run;
    if (!file.open(QIODevice::ReadOnly)) {
        run.error =
            QStringLiteral("the report %1 cannot be read: %2").arg(reportPath, file.errorString());
        return run;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(maxLineBytes);
        if (line.trimmed().isEmpty())
            continue;
        if (line.size() >= maxLineBytes - 1 && !line.endsWith('\n')) {
            ++run.unreadableLines;
            // The rest of the overlong line.
            while (!file.atEnd() && !file.readLine(maxLineBytes).endsWith('\n')) {
            }
            continue;
        }
        QJsonParseError parsed{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &parsed);
        const QJsonObject object = document.object();
        if (parsed.error != QJsonParseError::NoError || !object.value("path").isString()) {
            ++run.unreadableLines;
            continue;
        }
        const auto at = indexOf.constFind(object.value("path").toString());
        if (at == indexOf.constEnd())
            continue;
        Recorded& recorded = run.records[*at];
        recorded.status = object.value("status").toString();
        recorded.size = object.value("size").toInteger(-1);
        recorded.modifiedNs = object.value("mtime_ns").toInteger(0);
        recorded.output = object.value("output").toString();
    }
    return run;
}

bool IsDone(const Recorded& recorded, qint64 size, qint64 modifiedNs) {
    return (recorded.status == u"converted" || recorded.status == u"skipped") && size >= 0 &&
           recorded.size == size && recorded.modifiedNs == modifiedNs;
}

} // namespace batch
