// Help, home page and the About box: what reaches the shell, and that the box is modal.

#include "info/Dialog1.h"
#include "info/LinkLabel.h"
#include "info/Product.h"
#include "tests/gui_support/Window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using testing_support::RecordingShell;
using testing_support::TestWindow;

// Opens the About box from the menu and hands it to `act`, which must close it.
void withAboutBox(app::form1& form, const std::function<void(info::Dialog1&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<info::Dialog1*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        act(*box);
        if (box->isVisible())
            box->reject();
    });
    form.About->trigger();
    EXPECT_TRUE(seen);
}

// Clicks a widget of the main window as the window system would deliver it, so that a modal
// box in front can refuse it.
void systemClick(app::form1& form, QWidget* widget) {
    const QPoint at = widget->mapTo(&form, widget->rect().center());
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

TEST(InfoCommands, HelpButtonAndMenuOpenTheManualFromTheProgramFolder) {
    TestWindow test;
    ASSERT_TRUE(QDir().mkpath(test.programFile("help")));
    QFile page(test.programFile("help/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<!DOCTYPE html><title>manual</title>");
    page.close();
    app::form1& form = test.loaded();
    form.Command8->click();
    form.Help1->trigger();
    ASSERT_EQ(test.shell.requests.size(), 2u);
    for (const RecordingShell::Request& request : test.shell.requests) {
        EXPECT_EQ(request.operation, QStringLiteral("open"));
        EXPECT_EQ(request.file, test.programFile("help/index.html"));
        EXPECT_EQ(request.showCommand, app::SW_SHOW);
    }
    EXPECT_TRUE(test.messages.messages.empty());
}

TEST(InfoCommands, AMissingManualIsSaidAndNothingIsOpened) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.Command8->click();
    // A folder where the page should be is no manual either.
    ASSERT_TRUE(QDir().mkpath(test.programFile("help/index.html")));
    form.Help1->trigger();
    EXPECT_TRUE(test.shell.requests.empty());
    ASSERT_EQ(test.messages.messages.size(), 2u);
    for (const auto& message : test.messages.messages) {
        EXPECT_TRUE(message.text.contains(QStringLiteral("The user manual is missing")))
            << message.text.toStdString();
        EXPECT_TRUE(message.text.contains(test.programFile("help/index.html")));
        EXPECT_EQ(message.icon, app::MessageIcon::Critical);
    }
}

TEST(InfoCommands, TheBuiltManualIsBesideTheProgramAndComplete) {
    // The build puts the manual where an installed program finds it: beside the executables.
    const QString folder = QStringLiteral(QM_BINARY_DIR "/bin/help");
    QFile page(folder + "/index.html");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << folder.toStdString();
    const QString html = QString::fromUtf8(page.readAll());
    for (const char* part :
         {"id=\"run\"", "id=\"names\"", "id=\"titles\"", "id=\"batch\"", "src=\"window.png\""})
        EXPECT_TRUE(html.contains(QString::fromUtf8(part))) << part;
    EXPECT_TRUE(QFileInfo(folder + "/window.png").size() > 1000);
}

TEST(InfoCommands, HomePageEverywhereIsOneAddress) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.Command7->click();
    form.HomePage->trigger();
    withAboutBox(form, [](info::Dialog1& box) {
        QTest::mouseClick(box.Label8, Qt::LeftButton);
        box.OKButton->click();
    });
    ASSERT_EQ(test.shell.requests.size(), 3u);
    for (const RecordingShell::Request& request : test.shell.requests) {
        EXPECT_EQ(request.operation, QStringLiteral("open"));
        EXPECT_EQ(request.file, info::HomePageAddress);
        EXPECT_EQ(request.showCommand, app::SW_SHOW);
    }
    EXPECT_TRUE(info::HomePageAddress.startsWith(QStringLiteral("https://")));
}

