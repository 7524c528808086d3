#pragma once
// Bytes as the window's text and back, keeping what is not UTF-8: UTF-8 is decoded as usual;
// each byte that is not part of a valid sequence becomes the lone low surrogate U+DC00 + byte
// (as app/Utf8.h walks it), which valid UTF-8 never yields, so the text can be written back
// exactly as it was read: a state file line in an ANSI code page, or a file name that is not
// UTF-8.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace app {

// The bytes as text: UTF-8 where they are UTF-8, a lone U+DC80..U+DCFF for any other byte.
QString DecodeKeepingBytes(QByteArrayView bytes);

// The reverse: a lone U+DC80..U+DCFF is the byte it stands for, everything else UTF-8.
QByteArray EncodeKeepingBytes(const QString& text);

} // namespace app
