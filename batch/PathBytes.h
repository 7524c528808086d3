#pragma once
// File names as the system holds them: bytes, not always UTF-8. A name that is not UTF-8 is kept
// in a QString byte for byte, each stray byte as the lone surrogate U+DC00 + byte (the
// convention Python's file-name handling uses too), so that nothing a list or a folder names
// is lost on its way to the report or back to the file system.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace batch {

// The bytes as text: UTF-8 where they are UTF-8, a lone U+DC80..U+DCFF for any other byte.
QString PathFromBytes(QByteArrayView bytes);

// The reverse of PathFromBytes.
QByteArray PathToBytes(const QString& path);

// True when `path` holds a byte kept from a name that is not UTF-8.
bool HasStrayBytes(const QString& path);

// `path` fit for a name Quillmere makes or shows: each kept byte becomes U+FFFD.
QString Printable(const QString& path);

} // namespace batch
