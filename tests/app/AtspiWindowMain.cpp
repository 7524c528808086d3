// The main window with its seams replaced by doubles, and the About box and the settings
// dialog beside it, shown on a real display for a reader of the desktop's accessibility tree.
// Prints "ready" once they are shown and ends after the number of seconds given (30 unless told),
// or when its input closes.

#include "app/Setting.h"
#include "info/Dialog1.h"
#include "tests/gui_support/Window.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmere-accessibility-check"));
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    testing_support::TestWindow test;
    app::form1& form = test.window();
    if (!form.Form_Load())
        return 1;
    form.show();
    info::Dialog1 about(test.shell);
    about.show();
    app::Setting settings(test.services->stateFolder, test.messages);
    settings.show();

    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        // Only the end of the input ends the window, not a read a signal broke off.
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
            QApplication::quit();
    });
    QTimer::singleShot(0, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
