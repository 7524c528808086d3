#pragma once
// The directory listing behind the workbook list, without any window.

#include <QString>
#include <QStringList>

namespace sources {

// The names of the ordinary files in `folder` whose extension begins with "xls" in any letter
// case, dot files left out, sorted by name ignoring case, at most `limit` of them. An empty
// list when the folder cannot be read.
QStringList ListWorkbookNames(const QString& folder, int limit);

// `name` inside `folder`, with one separator between them also when the folder ends in one.
QString JoinPath(const QString& folder, const QString& name);

} // namespace sources
