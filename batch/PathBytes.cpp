#include "batch/PathBytes.h"

namespace batch {
namespace {

bool isKeptByte(const QString& text, qsizetype at) {
    const char16_t unit = text.at(at).unicode();
    const bool paired = at > 0 && QChar::isHighSurrogate(text.at(at - 1).unicode());
    return unit >= 0xDC80 && unit <= 0xDCFF && !paired;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there begins none.
int sequenceLength(const unsigned char* bytes, qsizetype at, qsizetype size) {
    const unsigned char lead = bytes[at];
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
    if (length == 0 || at + length > size)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((bytes[at + i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (bytes[at + i] & 0x3F);
    }
    // Overlong forms, encoded surrogates and code points past U+10FFFF are not UTF-8.
    const bool valid = code >= lowest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid ? length : 0;
}

} // namespace

QString PathFromBytes(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size);
    qsizetype runStart = 0;
    qsizetype at = 0;
    auto flush = [&] { text += QString::fromUtf8(bytes.sliced(runStart, at - runStart)); };
    while (at < size) {
        if (data[at] < 0x80) {
            ++at;
            continue;
        }
        const int length = sequenceLength(data, at, size);
        if (length > 0) {
            at += length;
            continue;
        }
        flush();
        text.append(QChar(char16_t(0xDC00 + data[at])));
        runStart = ++at;
    }
    flush();
    return text;
}

QByteArray PathToBytes(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path, i))
            continue;
        bytes += QStringView(path).mid(runStart, i - runStart).toUtf8();
        bytes.append(char(path.at(i).unicode() - 0xDC00));
        runStart = i + 1;
    }
    bytes += QStringView(path).mid(runStart).toUtf8();
    return bytes;
}

bool HasStrayBytes(const QString& path) {
    for (qsizetype i = 0; i < path.size(); ++i)
        if (isKeptByte(path, i))
            return true;
    return false;
}

QString Printable(const QString& path) {
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isKeptByte(path, i))
            shown[i] = QChar(0xFFFD);
    return shown;
}

} // namespace batch
