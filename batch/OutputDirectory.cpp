#include "batch/OutputDirectory.h"

#include "convert/OutputFolder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace batch {

QString PrepareBatchOutput(const QString& given, QString& OutputFolder) {
    // The host writes the files, and it need not share this process's folder.
    QString path = QDir::current().absoluteFilePath(given);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const QString parent = path.left(std::max<qsizetype>(1, path.lastIndexOf(u'/')));
    auto problem = [&](const QString& reason) {
        return QStringLiteral("the output directory %1 %2").arg(given, reason);
    };
    if (name.startsWith(u'.') && name != u"." && name != u"..")
        return problem(QStringLiteral("has a hidden name (it begins with \".\"), which Quillmere "
                                      "does not take as a folder; choose a name without it"));

    // The window's path test takes these for wildcards; a folder named so would be made, then
    // refused.
    if (path.contains(u'*') || path.contains(u'?'))
        return problem(QStringLiteral("has \"*\" or \"?\" in it, which Quillmere takes for a "
                                      "wildcard, not a folder name"));

    const QByteArray encoded = QFile::encodeName(path);
    struct stat info {};
    if (::stat(encoded.constData(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return problem(S_ISREG(info.st_mode) ? QStringLiteral("is an existing file, not a "
                                                                  "folder")
                                                 : QStringLiteral("exists and is not a folder"));
    } else if (::mkdir(encoded.constData(), 0777) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return problem(QStringLiteral("cannot be created: its parent folder %1 does not "
                                          "exist (only the last level is created)")
                               .arg(parent));
        if (error == ENOTDIR)
            return problem(QStringLiteral("cannot be created: a part of %1 is a file, not a "
                                          "folder")
                               .arg(parent));
        return problem(QStringLiteral("cannot be created: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(error))));
    }
    if (::access(encoded.constData(), W_OK | X_OK) != 0)
        return problem(QStringLiteral("cannot be written to: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
    std::string prepared;
    if (convert::PrepareOutputFolder(path.toStdString(), -1, prepared) !=
        convert::PrepareResult::Ready)
        return problem(QStringLiteral("is not a folder Quillmere can use"));
    OutputFolder = QString::fromStdString(prepared);
    return QString();
}

} // namespace batch
