#include "batch/PartialFiles.h"

#include <QDir>
#include <QFile>

namespace batch {
namespace {

// The host writes each file under this hidden name in its folder, then renames it.
const QString partialFilePattern = QStringLiteral(".qm-write-??????");

int removeIn(const QString& folder) {
    int removed = 0;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({partialFilePattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        removed += QFile::remove(dir.filePath(name)) ? 1 : 0;
    return removed;
}

} // namespace

int RemovePartialFiles(const QString& folder) {
    int removed = removeIn(folder);
    const QDir dir(folder);
    // Supporting-file folders, not links elsewhere.
    for (const QString& name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks))
        removed += removeIn(dir.filePath(name));
    return removed;
}

} // namespace batch
