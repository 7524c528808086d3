// The output directory box: Browse, View, the two remove commands, and typing into the box.

#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using testing_support::q;

using testing_support::TestWindow;

QStringList entries(const QComboBox* box) {
    QStringList result;
    for (int i = 0; i < box->count(); ++i)
        result << box->itemText(i);
    return result;
}

class OutputDir : public ::testing::Test {
protected:
    void SetUp() override { box = test.loaded().Combo5; }

    void fill(const QStringList& paths, int selected) {
        box->addItems(paths);
        box->setCurrentIndex(selected);
    }

    void browse(const std::optional<QString>& answer) {
        test.dialogs.folderAnswers.push_back(answer);
        test.form->Command10_Click();
    }

    TestWindow test;
    QComboBox* box = nullptr;
};

TEST_F(OutputDir, BrowsePutsThePickAtTheTopSelected) {
    fill({"/a", "/b"}, 1);
    browse(QStringLiteral("/picked"));
    EXPECT_EQ(test.dialogs.folderInstructions, QStringList({"Output Folder"}));
    EXPECT_EQ(entries(box), QStringList({"/picked", "/a", "/b"}));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(box->currentText(), QStringLiteral("/picked"));
    browse(QStringLiteral("/picked"));
    EXPECT_EQ(entries(box), QStringList({"/picked", "/picked", "/a", "/b"}));
    EXPECT_EQ(box->currentIndex(), 0);
}

TEST_F(OutputDir, CancelledOrEmptyBrowseChangesNothing) {
    fill({"/a", "/b"}, 1);
    browse(std::nullopt);
    browse(QString());
    EXPECT_EQ(entries(box), QStringList({"/a", "/b"}));
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(box->currentText(), QStringLiteral("/b"));
}

TEST_F(OutputDir, BrowseKeepsALongOddPathWhole) {
    const QString odd = "/tmp/" + QString(4000, u'x') + "/Ü 'q' \"r\"/";
    browse(odd);
    EXPECT_EQ(box->currentText(), odd);
    test.form->Command11_Click(); // no such folder: nothing opened
    EXPECT_TRUE(test.shell.requests.empty());
}

TEST_F(OutputDir, RemoveCurrentSelectsTheNeighbour) {
    struct Row {
        QStringList before;
        int selected;
        QStringList after;
        int selectedAfter;
        QString textAfter;
    } rows[] = {
        {{"A", "B", "C"}, 1, {"A", "C"}, 1, "C"},
        {{"A", "B", "C"}, 2, {"A", "B"}, 1, "B"},
        {{"A", "B", "C"}, 0, {"B", "C"}, 0, "B"},
        {{"A"}, 0, {}, -1, "A"}, // nothing selected afterwards: the text stays
        {{"A", "B"}, -1, {"A", "B"}, -1, ""},
    };
    for (const Row& row : rows) {
        box->clear();
        fill(row.before, row.selected);
        test.form->Removeoutput->trigger();
        SCOPED_TRACE(row.before.join(',').toStdString() + " " + std::to_string(row.selected));
        EXPECT_EQ(entries(box), row.after);
        EXPECT_EQ(box->currentIndex(), row.selectedAfter);
        EXPECT_EQ(box->currentText(), row.textAfter);
    }
}

TEST_F(OutputDir, TypingOnlyChangesTheTextAndUnselects) {
    fill({"/out/a", "/out/b"}, 0);
    box->show();
    box->lineEdit()->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "/out/b"); // equal to an entry, still typed
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    box->lineEdit()->clearFocus();
    emit box->lineEdit()->editingFinished();
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(entries(box), QStringList({"/out/a", "/out/b"}));
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b"));

    // With a typed text, Remove Current has nothing to remove.
    test.form->Removeoutput_Click();
    EXPECT_EQ(entries(box), QStringList({"/out/a", "/out/b"}));
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b"));

    // Typing a prefix of an entry completes nothing.
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "/out/");
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/"));
}

TEST_F(OutputDir, RemoveAllEmptiesTheListOnly) {
    fill({"/1", "/2", "/3", "/4", "/5"}, 2);
    test.form->RemoveAllOutput->trigger();
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->currentText(), QStringLiteral("/3"));
    test.form->RemoveAllOutput_Click();
    EXPECT_EQ(box->count(), 0);
    browse(QStringLiteral("/new"));
    EXPECT_EQ(entries(box), QStringList({"/new"}));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(test.stateFileBytes(QStringLiteral("output.txt")).isEmpty());
}

TEST_F(OutputDir, RemoveAllOfAVeryLongHistoryIsQuick) {
    QStringList many;
    for (int i = 0; i < 100000; ++i)
        many << QStringLiteral("/out/%1").arg(i);
    fill(many, 0);
    test.form->RemoveAllOutput_Click();
    EXPECT_EQ(box->count(), 0);
}

