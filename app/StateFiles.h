#pragma once
// The three state files (EXCEL.txt, output.txt, set.txt): UTF-8 text, one value per line,
// written with CR LF and read with CR LF or LF.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace app {

inline const QString SourceListFile = QStringLiteral("EXCEL.txt");
inline const QString OutputHistoryFile = QStringLiteral("output.txt");
inline const QString SettingsFile = QStringLiteral("set.txt");

// The item data role under which a list entry restored from a state file keeps its line as
// read, when the window shows it otherwise (StateTextForDisplay), so that saving writes back
// the bytes that were read.
inline constexpr int StoredStateTextRole = Qt::UserRole + 2;

// The line to save for an entry shown as `shown` with `stored` under StoredStateTextRole
// (invalid when it has none): the stored line while the entry still shows it, else `shown`.
QString StateTextToSave(const QString& shown, const QVariant& stored);

// The folder that holds the state files: the program folder when it is writable and not an
// installed system folder (under /usr or /opt), else the user's configuration folder for
// Quillmere (created when missing).
QString stateFolder(const QString& programFolder);

// Every line of the file, terminators removed; an empty line is an empty value, and a final
// line terminator adds no line. A missing or unreadable file reads as an empty one. A byte that
// is not UTF-8 becomes the lone surrogate U+DC00 + byte, which writeStateLines turns back into
// that byte; nothing is ever rejected.
QStringList readStateLines(const QString& path);

// A line as read, fit for the window: each byte kept from a non-UTF-8 file shows as its
// character in the Western code page of the files' first platform (U+FFFD where it has none).
QString StateTextForDisplay(const QString& text);

// Replaces the file with `lines`, each followed by CR LF (kept bytes written as they were read),
// atomically: the old content stays
// whole when writing fails. Returns false with a reason in `error` when it could not be written.
bool writeStateLines(const QString& path, const QStringList& lines, QString* error = nullptr);

} // namespace app
