#pragma once
// The three state files (EXCEL.txt, output.txt, set.txt): UTF-8 text, one value per line,
// written with CR LF and read with CR LF or LF.

#include <QString>
#include <QStringList>

namespace app {

inline const QString SourceListFile = QStringLiteral("EXCEL.txt");
inline const QString OutputHistoryFile = QStringLiteral("output.txt");
inline const QString SettingsFile = QStringLiteral("set.txt");

// The folder that holds the state files: the program folder when it is writable, else the
// user's configuration folder for Quillmere (created when missing).
QString stateFolder(const QString& programFolder);

// Every line of the file, terminators removed; an empty line is an empty value, and a final
// line terminator adds no line. A missing or unreadable file reads as an empty one. Bytes that
// are not UTF-8 become replacement characters; nothing is ever rejected.
QStringList readStateLines(const QString& path);

// Replaces the file with `lines`, each followed by CR LF, atomically: the old content stays
// whole when writing fails. Returns false with a reason in `error` when it could not be written.
bool writeStateLines(const QString& path, const QStringList& lines, QString* error = nullptr);

} // namespace app
