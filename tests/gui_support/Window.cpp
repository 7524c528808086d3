#include "tests/gui_support/Window.h"

#include <QFile>
#include <gtest/gtest.h>

namespace testing_support {

TestWindow::TestWindow() : state(std::make_unique<app::SharedState>()) {
    const QString programFolder = QString::fromStdString(folder.path().string());
    services = std::make_unique<app::Services>(
        app::Services{host, dialogs, shell, messages, random, programFolder, programFolder});
}

TestWindow::~TestWindow() = default;

QString TestWindow::programFile(const QString& name) const {
    return QString::fromStdString((folder.path() / name.toStdString()).string());
}

void TestWindow::writeStateFile(const QString& name, const QStringList& lines) {
    QFile file(programFile(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString& line : lines)
        file.write(line.toUtf8() + "\r\n");
}

QByteArray TestWindow::stateFileBytes(const QString& name) const {
    QFile file(programFile(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

app::form1& TestWindow::window() {
    if (!form)
        form = std::make_unique<app::form1>(*state, *services);
    return *form;
}

app::form1& TestWindow::loaded() {
    app::form1& result = window();
    EXPECT_TRUE(result.Form_Load());
    return result;
}

} // namespace testing_support
