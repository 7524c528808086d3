#include "app/QtServices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace app {

void QtMessageBoxes::MsgBox(QWidget* owner, const QString& text, MessageIcon icon) {
    QMessageBox box(owner);
    box.setWindowTitle(QStringLiteral("Quillmere"));
    // Workbook names and the host's descriptions are shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.exec();
}

void DesktopShell::ShellExecute(QWidget*, const QString&, const QString& file, int) {
    // A web or mail address goes to its handler; anything else is a local file or folder.
    const QUrl url(file);
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        QDesktopServices::openUrl(url);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace app
