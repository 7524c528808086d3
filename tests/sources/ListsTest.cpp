// The workbook list, the sheet list and the sheet table against the fake host: what is listed,
// the order of the host's calls, the failure paths and the choices remembered per workbook.

#include "sources/CheckBoxClicks.h"
#include "sources/SheetList.h"
#include "sources/WorkbookList.h"
#include "tests/gui_support/ListContents.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using testing_support::marks;
using testing_support::q;
using testing_support::texts;

using app::MousePointer;
using testing_support::TestWindow;

class Lists : public ::testing::Test {
protected:
    void SetUp() override {
        form = &test.loaded();
        std::filesystem::create_directory(books);
        test.host.calls.clear();
    }

    // A workbook file in the books folder that the fake host can open.
    QString book(const std::string& name, const QStringList& worksheets,
                 const QStringList& sheets = {}) {
        std::ofstream(books / name) << "x";
        const QString path = q(books / name);
        test.host.addWorkbook(path, worksheets, sheets);
        return path;
    }

    // A source entry, selected, as the source commands leave it.
    void selectSource(const QString& path) {
        auto* entry = new QTreeWidgetItem(QStringList{path});
        form->ListView1->addTopLevelItem(entry);
        form->ListView1->setCurrentItem(entry);
    }

    // The user selects workbook `position` (1-based) and the list reports the click.
    void clickWorkbook(int position) {
        form->ListView2->setCurrentItem(form->ListView2->topLevelItem(position - 1));
        form->ListView2_ItemClick();
    }

    void setMark(int position, bool checked) {
        form->ListView3->topLevelItem(position - 1)
            ->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }

    // A folder entry of workbooks a.xls (Sheet1..3), b.xls (Data, Notes), listed and selected.
    void twoWorkbooks() {
        book("a.xls", {"Sheet1", "Sheet2", "Sheet3"});
        book("b.xls", {"Data", "Notes"});
        selectSource(q(books));
        form->ListView1_ItemClick();
    }

    TestWindow test;
    app::form1* form = nullptr;
    std::filesystem::path books = test.folder / "books";
};

TEST_F(Lists, FileEntryListsItselfChecked) {
    const QString path = book("Report.XLSB.old", {"S"});
    selectSource(path);
    test.state->SheetTable.set(1, 1, 0, "stale");
    sources::LoadWorkbookList(*form, path);
    EXPECT_EQ(texts(form->ListView2), QStringList({"Report.XLSB.old"}));
    EXPECT_EQ(marks(form->ListView2), QStringLiteral("1"));
    EXPECT_EQ(form->ListView2->currentItem(), form->ListView2->topLevelItem(0));
    EXPECT_TRUE(test.state->SheetTable.at(1, 1, 0).empty());
    EXPECT_TRUE(test.host.calls.isEmpty()); // listing never starts the host
    // A file entry is its own workbook at every position.
    EXPECT_EQ(sources::SelectedWorkbookPath(*form), path);
    EXPECT_EQ(sources::WorkbookPathAt(*form, 1), path);
}

TEST_F(Lists, FolderEntryListsItsWorkbooksChecked) {
    book("b.xls", {"S"});
    book("a.xls", {"S"});
    std::ofstream(books / "notes.txt") << "x";
    selectSource(q(books));
    sources::LoadWorkbookList(*form, q(books));
    EXPECT_EQ(texts(form->ListView2), QStringList({"a.xls", "b.xls"}));
    EXPECT_EQ(marks(form->ListView2), QStringLiteral("11"));
    EXPECT_FALSE(form->ListView2->isHidden());
}

TEST_F(Lists, AtMostFiveHundredWorkbooks) {
    for (int i = 0; i < 620; ++i)
        std::ofstream(books / ("w" + std::to_string(1000 + i) + ".xls")) << "x";
    sources::LoadWorkbookList(*form, q(books));
    ASSERT_EQ(form->ListView2->topLevelItemCount(), 500);
    EXPECT_EQ(form->ListView2->topLevelItem(499)->text(0), QStringLiteral("w1499.xls"));
}

