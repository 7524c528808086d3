#include "convert/PartialOutput.h"

#include <QDir>
#include <QFileInfo>

namespace convert {
namespace {

// The host writes every file under a temporary name first and renames it when complete; a
// host ended in the middle leaves these behind. A file it set aside to replace stays: it may
// be the only copy of one that was there before.
bool isHostTemporary(const QString& name) {
    return name.startsWith(QStringLiteral(".qm-write-"));
}
bool isSetAside(const QString& name) {
    return name.startsWith(QStringLiteral(".qm-keep-"));
}

QSet<QString> entriesOf(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::System | QDir::NoDotAndDotDot);
    return QSet<QString>(names.begin(), names.end());
}

void removeEntry(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir().rmdir(path); // only when empty
    else
        QFile::remove(path);
}

} // namespace

PartialOutput::PartialOutput(const QString& pagePath) : page_(pagePath) {
    const QFileInfo page(pagePath);
    folder_ = page.absolutePath();
    supporting_ = folder_ + u'/' + page.completeBaseName() + QStringLiteral("_files");
    pageExisted_ = page.exists() || page.isSymLink();
    const QFileInfo supporting(supporting_);
    supportingExisted_ = supporting.exists() || supporting.isSymLink();
    inFolder_ = entriesOf(folder_);
    if (supporting.isDir())
        inSupporting_ = entriesOf(supporting_);
}

void PartialOutput::removeAdded() const {
    if (!pageExisted_)
        QFile::remove(page_);
    for (const QString& name : entriesOf(folder_))
        if (isHostTemporary(name) && !inFolder_.contains(name))
            QFile::remove(folder_ + u'/' + name);
    const QFileInfo supporting(supporting_);
    if (!supporting.isDir() || supporting.isSymLink())
        return;
    for (const QString& name : entriesOf(supporting_))
        if (!inSupporting_.contains(name) && !isSetAside(name))
            removeEntry(supporting_ + u'/' + name);
    if (!supportingExisted_)
        QDir().rmdir(supporting_);
}

} // namespace convert
