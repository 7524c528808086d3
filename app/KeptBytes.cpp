#include "app/KeptBytes.h"

namespace app {

QString DecodeKeepingBytes(QByteArrayView data) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const qsizetype size = data.size();
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

// The reverse of DecodeKeepingBytes: a lone U+DC80..U+DCFF is the byte it stands for.
QByteArray EncodeKeepingBytes(const QString& text) {
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

} // namespace app