TEST_F(Lists, NothingListedForMissingOrEmptySources) {
    std::filesystem::create_directory(books / "sub");
    for (const QString& source : {q(books), q(books / "gone"), QString()}) {
        form->ListView2->addTopLevelItem(new QTreeWidgetItem(QStringList{"old"}));
        sources::LoadWorkbookList(*form, source);
        EXPECT_EQ(form->ListView2->topLevelItemCount(), 0) << source.toStdString();
    }
}

TEST_F(Lists, WorkbookPathsFollowTheEntryAndSurviveNothing) {
    book("a.xls", {"S"});
    const QString second = book("b.xls", {"S"});
    book("c.xls", {"S"});
    selectSource(q(books) + "/"); // a folder as the picker may return it, with its separator
    sources::LoadWorkbookList(*form, q(books) + "/");
    form->ListView2->setCurrentItem(form->ListView2->topLevelItem(1));
    EXPECT_EQ(sources::SelectedWorkbookPath(*form), second);
    EXPECT_EQ(sources::WorkbookPathAt(*form, 3), q(books / "c.xls"));
    EXPECT_EQ(sources::WorkbookPathAt(*form, 0), QString());
    EXPECT_EQ(sources::WorkbookPathAt(*form, 4), QString());
    std::filesystem::remove(books / "b.xls");
    EXPECT_EQ(sources::SelectedWorkbookPath(*form), QString());
    form->ListView2->clearSelection();
    EXPECT_EQ(sources::SelectedWorkbookPath(*form), QString());
    form->ListView1->clearSelection();
    EXPECT_EQ(sources::WorkbookPathAt(*form, 1), QString());
}

TEST_F(Lists, SheetsAreReadThroughTheHostInOrder) {
    const QString path = book("a.xls", {"Sheet1", "Sheet2"}, {"Sheet1", "Chart1", "Sheet2"});
    selectSource(path);
    form->ListView1_ItemClick();
    EXPECT_EQ(test.host.calls,
              QStringList({"CreateObject(Excel.Application)", "Workbooks", "Open(" + path + ")",
                           "DisplayAlerts=false", "Worksheets", "Count", "Worksheets(1)", "Name",
                           "Worksheets(2)", "Name", "Close", "Quit"}));
    EXPECT_EQ(test.host.liveInstances(), 0);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2"})); // no chart sheet
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("11"));
    EXPECT_EQ(test.state->CurrentWorkbookIndex, 1);
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
    EXPECT_TRUE(test.messages.messages.empty());
}

