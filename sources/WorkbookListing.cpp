#include "sources/WorkbookListing.h"

#include <QFile>
#include <algorithm>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace sources {
namespace {

bool hasWorkbookExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.mid(dot + 1).startsWith(QStringLiteral("xls"), Qt::CaseInsensitive);
}

bool isOrdinaryFile(const QByteArray& folder, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    const QByteArray path = folder + '/' + entry->d_name;
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool byNameIgnoringCase(const QString& a, const QString& b) {
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

QStringList ListWorkbookNames(const QString& folder, int limit) {
    const QByteArray encoded = QFile::encodeName(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(encoded.constData()), &::closedir);
    if (!dir)
        return {};
    QStringList names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        if (hasWorkbookExtension(name) && isOrdinaryFile(encoded, entry))
            names.append(name);
    }
    if (names.size() > limit) {
        std::partial_sort(names.begin(), names.begin() + limit, names.end(), byNameIgnoringCase);
        names.resize(limit);
    } else {
        std::sort(names.begin(), names.end(), byNameIgnoringCase);
    }
    return names;
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace sources
