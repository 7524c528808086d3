// The settings dialog: loads set.txt afresh at each opening, OK writes exactly two lines,
// Cancel and the close box leave the file alone.

#include "app/Setting.h"

#include "tests/gui_support/Window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using testing_support::TestWindow;

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Opens the dialog from the main window's menu and hands it to `act`, which must close it.
void withOpenDialog(app::form1& form, const std::function<void(app::Setting&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<app::Setting*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        act(*dialog);
        if (dialog->isVisible()) // a failed expectation above must not hang the test
            dialog->reject();
    });
    form.Settings->trigger();
    EXPECT_TRUE(seen);
}

TEST(Setting, ChecksFollowTheExactTextOne) {
    struct Row {
        const char* name;
        QByteArray settings; // "missing" for no file
        bool check1;
        bool check2;
    } rows[] = {
        {"on, off", "1\r\n0\r\n", true, false},
        {"off, on", "0\r\n1\r\n", false, true},
        {"one line", "1\r\n", true, false},
        {"empty", "", false, false},
        {"missing", "missing", false, false},
        {"blank after", "1 \r\n1\t\r\n", false, false},
        {"leading zero", "01\r\n1\r\n", false, true},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "1\r\n1\r\n",
         false, true},
        {"binary junk",
         QByteArray("\x00"
                    "1\r\n\xFF",
                    5),
         false, false},
    };
    for (const Row& row : rows) {
        TestWindow test;
        if (row.settings != "missing")
            writeBytes(test.programFile("set.txt"), row.settings);
        app::Setting dialog(test.services->stateFolder, test.messages);
        EXPECT_EQ(dialog.Check1->isChecked(), row.check1) << row.name;
        EXPECT_EQ(dialog.Check2->isChecked(), row.check2) << row.name;
    }
}

TEST(Setting, OkWritesExactlyTwoLines) {
    struct Row {
        const char* name;
        QByteArray before;
        QByteArray after;
    } rows[] = {
        {"unchanged", "1\r\n0\r\n", "1\r\n0\r\n"},
        {"one line", "1\r\n", "1\r\n0\r\n"},
        {"extra lines dropped", "1\r\n1\r\n1\r\nx\r\n", "1\r\n1\r\n"},
        {"odd values normalised", "1 \n01\n", "0\r\n0\r\n"},
        {"missing", "missing", "0\r\n0\r\n"},
    };
    for (const Row& row : rows) {
        TestWindow test;
        if (row.before != "missing")
            writeBytes(test.programFile("set.txt"), row.before);
        app::form1& form = test.loaded();
        withOpenDialog(form, [](app::Setting& dialog) { dialog.OKButton->click(); });
        EXPECT_EQ(test.stateFileBytes("set.txt"), row.after) << row.name;
        EXPECT_TRUE(test.messages.messages.empty());
    }
}

TEST(Setting, CancelAndTheCloseBoxLeaveTheFileByteForByte) {
    const QByteArray odd("\xEF\xBB\xBF"
                         "1 \n0\r\n\x00junk",
                         14);
    for (int way = 0; way < 3; ++way) {
        TestWindow test;
        writeBytes(test.programFile("set.txt"), odd);
        app::form1& form = test.loaded();
        withOpenDialog(form, [way](app::Setting& dialog) {
            dialog.Check1->click();
            dialog.Check2->click();
            if (way == 0)
                dialog.CancelButton->click();
            else if (way == 1)
                dialog.close();
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(test.stateFileBytes("set.txt"), odd) << way;
        // The next opening shows the file again, not what was clicked.
        withOpenDialog(form, [](app::Setting& dialog) {
            EXPECT_FALSE(dialog.Check1->isChecked());
            EXPECT_FALSE(dialog.Check2->isChecked());
            dialog.CancelButton->click();
        });
    }
}

TEST(Setting, IsModalWithItsLayoutAndTabOrder) {
    TestWindow test;
    app::form1& form = test.loaded();
    form.show();
    withOpenDialog(form, [&](app::Setting& dialog) {
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setting"));
        EXPECT_EQ(dialog.size(), QSize(form.twips(3735), form.twips(1560)));
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(dialog.Check1->geometry(),
                  QRect(form.twips(360), form.twips(240), form.twips(2895), form.twips(370)));
        EXPECT_EQ(dialog.CancelButton->geometry(),
                  QRect(form.twips(2040), form.twips(1080), form.twips(1215), form.twips(375)));
        EXPECT_TRUE(dialog.Check1->text().startsWith(
            QStringLiteral("Automatically save the current file")));
        EXPECT_EQ(dialog.Check2->text(), QStringLiteral("Automatically save the output directory"));
        EXPECT_EQ(dialog.OKButton->text(), QStringLiteral("OK"));
        EXPECT_EQ(dialog.CancelButton->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(dialog.focusWidget(), dialog.OKButton);
        EXPECT_EQ(dialog.OKButton->nextInFocusChain(), dialog.CancelButton);
        EXPECT_EQ(dialog.CancelButton->nextInFocusChain(), dialog.Check1);
        EXPECT_EQ(dialog.Check1->nextInFocusChain(), dialog.Check2);
        dialog.CancelButton->click();
    });
}

TEST(Setting, AFileThatCannotBeWrittenIsReported) {
    TestWindow test;
    test.writeStateFile("blocker", {"a regular file"});
    // A folder beneath a regular file cannot exist, whoever runs the test.
    test.services->stateFolder = test.programFile("blocker") + QStringLiteral("/state");
    app::form1& form = test.loaded();
    withOpenDialog(form, [](app::Setting& dialog) {
        dialog.Check1->click();
        dialog.OKButton->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    ASSERT_EQ(test.messages.messages.size(), 1u);
    EXPECT_EQ(test.messages.messages[0].icon, app::MessageIcon::Critical);
    EXPECT_TRUE(test.messages.messages[0].text.contains(QStringLiteral("set.txt")));
    EXPECT_EQ(test.stateFileBytes("blocker"), QByteArray("a regular file\r\n"));
}

} // namespace