TEST_F(Lists, EveryHostFailureEndsTheHostAndIsShownTwice) {
    struct Row {
        const char* member;
        int occurrence;
        QStringList sheetsLeft;
        bool closes; // Close is called, in the normal steps or after the failure
    } rows[] = {
        {"CreateObject", 1, {}, false},
        {"Workbooks", 1, {}, false},
        {"Open", 1, {}, false},
        {"DisplayAlerts", 1, {}, true},
        {"Count", 1, {}, true},
        {"Name", 2, {"One"}, true},
        {"Close", 1, {"One", "Two"}, true},
        {"Quit", 1, {"One", "Two"}, true},
    };
    for (const Row& row : rows) {
        TestWindow fresh;
        app::form1& window = fresh.loaded();
        testing_support::ScratchDir dir;
        std::ofstream(dir / "a.xls") << "x";
        const QString path = q(dir / "a.xls");
        fresh.host.addWorkbook(path, {"One", "Two"});
        // Start-up has made calls of its own: count on from them.
        const QString member = QString::fromLatin1(row.member);
        const int before = static_cast<int>(fresh.host.callsOf({member}).size());
        fresh.host.failOn(member, QStringLiteral("it broke"), before + row.occurrence);
        auto* entry = new QTreeWidgetItem(QStringList{path});
        window.ListView1->addTopLevelItem(entry);
        window.ListView1->setCurrentItem(entry);
        QList<MousePointer> pointers;
        fresh.messages.onMessage = [&](const auto&) { pointers << window.mousePointer(); };
        fresh.host.calls.clear();
        window.ListView1_ItemClick();

        SCOPED_TRACE(row.member);
        ASSERT_EQ(fresh.messages.texts(), QStringList({"it broke", "Excel file open failed!"}));
        EXPECT_EQ(fresh.messages.messages[0].icon, app::MessageIcon::Critical);
        EXPECT_EQ(fresh.messages.messages[1].icon, app::MessageIcon::Critical);
        // The messages come while the hourglass is up; it is gone afterwards.
        EXPECT_EQ(pointers,
                  QList<MousePointer>({MousePointer::Hourglass, MousePointer::Hourglass}));
        EXPECT_EQ(window.mousePointer(), MousePointer::Default);
        EXPECT_EQ(fresh.host.liveInstances(), 0);
        const QStringList ends = fresh.host.callsOf({"Close", "Quit"});
        if (row.member != std::string("CreateObject")) {
            EXPECT_EQ(ends.count("Quit"), row.member == std::string("Quit") ? 2 : 1);
        }
        EXPECT_EQ(ends.contains("Close"), row.closes);
        EXPECT_EQ(texts(window.ListView3), row.sheetsLeft);
        EXPECT_EQ(fresh.state->CurrentWorkbookIndex, 1);
    }
}

TEST_F(Lists, ChoicesAreRememberedPerWorkbook) {
    twoWorkbooks();
    clickWorkbook(1); // the source click dropped a's rows: read afresh
    setMark(2, false);
    clickWorkbook(2);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Data", "Notes"}));
    setMark(1, false);
    test.host.calls.clear();
    clickWorkbook(1);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("101"));
    EXPECT_TRUE(test.host.calls.isEmpty()); // shown from the table
    clickWorkbook(2);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("01"));
    EXPECT_EQ(test.state->SheetTable.at(1, 2, 1), "");
    EXPECT_EQ(test.state->SheetTable.at(1, 3, 1), "1");
    EXPECT_TRUE(test.state->WorkbookListFresh);
}

TEST_F(Lists, SameWorkbookAfterASourceClickIsReadAfresh) {
    twoWorkbooks();
    EXPECT_TRUE(test.state->SheetTable.at(1, 1, 0).empty()); // dropped after the click
    setMark(1, false);
    clickWorkbook(1);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("111"));
    EXPECT_EQ(test.host.callsOf({"Open"}).size(), 2);
    // Now the column holds rows: a cleared mark survives clicking the same workbook.
    setMark(3, false);
    clickWorkbook(1);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("110"));
    EXPECT_EQ(test.host.callsOf({"Open"}).size(), 2);
}

TEST_F(Lists, ClickingTheSelectedSourceAgainResetsEverything) {
    twoWorkbooks();
    form->ListView2->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    clickWorkbook(2);
    setMark(1, false);
    form->ListView1_ItemClick();
    EXPECT_EQ(marks(form->ListView2), QStringLiteral("11"));
    EXPECT_EQ(form->ListView2->currentItem(), form->ListView2->topLevelItem(0));
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(test.state->SheetTable.allocatedRows(), 0u);
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
}

TEST_F(Lists, WorkbookDeletedAfterListingChangesNothing) {
    twoWorkbooks();
    setMark(2, false);
    std::filesystem::remove(books / "b.xls");
    test.host.calls.clear();
    clickWorkbook(2);
    EXPECT_TRUE(test.host.calls.isEmpty());
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(test.state->CurrentWorkbookIndex, 1);
    EXPECT_TRUE(test.messages.messages.empty());
    // The choices on screen still belong to the first workbook.
    sources::StoreSheetChecks(*form);
    EXPECT_EQ(test.state->SheetTable.at(1, 2, 0), "Sheet2");
    EXPECT_EQ(test.state->SheetTable.at(1, 2, 1), "");
    EXPECT_TRUE(test.state->SheetTable.at(2, 1, 0).empty());
}

