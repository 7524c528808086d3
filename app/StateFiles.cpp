#include "app/StateFiles.h"

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

namespace {

// Decodes UTF-8, turning each byte that is not part of a valid sequence into the lone low
// surrogate U+DC00 + byte. Valid UTF-8 never yields a lone surrogate, so the bytes can be
// written back exactly as they were, and a line from a file in an ANSI code page survives
// being loaded and saved.
QString decodeKeepingBytes(const char* data, qsizetype size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    QString text;
    text.reserve(size);
    qsizetype at = 0;
    while (at < size) {
        const unsigned char lead = bytes[at];
        if (lead < 0x80) {
            text.append(QChar(lead));
            ++at;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t lowest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
            lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            lowest = 0x10000;
        }
        bool valid = length > 0 && at + length <= size;
        for (int i = 1; valid && i < length; ++i) {
            const unsigned char next = bytes[at + i];
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, encoded surrogates and code points past U+10FFFF are not UTF-8.
        valid = valid && code >= lowest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            text.append(QChar(char16_t(0xDC00 + lead)));
            ++at;
            continue;
        }
        // Appended by hand: the library's decoders drop a leading byte-order mark.
        if (QChar::requiresSurrogates(code)) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
        at += length;
    }
    return text;
}

// The reverse of decodeKeepingBytes: a lone U+DC80..U+DCFF is the byte it stands for.
QByteArray encodeKeepingBytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        bytes += QStringView(text).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const bool paired = i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode());
        if (unit >= 0xDC80 && unit <= 0xDCFF && !paired) {
            flush(i);
            bytes.append(char(unit - 0xDC00));
            runStart = i + 1;
        }
    }
    flush(text.size());
    return bytes;
}

} // namespace

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
        lines.append(decodeKeepingBytes(bytes.constData() + start, length));
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
        file.write(encodeKeepingBytes(line));
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
