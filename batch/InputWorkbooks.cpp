#include "batch/InputWorkbooks.h"

#include "batch/PathBytes.h"
#include "batch/PathList.h"
#include "batch/TreeListing.h"
#include "sources/WorkbookList.h"
#include "sources/WorkbookListing.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace batch {
namespace {

// A listed path below its root: what mirrors it under the output directory and what places it
// in a shard. Never climbs out of its root, so no output lands outside the output directory.
QString relativeOfListed(const QString& listed) {
    QStringList kept;
    for (const QString& part : listed.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept << part;
    }
    return kept.join(u'/');
}

void addFolder(CollectedInputs& collected, const QString& input, const QString& path,
               bool recursive) {
    if (recursive) {
        const std::vector<std::string> tree = ListWorkbookTree(PathToBytes(path).toStdString());
        if (tree.empty())
            collected.empty << QStringLiteral("%1: no workbooks in this folder or its "
                                              "subfolders")
                                   .arg(input);
        const QString folder = path.endsWith(u'/') ? path : path + u'/';
        for (const std::string& relative : tree)
            collected.workbooks.push_back(
                InputWorkbook{folder + PathFromBytes(relative), folder.size(), QString()});
        return;
    }
    // One more than the window lists tells whether the folder had more.
    QStringList names = sources::ListWorkbookNames(path, sources::MaxWorkbooks + 1);
    if (names.size() > sources::MaxWorkbooks) {
        names.resize(sources::MaxWorkbooks);
        collected.notes << QStringLiteral("%1: more than %2 workbooks; only the first %2 by "
                                          "name are converted (--recursive takes them all)")
                               .arg(input)
                               .arg(sources::MaxWorkbooks);
    } else if (names.isEmpty()) {
        const bool hasFolders = !QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
        collected.empty << (hasFolders ? QStringLiteral("%1: no workbooks in this folder; "
                                                        "--recursive searches its subfolders")
                                       : QStringLiteral("%1: no workbooks in this folder"))
                               .arg(input);
    }
    for (const QString& name : names) {
        const QString file = sources::JoinPath(path, name);
        collected.workbooks.push_back(InputWorkbook{file, file.size() - name.size(), QString()});
    }
}

} // namespace

CollectedInputs CollectInputs(const QStringList& inputs, const InputRules& rules) {
    CollectedInputs collected;
    for (const QString& input : inputs) {
        const QString path = QDir::current().absoluteFilePath(input);
        // A name given on the command line is meant, so a hidden (dot) file or folder counts
        // as any other; only what a folder lists follows the window's rules.
        struct stat info {};
        const bool exists = ::stat(QFile::encodeName(path).constData(), &info) == 0;
        if (exists && S_ISREG(info.st_mode))
            collected.workbooks.push_back(
                InputWorkbook{path, path.lastIndexOf(u'/') + 1, QString()});
        else if (exists && S_ISDIR(info.st_mode))
            addFolder(collected, input, path, rules.recursive);
        else
            collected.missing << input;
    }
    if (rules.filesFrom.isEmpty())
        return collected;

    PathList list = ReadPathList(PathToBytes(rules.filesFrom).toStdString(), rules.nulSeparated);
    collected.listError = QString::fromStdString(list.error);
    const QString current = PathFromBytes(QFile::encodeName(QDir::currentPath()));
    collected.workbooks.reserve(collected.workbooks.size() + list.paths.size());
    for (std::string& bytes : list.paths) {
        const QString listed = PathFromBytes(bytes);
        std::string().swap(bytes); // the list goes as the workbooks come
        const QString absolute =
            QDir::cleanPath(listed.startsWith(u'/') ? listed : sources::JoinPath(current, listed));
        const QString relative = relativeOfListed(listed);
        // Most listed paths end in their relative part, which is then not kept twice.
        const bool suffix = absolute.endsWith(relative) &&
                            (absolute.size() == relative.size() ||
                             absolute.at(absolute.size() - relative.size() - 1) == u'/');
        collected.workbooks.push_back(
            suffix ? InputWorkbook{absolute, absolute.size() - relative.size(), QString()}
                   : InputWorkbook{absolute, 0, relative});
    }
    return collected;
}

QString InputWorkbook::itemText() const {
    return Printable(path.mid(path.lastIndexOf(u'/') + 1));
}

QString InputWorkbook::relative() const {
    return relativeApart.isNull() ? path.mid(relativeAt) : relativeApart;
}

bool IsWorkbookFile(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(PathToBytes(path).constData(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

} // namespace batch
