#include "app/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace app {
namespace {

// A state file is a few kilobytes; anything past this is not ours to load whole.
constexpr qint64 maxStateFileBytes = 256 * 1024 * 1024;

} // namespace

QString stateFolder(const QString& programFolder) {
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
        return programFolder;
    QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config/Quillmere"));
    QDir().mkpath(config);
    return config;
}

QStringList readStateLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(maxStateFileBytes);
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype length = end - start;
        if (length > 0 && bytes.at(start + length - 1) == '\r')
            --length;
        // The decoder would drop a byte-order mark; it is content here, so "1" after a mark
        // is not the setting "1".
        const bool mark = start == 0 && bytes.startsWith("\xEF\xBB\xBF") && length >= 3;
        QString line = mark ? QString(QChar(0xFEFF)) : QString();
        line +=
            QString::fromUtf8(bytes.constData() + start + (mark ? 3 : 0), length - (mark ? 3 : 0));
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

bool writeStateLines(const QString& path, const QStringList& lines, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    for (const QString& line : lines) {
        file.write(line.toUtf8());
        file.write("\r\n", 2);
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace app