TEST_F(Lists, DamagedWorkbookLeavesAnEmptySheetList) {
    twoWorkbooks();
    std::ofstream(books / "bad.xls") << "not a workbook"; // unknown to the host: Open fails
    form->ListView1_ItemClick();
    EXPECT_EQ(texts(form->ListView2), QStringList({"a.xls", "b.xls", "bad.xls"}));
    test.messages.messages.clear();
    clickWorkbook(3);
    EXPECT_EQ(test.messages.texts().value(1), QStringLiteral("Excel file open failed!"));
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 0);
    EXPECT_EQ(test.state->CurrentWorkbookIndex, 3);
    EXPECT_EQ(test.host.liveInstances(), 0);
    // What the first workbook showed was saved before the failure.
    EXPECT_EQ(test.state->SheetTable.at(1, 3, 0), "Sheet3");
}

TEST_F(Lists, FiveThousandSheetsAreKeptAndMoreAreOnlyShown) {
    QStringList many;
    for (int i = 1; i <= 5003; ++i)
        many << QStringLiteral("S%1").arg(i);
    book("a.xls", many);
    book("b.xls", {"Data"});
    selectSource(q(books));
    form->ListView1_ItemClick();
    clickWorkbook(1); // read afresh, rows stored
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 5003);
    EXPECT_EQ(test.state->SheetTable.at(1, 5000, 0), "S5000");
    setMark(5000, false);
    clickWorkbook(2);
    clickWorkbook(1);
    ASSERT_EQ(form->ListView3->topLevelItemCount(), 5000);
    EXPECT_EQ(form->ListView3->topLevelItem(4999)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(form->ListView3->topLevelItem(4998)->checkState(0), Qt::Checked);
}

TEST_F(Lists, StoreKeepsRowsBeyondTheList) {
    test.state->CurrentWorkbookIndex = 4;
    for (int row = 1; row <= 3; ++row)
        test.state->SheetTable.set(4, row, 0, "old" + std::to_string(row));
    form->ListView3->addTopLevelItem(new QTreeWidgetItem(QStringList{"new"}));
    form->ListView3->topLevelItem(0)->setCheckState(0, Qt::Checked);
    sources::StoreSheetChecks(*form);
    EXPECT_EQ(test.state->SheetTable.at(4, 1, 0), "new");
    EXPECT_EQ(test.state->SheetTable.at(4, 1, 1), "1");
    EXPECT_EQ(test.state->SheetTable.at(4, 2, 0), "old2");
}

TEST_F(Lists, NoSelectedWorkbookShowsNothing) {
    const QString path = book("a.xls", {"S"});
    selectSource(path);
    sources::LoadWorkbookList(*form, path);
    form->ListView2->clearSelection();
    form->ListView2_ItemClick();
    EXPECT_TRUE(test.host.calls.isEmpty());
    EXPECT_EQ(test.state->CurrentWorkbookIndex, 0);
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
}

