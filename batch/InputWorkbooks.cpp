#include "batch/InputWorkbooks.h"

#include "sources/WorkbookList.h"
#include "sources/WorkbookListing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace batch {

CollectedInputs CollectInputs(const QStringList& inputs) {
    CollectedInputs collected;
    for (const QString& input : inputs) {
        const QString path = QDir::current().absoluteFilePath(input);
        // A name given on the command line is meant, so a hidden (dot) file or folder counts
        // as any other; only what a folder lists follows the window's rules.
        struct stat info {};
        const bool exists = ::stat(QFile::encodeName(path).constData(), &info) == 0;
        switch (!exists ? 0 : S_ISREG(info.st_mode) ? 2 : S_ISDIR(info.st_mode) ? 1 : 0) {
        case 2:
            collected.workbooks.push_back(InputWorkbook{QFileInfo(path).fileName(), path});
            break;
        case 1: {
            // One more than the window lists tells whether the folder had more.
            QStringList names = sources::ListWorkbookNames(path, sources::MaxWorkbooks + 1);
            if (names.size() > sources::MaxWorkbooks) {
                names.resize(sources::MaxWorkbooks);
                collected.notes << QStringLiteral("%1: more than %2 workbooks; only the first "
                                                  "%2 by name are converted")
                                       .arg(input)
                                       .arg(sources::MaxWorkbooks);
            } else if (names.isEmpty()) {
                collected.notes << QStringLiteral("%1: no workbooks in this folder").arg(input);
            }
            for (const QString& name : names)
                collected.workbooks.push_back(InputWorkbook{name, sources::JoinPath(path, name)});
            break;
        }
        default:
            collected.missing << input;
            break;
        }
    }
    return collected;
}

bool IsWorkbookFile(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

} // namespace batch
