#include "batch/InputWorkbooks.h"

#include "sources/PathKind.h"
#include "sources/WorkbookList.h"
#include "sources/WorkbookListing.h"

#include <QDir>
#include <QFileInfo>

namespace batch {

CollectedInputs CollectInputs(const QStringList& inputs) {
    CollectedInputs collected;
    for (const QString& input : inputs) {
        const QString path = QDir::current().absoluteFilePath(input);
        switch (sources::PathKind(path)) {
        case sources::ExistingFile:
            collected.workbooks.push_back(InputWorkbook{QFileInfo(path).fileName(), path});
            break;
        case sources::ExistingFolder: {
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

InputGroup::InputGroup(const std::vector<InputWorkbook>& workbooks, int first, int count)
    : workbooks_(workbooks), first_(first), count_(count) {}

QString InputGroup::itemText(int position) const {
    return workbooks_[static_cast<std::size_t>(first_ + position - 1)].itemText;
}

QString InputGroup::pathAt(int position) const {
    const QString& path = workbooks_[static_cast<std::size_t>(first_ + position - 1)].path;
    return sources::PathKind(path) == sources::ExistingFile ? path : QString();
}

} // namespace batch
