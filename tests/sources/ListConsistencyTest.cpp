// The source, workbook and sheet lists stay in step whatever the user does with the mouse and
// the keyboard, and the pickers never add an entry whose workbooks cannot be used.

#include "sources/WorkbookList.h"
#include "tests/gui_support/ListContents.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QAction>
#include <QComboBox>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

using testing_support::q;
using testing_support::TestWindow;
using testing_support::texts;

class ListConsistency : public ::testing::Test {
protected:
    void SetUp() override {
        form = &test.loaded();
        std::filesystem::create_directories(books);
        book("a.xls", {"Sheet1", "Sheet2"});
        book("b.xls", {"Data"});
        test.dialogs.folderAnswers.push_back(q(books));
        form->Command5_Click();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        test.host.calls.clear();
    }

    QString book(const std::string& name, const QStringList& worksheets) {
        std::ofstream(books / name) << "x";
        const QString path = q(books / name);
        test.host.addWorkbook(path, worksheets);
        return path;
    }

    static QPoint centreOf(QTreeWidget* list, int position) {
        return list->visualItemRect(list->topLevelItem(position - 1)).center();
    }
    // A point of the list's viewport below its last item.
    static QPoint blankArea(QTreeWidget* list) {
        return QPoint(list->viewport()->width() / 2, list->viewport()->height() - 4);
    }
    static QString selected(const QTreeWidget* list) {
        const QList<QTreeWidgetItem*> items = list->selectedItems();
        return items.size() == 1 ? items.first()->text(0) : QStringLiteral("<none>");
    }

    // Every way a user might try to take the selection away from `list`, each followed by
    // `check`.
    static void tryToUnselect(QTreeWidget* list, int selectedPosition,
                              const std::function<void(const char*)>& check) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, blankArea(list));
        check("blank click");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          centreOf(list, selectedPosition));
        check("Ctrl+click");
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, blankArea(list));
        check("right click");
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        check("Ctrl+Space");
    }

    TestWindow test;
    app::form1* form = nullptr;
    std::filesystem::path books = test.folder / "books";
};

TEST_F(ListConsistency, BlankOrControlClickInTheSourceListKeepsTheSelectedEntry) {
    tryToUnselect(form->ListView1, 1, [&](const char* how) {
        EXPECT_EQ(selected(form->ListView1), q(books)) << how;
        EXPECT_EQ(texts(form->ListView2), QStringList({"a.xls", "b.xls"})) << how;
        EXPECT_EQ(sources::WorkbookPathAt(*form, 2), q(books / "b.xls")) << how;
    });

    // A workbook click still shows its sheets, and a run converts every checked workbook.
    QTest::mouseClick(form->ListView2->viewport(), Qt::LeftButton, {},
                      centreOf(form->ListView2, 2));
    EXPECT_EQ(texts(form->ListView3), QStringList({"Data"}));
    const testing_support::ScratchDir out;
    form->Combo5->setEditText(q(out.path()));
    form->Command6_Click();
    for (const QString& message : test.messages.texts())
        EXPECT_FALSE(message.contains(QStringLiteral("failed"))) << message.toStdString();
    EXPECT_TRUE(std::filesystem::exists(out / "a"));
    EXPECT_TRUE(std::filesystem::exists(out / "b"));
}

TEST_F(ListConsistency, BlankOrControlClickInTheWorkbookListKeepsTheSelectedWorkbook) {
    QTest::mouseClick(form->ListView2->viewport(), Qt::LeftButton, {},
                      centreOf(form->ListView2, 2));
    test.host.calls.clear();
    tryToUnselect(form->ListView2, 2, [&](const char* how) {
        EXPECT_EQ(selected(form->ListView2), QStringLiteral("b.xls")) << how;
        EXPECT_EQ(sources::SelectedWorkbookPath(*form), q(books / "b.xls")) << how;
        EXPECT_EQ(texts(form->ListView3), QStringList({"Data"})) << how;
        EXPECT_EQ(test.state->CurrentWorkbookIndex, 2) << how;
    });

    // Another item still replaces the selection, by mouse and by keyboard.
    QTest::mouseClick(form->ListView2->viewport(), Qt::LeftButton, {},
                      centreOf(form->ListView2, 1));
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2"}));
    QTest::keyClick(form->ListView2, Qt::Key_Down);
    EXPECT_EQ(selected(form->ListView2), QStringLiteral("b.xls"));
    EXPECT_EQ(texts(form->ListView3), QStringList({"Data"}));
}

TEST_F(ListConsistency, RemovingTheLastSourceEntryLeavesNoStaleLists) {
    form->Command2_Click();
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 0);
}

TEST_F(ListConsistency, HiddenFolderOrFileIsRefusedByThePickers) {
    const std::filesystem::path hidden = test.folder / ".books";
    std::filesystem::create_directory(hidden);
    std::ofstream(hidden / "c.xls") << "x";
    test.host.addWorkbook(q(hidden / "c.xls"), {"C1"});
    std::ofstream(books / ".d.xls") << "x";
    test.dialogs.folderAnswers.push_back(q(hidden));
    form->Command5_Click();
    test.dialogs.folderAnswers.push_back(q(hidden) + "/");
    form->AddFolder->trigger();
    test.dialogs.openAnswers.push_back(q(books / ".d.xls"));
    form->Command1_Click();

    EXPECT_EQ(texts(form->ListView1), QStringList({q(books)}));
    EXPECT_EQ(texts(form->ListView2), QStringList({"a.xls", "b.xls"}));
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2"}));
    EXPECT_TRUE(test.host.calls.isEmpty());
    ASSERT_EQ(test.messages.messages.size(), 3u);
    EXPECT_TRUE(
        test.messages.messages[0].text.startsWith("\"" + q(hidden) + "\" is a hidden folder"));
    EXPECT_TRUE(test.messages.messages[2].text.contains(QStringLiteral("is a hidden file")));
    EXPECT_EQ(test.messages.messages[0].icon, app::MessageIcon::Information);

    // Inside a hidden folder, an ordinary folder is accepted and its workbooks work.
    std::filesystem::create_directory(hidden / "inner");
    std::ofstream(hidden / "inner" / "e.xls") << "x";
    test.host.addWorkbook(q(hidden / "inner" / "e.xls"), {"E1"});
    test.dialogs.folderAnswers.push_back(q(hidden / "inner"));
    form->Command5_Click();
    EXPECT_EQ(texts(form->ListView3), QStringList({"E1"}));
    EXPECT_EQ(sources::WorkbookPathAt(*form, 1), q(hidden / "inner" / "e.xls"));
}

// Entries of a source list saved before the pickers refused hidden folders.
TEST_F(ListConsistency, RestoredHiddenFolderListsNoWorkbookThatCannotBeUsed) {
    const std::filesystem::path hidden = test.folder / ".books";
    std::filesystem::create_directory(hidden);
    std::ofstream(hidden / "c.xls") << "x";
    auto* entry = new QTreeWidgetItem(QStringList{q(hidden)});
    form->ListView1->addTopLevelItem(entry);
    QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {},
                      centreOf(form->ListView1, 2));
    EXPECT_EQ(form->ListView1->currentItem(), entry);
    EXPECT_EQ(form->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 0);
}

} // namespace
