// The source entry commands with scripted pickers and the fake host: what each leaves in the
// three lists and the sheet table.

#include "tests/gui_support/ListContents.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QAction>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using testing_support::icons;
using testing_support::q;
using testing_support::texts;

using app::MousePointer;
using testing_support::TestWindow;

class SourceCommands : public ::testing::Test {
protected:
    void SetUp() override {
        form = &test.loaded();
        test.host.calls.clear();
        std::filesystem::create_directories(books);
        first = book("first.xls", {"F1", "F2"});
    }

    QString book(const std::string& name, const QStringList& worksheets) {
        std::ofstream(books / name) << "x";
        const QString path = q(books / name);
        test.host.addWorkbook(path, worksheets);
        return path;
    }

    // Add Excel with the picker answering `path`.
    void addExcel(const QString& path) {
        test.dialogs.openAnswers.push_back(path);
        form->Command1_Click();
    }

    void addFolder(const std::optional<QString>& path) {
        test.dialogs.folderAnswers.push_back(path);
        form->Command5_Click();
    }

    // Entries as a restored source list has them, the first selected, nothing listed.
    void restore(const QStringList& paths, const QList<int>& entryIcons) {
        for (qsizetype i = 0; i < paths.size(); ++i) {
            auto* entry = new QTreeWidgetItem(QStringList{paths[i]});
            form->setSmallIcon(entry, entryIcons[i]);
            form->ListView1->addTopLevelItem(entry);
        }
        form->ListView1->setCurrentItem(form->ListView1->topLevelItem(0));
    }

    void selectSource(int position) {
        form->ListView1->setCurrentItem(form->ListView1->topLevelItem(position - 1));
    }

    QString selectedSource() const {
        const QList<QTreeWidgetItem*> selected = form->ListView1->selectedItems();
        return selected.size() == 1 ? selected.first()->text(0) : QStringLiteral("<none>");
    }

    TestWindow test;
    app::form1* form = nullptr;
    std::filesystem::path books = test.folder / "books";
    QString first;
};

TEST_F(SourceCommands, AddExcelAddsSelectsListsAndReads) {
    addExcel(first);
    ASSERT_EQ(test.dialogs.openRequests.size(), 1u);
    EXPECT_EQ(test.dialogs.openRequests[0].title, QStringLiteral("Select Excel File"));
    EXPECT_EQ(test.dialogs.openRequests[0].filterName,
              QStringLiteral("Excel files(*.xls;*.xlsx;*.xlsm;*.xlsb)"));
    EXPECT_EQ(test.dialogs.openRequests[0].pattern, QStringLiteral("*.xl*"));
    EXPECT_EQ(texts(form->ListView1), QStringList({first}));
    EXPECT_EQ(icons(form->ListView1), QList<int>({app::WorkbookFileIcon}));
    EXPECT_EQ(selectedSource(), first);
    EXPECT_EQ(texts(form->ListView2), QStringList({"first.xls"}));
    EXPECT_EQ(texts(form->ListView3), QStringList({"F1", "F2"}));
    // The rows the refill stored stay: the workbook can be shown again from them.
    EXPECT_EQ(test.state->SheetTable.at(1, 2, 0), "F2");
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
    EXPECT_EQ(test.host.liveInstances(), 0);

    // The same workbook again, from the menu: a second entry with the same text.
    test.dialogs.openAnswers.push_back(first);
    form->AddExcel->trigger();
    EXPECT_EQ(texts(form->ListView1), QStringList({first, first}));
    EXPECT_EQ(form->ListView1->currentItem(), form->ListView1->topLevelItem(1));
}

