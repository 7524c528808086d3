// Quillmere: converts spreadsheet workbooks into web pages. It takes no arguments.

#include "app/QtServices.h"
#include "app/SharedState.h"
#include "app/StateFiles.h"
#include "app/form1.h"
#include "automation/Factory.h"
#include "convert/SpareHost.h"
#include "dialogs/QtSystemDialogs.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    // Ties the window to the installed desktop entry, whose icon the desktop then shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.quillmere.Quillmere"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512})
        icon.addFile(QStringLiteral(":/icons/quillmere-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    const QString programFolder = QCoreApplication::applicationDirPath();
    automation::HostFactory started(programFolder.toStdString());
    // Each operation's host starts while the one before it works or the user reads its result.
    convert::SpareHost hosts(started);
    dialogs::QtSystemDialogs systemDialogs;
    app::DesktopShell shell;
    app::QtMessageBoxes messages;
    app::ClockRandom random;
    app::Services services{hosts,
                           systemDialogs,
                           shell,
                           messages,
                           random,
                           programFolder,
                           app::stateFolder(programFolder)};

    // The sheet table alone is as large as the program's whole state; keep it off the stack.
    auto state = std::make_unique<app::SharedState>();
    app::form1 window(*state, services);
    if (!window.Form_Load())
        return 1;
    window.show();
    return application.exec();
}