TEST_F(OutputDir, ViewOpensExistingFoldersOnly) {
    const QString folder = q(test.folder.path());
    std::ofstream(test.folder / "file.xls") << "x";
    std::filesystem::create_directory(test.folder / ".hidden");
    for (const QString& text : {q(test.folder / "file.xls"), q(test.folder / "missing"), QString(),
                                q(test.folder / ".hidden"), folder + "/*"}) {
        box->setEditText(text);
        test.form->Command11_Click();
    }
    EXPECT_TRUE(test.shell.requests.empty());

    box->setEditText(folder); // typed
    test.form->Command11_Click();
    fill({folder + "/"}, 0); // picked, already ending in a separator
    test.form->Command11_Click();
    ASSERT_EQ(test.shell.requests.size(), 2u);
    EXPECT_EQ(test.shell.requests[0].operation, QStringLiteral("open"));
    EXPECT_EQ(test.shell.requests[0].file, folder + "/");
    EXPECT_EQ(test.shell.requests[0].showCommand, app::SW_SHOW);
    EXPECT_EQ(test.shell.requests[1].file, folder + "//");
}

TEST_F(OutputDir, ViewOnTheRootFolderOpensTheRoot) {
    for (const char* text : {"/", "//", "///"}) {
        box->setEditText(text);
        test.form->Command11_Click();
    }
    box->setEditText(QStringLiteral("//") + q(test.folder.path()));
    test.form->Command11_Click();
    ASSERT_EQ(test.shell.requests.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(test.shell.requests[i].file, QStringLiteral("/"));
    EXPECT_EQ(test.shell.requests[3].file, q(test.folder.path()) + "/");
}

TEST_F(OutputDir, UndoAfterTypingBringsBackTheWholeEntry) {
    fill({"/out/a", "/out/b"}, 1);
    box->show();
    QLineEdit* edit = box->lineEdit();
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, "/deeper");
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b/deeper"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b"));
    EXPECT_EQ(box->currentIndex(), -1); // still typed: the run creates what is not there
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b/deeper"));

    // An edit in the middle, and one that replaces the whole text.
    box->setCurrentIndex(0);
    edit->setCursorPosition(4);
    QTest::keyClicks(edit, "put");
    EXPECT_EQ(box->currentText(), QStringLiteral("/output/a"));
    EXPECT_EQ(edit->cursorPosition(), 7);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/a"));
    box->setCurrentIndex(1);
    edit->selectAll();
    QTest::keyClicks(edit, "/new");
    EXPECT_EQ(box->currentText(), QStringLiteral("/new"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/b"));
    EXPECT_EQ(entries(box), QStringList({"/out/a", "/out/b"}));
}

TEST_F(OutputDir, BrowseRefusesAHiddenFolderWithAMessage) {
    std::filesystem::create_directory(test.folder / ".hidden");
    fill({"/out/a"}, 0);
    browse(q(test.folder / ".hidden"));
    EXPECT_EQ(entries(box), QStringList({"/out/a"}));
    EXPECT_EQ(box->currentText(), QStringLiteral("/out/a"));
    ASSERT_EQ(test.messages.messages.size(), 1u);
    EXPECT_TRUE(test.messages.messages[0].text.contains(q(test.folder / ".hidden")));
    EXPECT_TRUE(test.messages.messages[0].text.contains(QStringLiteral("hidden folder")));
    EXPECT_EQ(test.messages.messages[0].icon, app::MessageIcon::Information);
    // A folder inside a hidden one is an ordinary folder.
    std::filesystem::create_directory(test.folder / ".hidden" / "out");
    browse(q(test.folder / ".hidden" / "out"));
    EXPECT_EQ(box->currentText(), q(test.folder / ".hidden" / "out"));
}

TEST_F(OutputDir, HistorySavedAtExitIsNewestFirst) {
    test.writeStateFile(QStringLiteral("set.txt"), {"0", "1"});
    fill({"/old"}, 0);
    for (int i = 0; i < 203; ++i)
        browse(QStringLiteral("/pick/%1").arg(i));
    test.form->Removeoutput_Click();            // the newest pick goes again
    box->setEditText(QStringLiteral("/typed")); // typed text is no history
    test.form->close();
    const QList<QByteArray> lines = test.stateFileBytes(QStringLiteral("output.txt")).split('\n');
    ASSERT_EQ(lines.size(), 202); // 201 lines and what follows the last line break
    EXPECT_EQ(lines[0], QByteArray("/pick/201\r"));
    EXPECT_EQ(lines[200], QByteArray("/pick/1\r"));
}

} // namespace
