#include "batch/PathBytes.h"

#include "app/KeptBytes.h"

namespace batch {
namespace {

bool isKeptByte(const QString& text, qsizetype at) {
    const char16_t unit = text.at(at).unicode();
    const bool paired = at > 0 && QChar::isHighSurrogate(text.at(at - 1).unicode());
    return unit >= 0xDC80 && unit <= 0xDCFF && !paired;
}

} // namespace

QString PathFromBytes(QByteArrayView bytes) {
    return app::DecodeKeepingBytes(bytes);
}

QByteArray PathToBytes(const QString& path) {
    return app::EncodeKeepingBytes(path);
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
