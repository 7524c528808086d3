#include "app/KeptBytes.h"

#include "app/Utf8.h"

#include <string_view>

namespace app {

QString DecodeKeepingBytes(QByteArrayView data) {
    const std::string_view bytes(data.data(), static_cast<std::size_t>(data.size()));
    QString text;
    text.reserve(data.size());
    // Appended by hand: the library's decoders drop a leading byte-order mark.
    for (std::size_t at = 0; at < bytes.size();) {
        const char32_t code = NextCodePoint(bytes, at);
        if (QChar::requiresSurrogates(code)) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
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
