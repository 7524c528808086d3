#include "app/form1.h"
#include "info/Dialog1.h"
#include "info/Product.h"

#include <QDir>

namespace app {

void form1::Command8_Click() {
    // Whatever the shell makes of a missing file is its business; the program says nothing.
    services.shell.ShellExecute(this, QStringLiteral("open"),
                                services.programFolder + QDir::separator() + info::HelpFileName,
                                SW_SHOW);
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