TEST(InfoCommands, LinksOpenAndLeaveTheBoxOpen) {
    TestWindow test;
    app::form1& form = test.loaded();
    withAboutBox(form, [&](info::Dialog1& box) {
        QTest::mouseClick(box.Label2, Qt::LeftButton);
        ASSERT_EQ(test.shell.requests.size(), 1u);
        EXPECT_EQ(test.shell.requests[0].file,
                  QStringLiteral("mailto:") + info::SupportMailAddress);
        EXPECT_EQ(test.shell.requests[0].showCommand, app::SW_SHOWMAXIMIZED);
        EXPECT_TRUE(box.isVisible());
        QTest::mouseClick(box.Label8, Qt::LeftButton);
        EXPECT_EQ(test.shell.requests.size(), 2u);
        EXPECT_TRUE(box.isVisible());
        // A right click, or a press that ends elsewhere, is no click.
        QTest::mouseClick(box.Label8, Qt::RightButton);
        QTest::mousePress(box.Label2, Qt::LeftButton);
        QTest::mouseRelease(box.Label2, Qt::LeftButton, {}, QPoint(-5, -5));
        // Nothing else reacts to clicks.
        QTest::mouseClick(box.Label1, Qt::LeftButton);
        QTest::mouseClick(box.Label3, Qt::LeftButton);
        QTest::mouseClick(box.Label5, Qt::LeftButton);
        EXPECT_EQ(test.shell.requests.size(), 2u);
        box.OKButton->click();
        EXPECT_FALSE(box.isVisible());
    });
}

TEST(InfoCommands, AboutBoxTextsLinksAndLayout) {
    TestWindow test;
    app::form1& form = test.loaded();
    withAboutBox(form, [&](info::Dialog1& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("About us"));
        EXPECT_EQ(box.size(), QSize(form.twips(4905), form.twips(4110)));
        EXPECT_EQ(box.Label1->text(), QStringLiteral("Quillmere"));
        EXPECT_EQ(box.Label4->text(), QStringLiteral("Version:29.11.15"));
        EXPECT_EQ(box.Label3->text(), QStringLiteral("Technical Support:"));
        EXPECT_EQ(box.Label7->text(), QStringLiteral(" Website:"));
        EXPECT_EQ(box.Label2->text(), info::SupportMailAddress);
        EXPECT_EQ(box.Label8->text(), info::HomePageAddress);
        EXPECT_FALSE(box.Label6->text().isEmpty());
        EXPECT_FALSE(box.Label5->text().isEmpty());
        EXPECT_EQ(box.OKButton->text(), QStringLiteral("OK"));
        // Inside the frame, positions count from the frame.
        EXPECT_EQ(box.Label2->parentWidget(), box.Frame1);
        EXPECT_EQ(box.Label8->geometry(),
                  QRect(form.twips(1800), form.twips(480), form.twips(1930), form.twips(250)));
        for (QLabel* link : {static_cast<QLabel*>(box.Label2), static_cast<QLabel*>(box.Label8)}) {
            EXPECT_EQ(link->palette().color(QPalette::WindowText),
                      link->palette().color(QPalette::Highlight));
            EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        }
        EXPECT_NE(box.Label3->palette().color(QPalette::WindowText),
                  box.Label3->palette().color(QPalette::Highlight));
        EXPECT_EQ(box.Label1->font().family(), QStringLiteral("Arial"));
        box.OKButton->click();
    });
}

TEST(InfoCommands, TheMainWindowWaitsWhileTheAboutBoxIsOpen) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    systemClick(form, form.Command7);
    ASSERT_EQ(test.shell.requests.size(), 1u) << "the click reaches an unblocked window";
    withAboutBox(form, [&](info::Dialog1& box) {
        EXPECT_TRUE(box.isModal());
        EXPECT_EQ(box.parentWidget(), nullptr);
        systemClick(form, form.Command7);
        systemClick(form, form.Command8);
        EXPECT_EQ(test.shell.requests.size(), 1u);
        box.OKButton->click();
    });
    systemClick(form, form.Command7);
    EXPECT_EQ(test.shell.requests.size(), 2u);
    // Each About command makes a new box.
    withAboutBox(form, [](info::Dialog1& box) { box.OKButton->click(); });
}

} // namespace