TEST_F(Lists, MouseClicksOnItemsAndOnCheckBoxes) {
    twoWorkbooks();
    form->show();
    QTreeWidget* workbooks = form->ListView2;
    QTreeWidgetItem* second = workbooks->topLevelItem(1);
    const QRect box = sources::CheckBoxRect(workbooks, second);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_LT(box.left(), workbooks->visualItemRect(second).left() + 30);

    // The check box: the mark changes, nothing is selected and no click is reported.
    QSignalSpy clicks(workbooks, &QTreeWidget::itemClicked);
    QTest::mouseClick(workbooks->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(second->checkState(0), Qt::Unchecked);
    EXPECT_EQ(workbooks->currentItem(), workbooks->topLevelItem(0));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2", "Sheet3"}));
    QTest::mouseClick(workbooks->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(second->checkState(0), Qt::Checked);
    // A double click is a click, a press, a double-click event and a release: two changes.
    QTest::mouseClick(workbooks->viewport(), Qt::LeftButton, {}, box.center());
    QTest::mousePress(workbooks->viewport(), Qt::LeftButton, {}, box.center());
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, box.center(),
                            workbooks->viewport()->mapToGlobal(box.center()), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(workbooks->viewport(), &doubleClick);
    QTest::mouseRelease(workbooks->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(second->checkState(0), Qt::Checked);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(workbooks->currentItem(), workbooks->topLevelItem(0));

    // The item itself: selected, and its sheets shown.
    const QRect row = workbooks->visualItemRect(second);
    QTest::mouseClick(workbooks->viewport(), Qt::LeftButton, {},
                      QPoint(row.right() - 20, row.center().y()));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Data", "Notes"}));
    EXPECT_EQ(second->checkState(0), Qt::Checked);

    // A sheet's check box changes its mark only.
    QTreeWidgetItem* notes = form->ListView3->topLevelItem(1);
    QTest::mouseClick(form->ListView3->viewport(), Qt::LeftButton, {},
                      sources::CheckBoxRect(form->ListView3, notes).center());
    EXPECT_EQ(notes->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(notes->isSelected());

    // A source entry clicked with the mouse refills both lists.
    const QRect source = form->ListView1->visualItemRect(form->ListView1->topLevelItem(0));
    QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, source.center());
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2", "Sheet3"}));
}

// The keyboard and a drag change the selection without a click on one item; the lists below
// follow the selection all the same, so a run never pairs one folder with another's workbooks.
TEST_F(Lists, SelectingWithTheKeyboardOrByDraggingCountsAsAClick) {
    twoWorkbooks();
    form->show();
    QTreeWidget* workbooks = form->ListView2;
    QTest::keyClick(workbooks, Qt::Key_Down);
    EXPECT_EQ(test.state->CurrentWorkbookIndex, 2);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Data", "Notes"}));
    QTest::keyClick(workbooks, Qt::Key_Up);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1", "Sheet2", "Sheet3"}));

    const std::filesystem::path others = test.folder / "others";
    std::filesystem::create_directory(others);
    std::ofstream(others / "c.xls") << "x";
    test.host.addWorkbook(q(others / "c.xls"), {"C1"});
    form->ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{q(others)}));
    QTest::keyClick(form->ListView1, Qt::Key_Down);
    EXPECT_EQ(texts(workbooks), QStringList({"c.xls"}));
    EXPECT_EQ(texts(form->ListView3), QStringList({"C1"}));
    EXPECT_EQ(sources::WorkbookPathAt(*form, 1), q(others / "c.xls"));

    // Pressed on the second entry, released on the first.
    QWidget* sourceArea = form->ListView1->viewport();
    const QPoint firstEntry =
        form->ListView1->visualItemRect(form->ListView1->topLevelItem(0)).center();
    const QPoint secondEntry =
        form->ListView1->visualItemRect(form->ListView1->topLevelItem(1)).center();
    QTest::mousePress(sourceArea, Qt::LeftButton, {}, secondEntry);
    QMouseEvent drag(QEvent::MouseMove, firstEntry, sourceArea->mapToGlobal(firstEntry),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(sourceArea, &drag);
    QTest::mouseRelease(sourceArea, Qt::LeftButton, {}, firstEntry);
    EXPECT_EQ(form->ListView1->currentItem(), form->ListView1->topLevelItem(0));
    EXPECT_EQ(texts(workbooks), QStringList({"a.xls", "b.xls"}));

    // A plain click is still one click: the workbook is read once.
    test.host.calls.clear();
    QTest::mouseClick(sourceArea, Qt::LeftButton, {}, secondEntry);
    EXPECT_EQ(test.host.callsOf({"Open"}).size(), 1);
    EXPECT_EQ(texts(form->ListView3), QStringList({"C1"}));
    EXPECT_EQ(form->mousePointer(), MousePointer::Default);
}

} // namespace
