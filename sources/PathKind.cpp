#include "sources/PathKind.h"

#include <QFile>
#include <sys/stat.h>

namespace sources {
namespace {

// The last component of `path`, trailing separators ignored ("" for the root).
QString lastComponent(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

bool IsHiddenName(const QString& path) {
    const QString name = lastComponent(path);
    return name.startsWith(u'.') && name != u"." && name != u"..";
}

QString HiddenPathRefusal(const QString& path, bool folder) {
    const QString what = folder ? QStringLiteral("folder") : QStringLiteral("file");
    return QStringLiteral("\"%1\" is a hidden %2 (its name begins with a dot). Quillmere "
                          "does not convert hidden files or folders: please choose another %2, "
                          "or rename this one.")
        .arg(path, what);
}

int PathKind(const QString& path) {
    if (path.isEmpty() || path.contains(u'*') || path.contains(u'?') || path.contains(QChar(u'\0')))
        return NothingUsable;
    if (IsHiddenName(path))
        return NothingUsable;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return NothingUsable;
    if (S_ISDIR(info.st_mode))
        return ExistingFolder;
    if (S_ISREG(info.st_mode))
        return ExistingFile;
    return NothingUsable;
}

} // namespace sources
