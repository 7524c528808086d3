#include "app/form1.h"
#include "info/Dialog1.h"
#include "info/Product.h"

#include <QDir>
#include <QFileInfo>

namespace app {

void form1::Command8_Click() {
    const QString manual = QDir(services.programFolder).filePath(info::HelpFileName);
    // The browser would show a blank error page, or nothing at all, for a missing manual.
    if (!QFileInfo(manual).isFile()) {
        services.messages.MsgBox(this,
                                 QStringLiteral("The user manual is missing: there is no %1. "
                                                "Reinstall Quillmere to get it back.")
                                     .arg(manual),
                                 MessageIcon::Critical);
        return;
    }
    services.shell.ShellExecute(this, QStringLiteral("open"), manual, SW_SHOW);
}

void form1::Command7_Click() {
    services.shell.ShellExecute(this, QStringLiteral("open"), info::HomePageAddress, SW_SHOW);
}

void form1::About_Click() {
    // No owner window, yet modal to the whole program: the main window waits until OK.
    info::Dialog1 box(services.shell);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace app
