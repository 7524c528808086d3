#include "sources/WorkbookListing.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace sources {
namespace {

// The extension (after the last dot) begins with "xls" in any letter case. Checked on the raw
// bytes: "xls" is ASCII, which never occurs inside a multi-byte UTF-8 sequence, so this needs no
// decoding and also holds for names that are not valid UTF-8.
bool hasWorkbookExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr && ::strncasecmp(dot + 1, "xls", 3) == 0;
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
    if (limit <= 0)
        return {};
    const QByteArray encoded = QFile::encodeName(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(encoded.constData()), &::closedir);
    if (!dir)
        return {};
    // The `limit` first names in order, as a heap whose top is the last of them: memory stays
    // bounded however many files the folder holds. A read error ends the listing with what was
    // found so far.
    std::vector<QString> first;
    first.reserve(static_cast<std::size_t>(std::min(limit, 1024)));
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.' || !hasWorkbookExtension(entry->d_name) ||
            !isOrdinaryFile(encoded, entry))
            continue;
        QString name = QFile::decodeName(entry->d_name);
        if (first.size() < static_cast<std::size_t>(limit)) {
            first.push_back(std::move(name));
            std::push_heap(first.begin(), first.end(), byNameIgnoringCase);
        } else if (byNameIgnoringCase(name, first.front())) {
            std::pop_heap(first.begin(), first.end(), byNameIgnoringCase);
            first.back() = std::move(name);
            std::push_heap(first.begin(), first.end(), byNameIgnoringCase);
        }
    }
    std::sort_heap(first.begin(), first.end(), byNameIgnoringCase);
    return QStringList(std::make_move_iterator(first.begin()),
                       std::make_move_iterator(first.end()));
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace sources
