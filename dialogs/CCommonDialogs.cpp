#include "dialogs/CCommonDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace dialogs {
namespace {

constexpr std::int16_t True = -1;
constexpr std::int16_t False = 0;

QString upToNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

// Blanks only, as the initial-folder and filter rules mean them.
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

// The folder part of a chosen file: everything before its last separator ("" when none).
QString folderOf(const QString& fileName) {
    const qsizetype separator = fileName.lastIndexOf(u'/');
    return separator < 0 ? QString() : fileName.left(separator);
}

QString nameOf(const QString& fileName) {
    return fileName.mid(fileName.lastIndexOf(u'/') + 1);
}

// "Text files|*.txt|All|*.*" as the dialog's filters, "Text files (*.txt)", "All (*.*)". A list
// ends at an empty piece or at a description without a pattern; ";" between patterns becomes
// the blank the dialog expects.
QStringList saveFilters(const QString& filter) {
    const QStringList pieces =
        (trimBlanks(filter).isEmpty() ? QStringLiteral("*.*|*.*") : filter).split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        if (pieces[i].isEmpty() || pieces[i + 1].isEmpty())
            break;
        QString patterns = pieces[i + 1];
        patterns.replace(u';', u' ');
        result << pieces[i] + QStringLiteral(" (") + patterns + u')';
    }
    return result;
}

} // namespace

QString CCommonDialogs::Title() const {
    return upToNul(title_);
}
QString CCommonDialogs::Path() const {
    return upToNul(path_);
}
QString CCommonDialogs::FileTitle() const {
    return upToNul(fileTitle_);
}
QString CCommonDialogs::FileName() const {
    return upToNul(fileName_);
}

std::int16_t CCommonDialogs::acceptFile(const std::optional<QString>& chosen) {
    if (!chosen)
        return False;
    fileName_ = upToNul(*chosen);
    fileTitle_ = nameOf(fileName_);
    path_ = folderOf(fileName_);
    return True;
}

std::int16_t CCommonDialogs::ShowOpen() {
    // The filter is fixed; the Filter property belongs to ShowSave.
    OpenRequest request;
    request.title = Title();
    request.filterName = QStringLiteral("Excel files(*.xls;*.xlsx;*.xlsm;*.xlsb)");
    request.pattern = QStringLiteral("*.xl*");
    request.initialFile = FileName();
    request.defaultExtension = upToNul(defExt_);
    return acceptFile(system_.openFile(owner_, request));
}

std::int16_t CCommonDialogs::ShowSave() {
    const QString programFolder =
        programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
    if (trimBlanks(path_).isEmpty()) {
        path_ = programFolder;
    } else {
        if (!path_.endsWith(u'/'))
            path_ += u'/';
        // Hidden folders count: this is where the dialog starts, not a source of workbooks.
        if (!QFileInfo(upToNul(path_)).isDir())
            path_ = programFolder;
    }
    SaveRequest request;
    request.title = QStringLiteral("Save");
    request.filters = saveFilters(filter_);
    request.initialFolder = upToNul(path_);
    // The whole name is kept: a longer path cut short would name another file.
    return acceptFile(system_.saveFile(owner_, request));
}

std::int16_t CCommonDialogs::ShowFolder() {
    const std::optional<QString> picked = system_.pickFolder(owner_, Title());
    if (!picked)
        return False;
    path_ = upToNul(*picked);
    fileName_.clear();
    fileTitle_.clear();
    return True;
}

} // namespace dialogs
