#include "convert/PartialOutput.h"

#include "engine/web/TemporaryName.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

namespace convert {
namespace {

// A file the host set aside to replace stays: it may be the only copy of one that was there
// before.
bool isSetAside(const QString& name) {
    return name.startsWith(QStringLiteral(".qm-keep-"));
}

// What stands at `path`, a link itself rather than what it names; false when nothing does. One
// system call per name: a guard is made for every page of a run.
bool lookAt(const QString& path, struct stat& status) {
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

bool isThere(const QString& path) {
    struct stat status {};
    return lookAt(path, status);
}

void removeEntry(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir().rmdir(path); // only when empty
    else
        QFile::remove(path);
}

} // namespace

QStringList ListFolderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
}

PartialOutput::PartialOutput(const QString& pagePath, FolderEntries list)
    : list_(list), page_(pagePath) {
    const QFileInfo page(pagePath);
    const QString folder = page.absolutePath() + u'/';
    supporting_ = folder + page.completeBaseName() + QStringLiteral("_files");
    struct stat status {};
    pageExisted_ = lookAt(pagePath, status);
    if (pageExisted_) {
        pageDevice_ = status.st_dev;
        pageInode_ = status.st_ino;
    }
    // The host writes the page under the first of these names that is free and renames it
    // when complete; one ended in the middle leaves it behind. Taken names belong to earlier
    // writes and stay; the names after the first free one are never used.
    const std::string fileName = page.fileName().toStdString();
    for (int attempt = 0; attempt < engine::web::temporaryNameTries; ++attempt) {
        const QString temporary =
            folder + QString::fromStdString(engine::web::TemporaryName(fileName, attempt));
        if (!isThere(temporary)) {
            newTemporaries_ << temporary;
            break;
        }
    }
    // A link in its place is never entered, here or when taking back.
    supportingExisted_ = lookAt(supporting_, status);
    if (supportingExisted_ && S_ISDIR(status.st_mode)) {
        const QStringList names = list_(supporting_);
        inSupporting_ = QSet<QString>(names.begin(), names.end());
    }
}

bool PartialOutput::placed() const {
    struct stat status {};
    if (!lookAt(page_, status))
        return false;
    return !pageExisted_ || status.st_dev != pageDevice_ || status.st_ino != pageInode_;
}

void PartialOutput::removeAdded() const {
    if (!pageExisted_)
        QFile::remove(page_);
    for (const QString& temporary : newTemporaries_)
        QFile::remove(temporary);
    const QFileInfo supporting(supporting_);
    if (!supporting.isDir() || supporting.isSymLink())
        return;
    for (const QString& name : list_(supporting_))
        if (!inSupporting_.contains(name) && !isSetAside(name))
            removeEntry(supporting_ + u'/' + name);
    if (!supportingExisted_)
        QDir().rmdir(supporting_);
}

} // namespace convert
