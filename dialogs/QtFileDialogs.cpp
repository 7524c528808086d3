#include "dialogs/QtSystemDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace dialogs {
namespace {

// "*.xl*" as "*.[xX][lL]*": the patterns of these filters match names ignoring letter case, as
// users of the filters expect, whatever the file system's own rule.
QString ignoringCase(const QString& pattern) {
    QString result;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            result += u'[' + c.toLower() + c.toUpper() + u']';
        else
            result += c;
    }
    return result;
}

// "description (p1 p2)" with each pattern made to ignore letter case.
QString filterIgnoringCase(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(u'(');
    if (open < 0 || !filter.endsWith(u')'))
        return filter;
    QStringList patterns =
        filter.mid(open + 1, filter.size() - open - 2).split(u' ', Qt::SkipEmptyParts);
    for (QString& pattern : patterns)
        pattern = ignoringCase(pattern);
    return filter.left(open + 1) + patterns.join(u' ') + u')';
}

std::optional<QString> firstSelected(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace

// The open dialog's flags, each as the option that behaves the same:
// - one existing file (file must exist, no multiple selection): QFileDialog::ExistingFile;
// - long names: always so here;
// - no read-only check box: Qt's dialog never shows one;
// - the filter list shows descriptions only: HideNameFilterDetails;
// - the default extension is added to a typed name without one: setDefaultSuffix.
std::optional<QString> QtSystemDialogs::openFile(QWidget* owner, const OpenRequest& request) {
    // An unset title leaves the dialog its usual caption.
    QFileDialog dialog(owner, request.title.isEmpty() ? QStringLiteral("Open") : request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(
        filterIgnoringCase(request.filterName + QStringLiteral(" (") + request.pattern + u')'));
    dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.initialFile.isEmpty())
        dialog.selectFile(request.initialFile);
    return firstSelected(dialog);
}

// The save dialog's flags: any name, existing or not (AnyFile), and no question before an
// existing file is overwritten (DontConfirmOverwrite); no read-only check box (never shown);
// no default extension. The first filter is the selected one.
std::optional<QString> QtSystemDialogs::saveFile(QWidget* owner, const SaveRequest& request) {
    QFileDialog dialog(owner, request.title, request.initialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters;
    for (const QString& filter : request.filters)
        filters << filterIgnoringCase(filter);
    dialog.setNameFilters(filters);
    return firstSelected(dialog);
}

// The folder picker's flags: file-system folders only (Directory with ShowDirsOnly; a pick that
// is no folder gives ""). Not going below the network domain has no counterpart here. It starts
// at the desktop (the home folder when there is none) with nothing preselected, and shows the
// instruction as its title.
std::optional<QString> QtSystemDialogs::pickFolder(QWidget* owner, const QString& instruction) {
    QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!QFileInfo(start).isDir())
        start = QDir::homePath();
    QFileDialog dialog(owner, instruction, start);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const std::optional<QString> picked = firstSelected(dialog);
    if (!picked)
        return std::nullopt;
    return QFileInfo(*picked).isDir() ? *picked : QString();
}

} // namespace dialogs
