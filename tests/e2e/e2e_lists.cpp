// The source, workbook and sheet lists with the real spreadsheet host on corpus workbooks.

#include "automation/Factory.h"
#include "tests/gui_support/ListContents.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using testing_support::marks;
using testing_support::q;
using testing_support::texts;

using testing_support::corpusFile;
using testing_support::TestWindow;

// Host processes this test process started and that are still running.
int runningHosts() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid() &&
            name == "(quillmere-host)" && state != "Z")
            ++count;
    }
    return count;
}

class ListsWithHost : public ::testing::Test {
protected:
    void SetUp() override {
        // The real host instead of the fake one.
        test.services = std::make_unique<app::Services>(
            app::Services{host, test.dialogs, test.shell, test.messages, test.random,
                          test.services->programFolder, test.services->stateFolder});
        form = &test.loaded();
        std::filesystem::create_directory(books);
    }

    // A corpus workbook copied into the books folder under `name`.
    QString copy(const std::string& corpusName, const std::string& name) {
        std::filesystem::copy_file(corpusFile(corpusName), books / name);
        return q(books / name);
    }

    void clickWorkbook(int position) {
        form->ListView2->setCurrentItem(form->ListView2->topLevelItem(position - 1));
        form->ListView2_ItemClick();
    }

    void clear(int sheet) {
        QTreeWidgetItem* item = form->ListView3->topLevelItem(sheet - 1);
        if (item == nullptr)
            return ADD_FAILURE() << "no sheet " << sheet;
        item->setCheckState(0, Qt::Unchecked);
    }

    automation::HostFactory host{QM_BINARY_DIR "/bin"};
    TestWindow test;
    app::form1* form = nullptr;
    std::filesystem::path books = test.folder / "books";
};

TEST_F(ListsWithHost, WorksheetNamesWithoutChartSheets) {
    copy("xlsx/calamine-any_sheets.xlsx", "any.xlsx");
    copy("xlsx/edr-TestMultiSheet.xlsx", "Multi.xlsx");
    copy("xlsx/calamine-issue127.xlsx", "eight.xlsm");
    test.dialogs.folderAnswers.push_back(q(books));
    form->Command5_Click();
    ASSERT_EQ(texts(form->ListView2), QStringList({"any.xlsx", "eight.xlsm", "Multi.xlsx"}));
    EXPECT_TRUE(test.messages.messages.empty()) << test.messages.texts().join('\n').toStdString();
    EXPECT_EQ(texts(form->ListView3), QStringList({"Visible", "Hidden", "VeryHidden"}));
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("111"));
    clickWorkbook(2);
    EXPECT_EQ(form->ListView3->topLevelItemCount(), 8);
    clickWorkbook(3);
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet2", "Sheet1", "Sheet3"}));
    EXPECT_TRUE(test.messages.messages.empty());
}

TEST_F(ListsWithHost, BinaryWorkbookSheetNames) {
    copy("xls/calamine-any_sheets.xls", "any.xls");
    copy("xls/xlrd-profiles.xls", "Profiles.xls");
    test.dialogs.folderAnswers.push_back(q(books));
    form->Command5_Click();
    EXPECT_TRUE(test.messages.messages.empty()) << test.messages.texts().join('\n').toStdString();
    EXPECT_EQ(texts(form->ListView3), QStringList({"Visible", "Hidden", "VeryHidden"}));
    clickWorkbook(2);
    EXPECT_EQ(texts(form->ListView3), QStringList({"PROFILEDEF", "AXISDEF", "TRAVERSALCHAINAGE",
                                                   "AXISDATUMLEVELS", "PROFILELEVELS"}));
}

TEST_F(ListsWithHost, MarksAreRememberedPerWorkbook) {
    copy("xlsx/calamine-any_sheets.xlsx", "a.xlsx");
    copy("xlsx/edr-TestMultiSheet.xlsx", "b.xlsx");
    test.dialogs.folderAnswers.push_back(q(books));
    form->Command5_Click();
    clear(2);
    clickWorkbook(2);
    clear(1);
    clickWorkbook(1);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("101"));
    clickWorkbook(2);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("011"));
}

TEST_F(ListsWithHost, ClickingTheSameWorkbookAgain) {
    const QString path = copy("xlsx/calamine-issue127.xlsx", "p.xlsx");
    // Right after Add Excel the workbook's rows are kept: a cleared mark stays cleared.
    test.dialogs.openAnswers.push_back(path);
    form->Command1_Click();
    clear(2);
    clickWorkbook(1);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("10111111"));
    // Right after a click on the source entry they are dropped: the file is read afresh.
    form->ListView1_ItemClick();
    clear(2);
    clickWorkbook(1);
    EXPECT_EQ(marks(form->ListView3), QStringLiteral("11111111"));
}

TEST_F(ListsWithHost, UnreadableWorkbooksAreReportedTwice) {
    for (const char* bad : {"bad/calamine-pass_protected.xlsx", "bad/calamine-too_small.xls",
                            "bad/edr-Test_Issue_12556_corrupt.xls"}) {
        test.messages.messages.clear();
        const std::string name = std::filesystem::path(bad).filename().string();
        test.dialogs.openAnswers.push_back(copy(bad, name));
        form->Command1_Click();
        SCOPED_TRACE(bad);
        ASSERT_EQ(test.messages.messages.size(), 2u);
        EXPECT_FALSE(test.messages.messages[0].text.isEmpty());
        EXPECT_EQ(test.messages.messages[1].text, QStringLiteral("Excel file open failed!"));
        EXPECT_EQ(test.messages.messages[0].icon, app::MessageIcon::Critical);
        EXPECT_EQ(form->ListView3->topLevelItemCount(), 0);
        EXPECT_EQ(form->mousePointer(), app::MousePointer::Default);
        EXPECT_EQ(runningHosts(), 0);
    }
}

// A workbook encrypted with the application's default password (its structure protected) lists
// its sheets without a word; one that needs the user's own password is refused as encrypted.
TEST_F(ListsWithHost, DefaultPasswordWorkbooksOpenAndOwnPasswordOnesAreEncrypted) {
    test.dialogs.openAnswers.push_back(copy("bad/calamine-issue_385.xls", "protected.xls"));
    form->Command1_Click();
    EXPECT_TRUE(test.messages.messages.empty()) << test.messages.texts().join('\n').toStdString();
    EXPECT_EQ(texts(form->ListView3), QStringList({"Sheet1"}));

    test.dialogs.openAnswers.push_back(
        copy("bad/edr-Test_git_issue_242_std_rc4_pwd_password.xls", "own.xls"));
    form->Command1_Click();
    ASSERT_EQ(test.messages.messages.size(), 2u);
    EXPECT_TRUE(test.messages.messages[0].text.contains("encrypted"))
        << test.messages.messages[0].text.toStdString();
    EXPECT_EQ(test.messages.messages[1].text, QStringLiteral("Excel file open failed!"));
}

} // namespace
