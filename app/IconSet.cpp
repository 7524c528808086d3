#include "app/IconSet.h"

#include <QApplication>
#include <QPixmap>
#include <QStandardPaths>

namespace app {
namespace {

// Themes with full-colour pictures for every name the window asks for, in the order tried
// after the desktop's own.
const char* const knownThemes[] = {"Adwaita", "breeze", "Tango", "oxygen"};

bool hasEveryIcon(const std::vector<IconRequest>& requests) {
    for (const IconRequest& request : requests)
        if (!QIcon::hasThemeIcon(QString::fromLatin1(request.name)))
            return false;
    return true;
}

// One pixmap of exactly `size`: drawn from a larger one where the theme has it, so that a
// picture is never blown up from a smaller one when a better one exists.
QIcon atExactSize(const QIcon& source, int size) {
    QPixmap pixmap = source.pixmap(QSize(size * 3 / 2, size * 3 / 2));
    if (pixmap.width() < size)
        pixmap = source.pixmap(QSize(size, size));
    if (pixmap.size() != QSize(size, size))
        pixmap = pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QIcon result;
    result.addPixmap(pixmap);
    return result;
}

} // namespace

std::vector<QIcon> IconsFromOneTheme(const std::vector<IconRequest>& requests, QString* theme) {
    const QString desktopTheme = QIcon::themeName();
    // Platforms without a desktop (offscreen) search no system folder for themes.
    const QStringList searchPaths = QIcon::themeSearchPaths();
    QStringList withSystemThemes = searchPaths;
    for (const QString& folder :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory))
        if (!withSystemThemes.contains(folder))
            withSystemThemes << folder;
    QIcon::setThemeSearchPaths(withSystemThemes);
    QStringList candidates{desktopTheme};
    for (const char* known : knownThemes)
        candidates << QString::fromLatin1(known);

    QString chosen;
    for (const QString& candidate : candidates) {
        QIcon::setThemeName(candidate);
        if (!candidate.isEmpty() && hasEveryIcon(requests)) {
            chosen = candidate;
            break;
        }
    }
    std::vector<QIcon> icons;
    icons.reserve(requests.size());
    for (const IconRequest& request : requests) {
        const QIcon source = chosen.isEmpty()
                                 ? QApplication::style()->standardIcon(request.fallback)
                                 : QIcon::fromTheme(QString::fromLatin1(request.name));
        icons.push_back(atExactSize(source, request.size));
    }
    // The pictures are copied out above; the rest of the program keeps the desktop's theme.
    QIcon::setThemeName(desktopTheme);
    QIcon::setThemeSearchPaths(searchPaths);
    if (theme != nullptr)
        *theme = chosen;
    return icons;
}

} // namespace app
