#include "app/StateFiles.h"

#include "app/KeptBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

namespace app {
namespace {

// A state file is a few kilobytes; anything past this is not ours to load whole.
constexpr qint64 maxStateFileBytes = 256 * 1024 * 1024;

} // namespace

QString stateFolder(const QString& programFolder) {
    const QFileInfo program(programFolder);
    // An installed program's folder is shared, static data even for the one user who may
    // write there (root); the user's state never goes there.
    const QString canonical = program.canonicalFilePath();
    const bool systemFolder = canonical.startsWith(QStringLiteral("/usr/")) ||
                              canonical.startsWith(QStringLiteral("/opt/"));
    if (program.isDir() && program.isWritable() && !systemFolder)
        return programFolder;
    // ~/.config/Quillmere, whatever organisation and application names the process carries
    // (the per-application location would nest them).
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::home().filePath(QStringLiteral(".config"));
    const QString config = QDir(base).filePath(QStringLiteral("Quillmere"));
    QDir().mkpath(config);
    return config;
}

QString StateTextForDisplay(const QString& text) {
    QString shown = text;
    for (QChar& unit : shown) {
        const char16_t code = unit.unicode();
        if (code < 0xDC80 || code > 0xDCFF)
            continue;
        // Files kept over from the first platform are in its Western code page; the few
        // bytes that page leaves undefined show as the replacement character.
        const char byte = char(code - 0xDC00);
        QStringDecoder western("windows-1252");
        const QString decoded = western.isValid() ? western.decode(QByteArrayView(&byte, 1))
                                                  : QString::fromLatin1(&byte, 1);
        unit = decoded.size() == 1 && decoded.at(0).category() != QChar::Other_Control
                   ? decoded.at(0)
                   : QChar(0xFFFD);
    }
    return shown;
}

QString StateTextToSave(const QString& shown, const QVariant& stored) {
    if (!stored.isValid())
        return shown;
    const QString line = stored.toString();
    return StateTextForDisplay(line) == shown ? line : shown;
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
        // A byte-order mark stays content, so "1" after a mark is not the setting "1".
        lines.append(DecodeKeepingBytes(QByteArrayView(bytes.constData() + start, length)));
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
        file.write(EncodeKeepingBytes(line));
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
