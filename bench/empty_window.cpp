// The yardstick for Quillmere's memory at rest: an empty main window of the same size.

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("empty"));
    window.setFixedSize(664, 548);
    window.show();
    return application.exec();
}