TEST_F(SourceCommands, AfterAddExcelAClearedMarkSurvivesClickingTheWorkbook) {
    addExcel(first);
    form->ListView3->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form->ListView2_ItemClick();
    EXPECT_EQ(form->ListView3->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(test.host.callsOf({"Open"}).size(), 1);
}

TEST_F(SourceCommands, CancelledPickersChangeNothing) {
    addExcel(first);
    form->ListView3->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    const QStringList calls = test.host.calls;
    form->Command1_Click(); // no answer scripted: cancelled
    form->Command5_Click();
    EXPECT_EQ(test.dialogs.openRequests.size(), 2u);
    EXPECT_EQ(test.dialogs.folderInstructions,
              QStringList({QStringLiteral("Add all excel files in folder")}));
    EXPECT_EQ(texts(form->ListView1), QStringList({first}));
    EXPECT_EQ(texts(form->ListView2), QStringList({"first.xls"}));
    EXPECT_EQ(form->ListView3->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(test.state->SheetTable.at(1, 1, 0), "F1");
    EXPECT_EQ(test.host.calls, calls);
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
}

TEST_F(SourceCommands, AddFolderWithoutWorkbooksKeepsTheSheetList) {
    addExcel(first);
    std::filesystem::create_directory(test.folder / "empty");
    std::ofstream(test.folder / "empty" / "readme.txt") << "x";
    addFolder(q(test.folder / "empty"));
    EXPECT_EQ(texts(form->ListView1), QStringList({first, q(test.folder / "empty")}));
    EXPECT_EQ(icons(form->ListView1), QList<int>({app::WorkbookFileIcon, app::FolderIcon}));
    EXPECT_EQ(selectedSource(), q(test.folder / "empty"));
    EXPECT_EQ(form->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(texts(form->ListView3), QStringList({"F1", "F2"}));
    EXPECT_EQ(test.state->SheetTable.allocatedRows(), 0u);
}

TEST_F(SourceCommands, AddFolderOfAnOddPathListsAndReadsItsWorkbooks) {
    // Blanks, quotes, non-ASCII letters and the separator the picker may leave at the end.
    const std::filesystem::path odd = test.folder / "My 'Books' \"Ü\" 2024";
    std::filesystem::create_directory(odd);
    std::ofstream(odd / "b.xls") << "x";
    std::ofstream(odd / "a.xlsx") << "x";
    test.host.addWorkbook(q(odd / "a.xlsx"), {"Übersicht"});
    addFolder(q(odd) + "/");
    EXPECT_EQ(texts(form->ListView1), QStringList({q(odd) + "/"}));
    EXPECT_EQ(texts(form->ListView2), QStringList({"a.xlsx", "b.xls"}));
    EXPECT_EQ(test.host.callsOf({"Open"}), QStringList({"Open(" + q(odd / "a.xlsx") + ")"}));
    EXPECT_EQ(texts(form->ListView3), QStringList({"Übersicht"}));
}

TEST_F(SourceCommands, AddFolderThatIsNoFolderAddsNothing) {
    addFolder(QString());
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
    EXPECT_TRUE(test.host.calls.isEmpty());
}

TEST_F(SourceCommands, AFailingWorkbookStillAddsTheEntry) {
    const QString broken = q(books / "broken.xls");
    std::ofstream(books / "broken.xls") << "x"; // the host cannot open it
    addExcel(broken);
    EXPECT_EQ(texts(form->ListView1), QStringList({broken}));
    EXPECT_EQ(test.messages.texts().value(1), QStringLiteral("Excel file open failed!"));
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
    EXPECT_EQ(test.host.liveInstances(), 0);
}

TEST_F(SourceCommands, RemoveFileSelectsTheNeighbourAbove) {
    const QString second = book("second.xls", {"S1"});
    const QString third = book("third.xls", {"T1"});
    restore({first, second, third}, {1, 1, 1});

    selectSource(3);
    form->Command2_Click();
    EXPECT_EQ(texts(form->ListView1), QStringList({first, second}));
    EXPECT_EQ(selectedSource(), second);
    EXPECT_EQ(texts(form->ListView2), QStringList({"second.xls"}));
    EXPECT_EQ(texts(form->ListView3), QStringList({"S1"}));

    selectSource(1);
    form->RemoveItem->trigger();
    EXPECT_EQ(texts(form->ListView1), QStringList({second}));
    EXPECT_EQ(selectedSource(), second);

    form->Command2_Click();
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 0);
    EXPECT_EQ(test.state->SheetTable.allocatedRows(), 0u);

    form->Command2_Click(); // empty list: nothing to do
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
    EXPECT_TRUE(std::filesystem::exists(books / "second.xls")); // nothing on disk is touched
}

TEST_F(SourceCommands, RemoveFileOntoAVanishedSourceLeavesTheSheetList) {
    restore({q(books / "gone"), first}, {app::MissingPathIcon, 1});
    selectSource(2);
    form->ListView1_ItemClick();
    ASSERT_EQ(texts(form->ListView3), QStringList({"F1", "F2"}));
    form->Command2_Click();
    EXPECT_EQ(selectedSource(), q(books / "gone"));
    EXPECT_EQ(form->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(texts(form->ListView3), QStringList({"F1", "F2"}));
    EXPECT_TRUE(test.messages.messages.empty());
}

TEST_F(SourceCommands, RemoveAllEmptiesEverythingAtOnce) {
    addExcel(first);
    addExcel(first);
    form->RemoveAll->trigger();
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 0);
    EXPECT_EQ(test.state->SheetTable.allocatedRows(), 0u);
    EXPECT_TRUE(test.messages.messages.empty());
    form->RemoveAll_Click();
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
}

TEST_F(SourceCommands, MovesKeepIconsSelectionAndEverythingElse) {
    const QStringList paths = {"/e1", "/e2", "/e3", "/e4", "/e5"};
    restore(paths, {1, 2, 3, 1, 2});
    addExcel(first); // lists and sheets of its own, which the moves must not touch
    const QStringList calls = test.host.calls;

    selectSource(3);
    form->Command3_Click();
    EXPECT_EQ(texts(form->ListView1), QStringList({"/e1", "/e3", "/e2", "/e4", "/e5", first}));
    EXPECT_EQ(icons(form->ListView1), QList<int>({1, 3, 2, 1, 2, 1}));
    EXPECT_EQ(selectedSource(), QStringLiteral("/e3"));

    selectSource(1);
    form->Command3_Click(); // already at the top
    selectSource(6);
    form->Command4_Click(); // already at the bottom
    EXPECT_EQ(texts(form->ListView1), QStringList({"/e1", "/e3", "/e2", "/e4", "/e5", first}));

    selectSource(5);
    form->Command4_Click();
    EXPECT_EQ(texts(form->ListView1), QStringList({"/e1", "/e3", "/e2", "/e4", first, "/e5"}));
    EXPECT_EQ(selectedSource(), QStringLiteral("/e5"));
    EXPECT_EQ(texts(form->ListView2), QStringList({"first.xls"}));
    EXPECT_EQ(texts(form->ListView3), QStringList({"F1", "F2"}));
    EXPECT_EQ(test.state->SheetTable.at(1, 1, 0), "F1");
    EXPECT_EQ(test.host.calls, calls);

    form->ListView1->clearSelection();
    form->Command3_Click(); // nothing selected: nothing to do
    form->RemoveAll_Click();
    form->Command3_Click();
    form->Command4_Click();
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
}

TEST_F(SourceCommands, MovedOrderIsTheOrderSavedAtExit) {
    test.writeStateFile(QStringLiteral("set.txt"), {"1", "0"});
    restore({"/e1", "/e2", "/e3", "/e4", "/e5"}, {1, 1, 1, 1, 1});
    selectSource(3);
    form->Command3_Click();
    selectSource(4);
    form->Command4_Click();
    selectSource(1);
    form->Command2_Click();
    form->close();
    EXPECT_EQ(test.stateFileBytes(QStringLiteral("EXCEL.txt")),
              QByteArray("/e3\r\n/e2\r\n/e5\r\n/e4\r\n"));
}

} // namespace
