#include "convert/OutputFolder.h"

#include "convert/TextRules.h"
#include "sources/PathKind.h"

#include <QFile>
#include <sys/stat.h>

namespace convert {
namespace {

// A candidate this long is no path any file system takes, so the loop need not go further.
constexpr qsizetype longestCandidate = 4096;

} // namespace

PrepareResult PrepareOutputFolder(const QString& boxText, int listIndex, QString& OutputFolder) {
    OutputFolder = boxText;
    if (boxText.isEmpty())
        return PrepareResult::NoFolderGiven;
    const bool typed = listIndex == -1;
    if (sources::PathKind(boxText) != sources::ExistingFolder && !typed)
        return PrepareResult::FolderMissing;
    while (OutputFolder.endsWith(u'/'))
        OutputFolder.chop(1);
    if (sources::PathKind(OutputFolder) != sources::ExistingFolder && typed &&
        !CreateFolder(OutputFolder))
        return PrepareResult::CreateFailed;
    OutputFolder += u'/';
    return PrepareResult::Ready;
}

QString PrepareMessage(PrepareResult result) {
    switch (result) {
    case PrepareResult::NoFolderGiven:
        return QStringLiteral("Please select output folder");
    case PrepareResult::FolderMissing:
        return QStringLiteral("Folder does not exist!");
    case PrepareResult::CreateFailed:
        return QStringLiteral("Failed to create folder!");
    case PrepareResult::Ready:
        break;
    }
    return QString();
}

QString DisplayName(const QString& itemText) {
    return QString::fromStdString(RemoveSpacesAndDots(StripExtension(itemText.toStdString())));
}

QString ChooseWorkbookFolder(const QString& OutputFolder, const QString& displayName,
                             const std::function<bool(const QString&)>& taken) {
    QString candidate = OutputFolder + displayName;
    for (int suffix = 1; taken(candidate) && candidate.size() < longestCandidate; ++suffix)
        candidate += QString::number(suffix);
    return candidate;
}

bool CreateFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0;
}

} // namespace convert
