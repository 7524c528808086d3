// The Convert command against the fake host: the exact calls, names, folders and messages.

#include "engine/web/TemporaryName.h"
#include "sources/WorkbookList.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using testing_support::q;

namespace fs = std::filesystem;
using app::MessageIcon;
using testing_support::ScratchDir;
using testing_support::TestWindow;

// A loaded window whose workbook list shows the workbooks of a scratch source folder, with a
// typed output directory.
struct RunWindow {
    TestWindow test;
    ScratchDir source;
    ScratchDir outRoot;
    app::form1& form;
    QString out; // the output directory as typed

    RunWindow() : form(test.loaded()), out(q(outRoot.path())) { form.Combo5->setEditText(out); }

    // A workbook file in the source folder that the fake host opens with these sheets.
    QString book(const QString& name, const QStringList& worksheets,
                 const QStringList& sheets = {}) {
        const fs::path path = source / name.toStdString();
        std::ofstream(path) << "workbook";
        test.host.addWorkbook(q(path), worksheets, sheets);
        return q(path);
    }
    // Lists the source folder's workbooks as a click on its entry would.
    void list() {
        auto* entry = new QTreeWidgetItem(QStringList{q(source.path())});
        form.ListView1->addTopLevelItem(entry);
        form.ListView1->setCurrentItem(entry);
        sources::LoadWorkbookList(form, q(source.path()));
    }
    // Stores the first workbook's sheet choices as its sheet list does: the sheets "S1" to
    // "S<count>", checked where `checked` says so.
    void storeSheets(int count, const std::function<bool(int)>& checked) {
        app::SheetTable& table = test.state->SheetTable;
        for (int row = 1; row <= count; ++row) {
            table.set(1, row, 0, "S" + std::to_string(row));
            table.set(1, row, 1, checked(row) ? "1" : "");
        }
    }
    void uncheck(int position) {
        form.ListView2->topLevelItem(position - 1)->setCheckState(0, Qt::Unchecked);
    }
    void entireWorkbook() { form.Option1->setChecked(true); }
    void convert() { form.Command6_Click(); }

    QString output(const QString& relative) const { return out + u'/' + relative; }
    bool exists(const QString& relative) const {
        return fs::exists(fs::path(output(relative).toStdString()));
    }
    QStringList texts() const { return test.messages.texts(); }
    // Every file and folder under the output directory, relative to it.
    QStringList tree() const {
        QStringList result;
        for (const auto& entry : fs::recursive_directory_iterator(outRoot.path()))
            result << q(fs::relative(entry.path(), outRoot.path()));
        result.sort();
        return result;
    }
    QStringList addedFiles() const {
        QStringList result;
        for (const auto& call : test.host.detailedCallsOf("Add"))
            result << QString::fromStdString(call.args.at(1).text()).mid(out.size() + 1);
        return result;
    }
    void expectIdle() const {
        EXPECT_EQ(form.mousePointer(), app::MousePointer::Default);
        EXPECT_TRUE(form.Label1->text().isEmpty());
        EXPECT_EQ(form.ProgressBar1->value(), 0);
        EXPECT_EQ(test.host.liveInstances(), 0);
    }
};

TEST(ConvertRun, EmptyWorkbookListAsksForWorkbooks) {
    RunWindow run;
    run.convert();
    ASSERT_EQ(run.test.messages.messages.size(), 1u);
    EXPECT_EQ(run.texts(), QStringList{"Please select excel at fast!"});
    EXPECT_EQ(run.test.messages.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(run.test.shell.requests.empty());
    EXPECT_EQ(run.test.host.createdInstances(), 1); // the start-up probe only
    run.expectIdle();
}

TEST(ConvertRun, OutputDirectoryRefusalsTouchNoWorkbook) {
    struct Row {
        const char* what;
        std::function<void(RunWindow&)> arrange;
        const char* message;
        MessageIcon icon;
    } rows[] = {
        {"empty box", [](RunWindow& r) { r.form.Combo5->setEditText(QString()); },
         "Please select output folder", MessageIcon::Information},
        {"remembered folder gone",
         [](RunWindow& r) {
             r.form.Combo5->addItem(r.out + "/gone");
             r.form.Combo5->setCurrentIndex(0);
         },
         "Folder does not exist!", MessageIcon::Critical},
        {"typed folder without parent",
         [](RunWindow& r) { r.form.Combo5->setEditText(r.out + "/a/b"); },
         "Failed to create folder!", MessageIcon::Critical},
    };
    for (const Row& row : rows) {
        RunWindow run;
        run.book("Sales.xls", {"Summary"});
        run.list();
        row.arrange(run);
        run.convert();
        EXPECT_EQ(run.texts(), QStringList{row.message}) << row.what;
        EXPECT_EQ(run.test.messages.messages.at(0).icon, row.icon) << row.what;
        EXPECT_EQ(run.test.host.createdInstances(), 1) << row.what;
        EXPECT_TRUE(run.test.shell.requests.empty()) << row.what;
        EXPECT_FALSE(fs::exists(run.outRoot / "gone")) << row.what;
        run.expectIdle();
    }
}

TEST(ConvertRun, PerSheetMakesTheExactCalls) {
    RunWindow run;
    const QString path = run.book("Sales.xls", {"Summary", "sales"});
    run.list();
    run.convert();
    const QString folder = run.out + "/Sales";
    const QStringList expected = {
        "CreateObject(Excel.Application)",
        "Workbooks",
        "Open(" + path + ")",
        "DisplayAlerts=false",
        "Worksheets",
        "Count",
        "Worksheets(1)",
        "Name",
        "Sheets(1)",
        "Select",
        "PublishObjects",
        "Add(1," + folder + "/Summary.htm,Summary,<omitted>,0,<omitted>,)",
        "Publish",
        "Delete",
        "Worksheets(2)",
        "Name",
        "Sheets(2)",
        "Select",
        "PublishObjects",
        "Add(1," + folder + "/Sales_sales.htm,sales,<omitted>,0,<omitted>,)",
        "Publish",
        "Delete",
        "Close",
        "Quit"};
    EXPECT_EQ(run.test.host.calls.mid(3), expected);
    // Each sheet's calls from "Sheets" to "Delete" reach the host as one sequence, and the
    // next sheet's name is asked for right behind them, in the same order as ever.
    EXPECT_EQ(run.test.host.sequences, (std::vector<std::size_t>{6, 2, 6}));
    // The source type and HTML type are whole numbers, the title an empty text.
    const auto adds = run.test.host.detailedCallsOf("Add");
    ASSERT_EQ(adds.size(), 2u);
    for (const auto& add : adds) {
        ASSERT_EQ(add.args.size(), 7u);
        EXPECT_TRUE(add.args[0].is<std::int64_t>());
        EXPECT_TRUE(add.args[4].is<std::int64_t>());
        EXPECT_TRUE(add.args[3].is<wire::Omitted>());
        EXPECT_TRUE(add.args[5].is<wire::Omitted>());
        EXPECT_EQ(add.args[6], wire::Value(""));
        EXPECT_TRUE(add.named.empty());
    }
    EXPECT_TRUE(run.texts().isEmpty());
    EXPECT_TRUE(fs::is_directory(run.outRoot / "Sales"));
    ASSERT_EQ(run.test.shell.requests.size(), 1u);
    EXPECT_EQ(run.test.shell.requests[0].operation, "open");
    EXPECT_EQ(run.test.shell.requests[0].file, run.out + "/");
    EXPECT_EQ(run.test.shell.requests[0].showCommand, app::SW_SHOW);
    run.expectIdle();
}

TEST(ConvertRun, WholeWorkbookSavesByFormatAndExtension) {
    struct Row {
        int combo3;
        bool shortExtension;
        const char* file;
        int format;
    } rows[] = {{0, true, "SalesReport.htm", 44},
                {0, false, "SalesReport.html", 44},
                {1, true, "SalesReport.mht", 45},
                {1, false, "SalesReport.mhtml", 45},
                {-1, true, "SalesReport.mht", 45}};
    for (const Row& row : rows) {
        RunWindow run;
        const QString path = run.book("Sales Report.xls", {"A", "B"});
        run.list();
        run.entireWorkbook();
        run.form.Combo3->setCurrentIndex(row.combo3);
        (row.shortExtension ? run.form.Option3 : run.form.Option4)->setChecked(true);
        run.convert();
        EXPECT_EQ(run.test.host.calls.mid(3),
                  QStringList({"CreateObject(Excel.Application)", "Workbooks", "Open(" + path + ")",
                               "DisplayAlerts=false",
                               "SaveAs(" + run.output(row.file) +
                                   ";FileFormat=" + QString::number(row.format) + ")",
                               "Close", "Quit"}))
            << row.file;
        const auto saves = run.test.host.detailedCallsOf("SaveAs");
        ASSERT_EQ(saves.size(), 1u);
        EXPECT_EQ(saves[0].args.size(), 1u);
        ASSERT_EQ(saves[0].named.count("FileFormat"), 1u);
        EXPECT_TRUE(saves[0].named.at("FileFormat").is<std::int64_t>());
        // No folder is made for a whole workbook.
        EXPECT_FALSE(run.exists("SalesReport"));
        run.expectIdle();
    }
}

TEST(ConvertRun, StoredSheetChoicesDecideWhatIsPublished) {
    RunWindow run;
    run.book("Book.xls", {"S1", "S2", "S3", "S4", "S5"});
    run.list();
    run.storeSheets(5, [](int row) { return row == 2 || row == 4; });
    struct Seen {
        int maximum, value;
        QString label;
        app::MousePointer pointer;
    };
    std::vector<Seen> seen;
    run.test.host.onCall = [&](const QString& call) {
        if (call == "Select" || call == "Close")
            seen.push_back({run.form.ProgressBar1->maximum(), run.form.ProgressBar1->value(),
                            run.form.Label1->text(), run.form.mousePointer()});
    };
    run.convert();
    EXPECT_EQ(run.addedFiles(), QStringList({"Book/S2.htm", "Book/S4.htm"}));
    // Names come from the table, not the workbook; skipped sheets are never selected.
    EXPECT_TRUE(run.test.host.callsOf({"Name"}).isEmpty());
    EXPECT_EQ(run.test.host.callsOf({"Sheets"}), QStringList({"Sheets(2)", "Sheets(4)"}));
    // The bar goes through every sheet, skipped or not.
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].maximum, 5);
    EXPECT_EQ(seen[0].value, 1);
    EXPECT_EQ(seen[1].value, 3);
    EXPECT_EQ(seen[2].value, 5);
    EXPECT_EQ(seen[0].label, "Convert Book");
    EXPECT_EQ(seen[0].pointer, app::MousePointer::Hourglass);
    run.expectIdle();
}

TEST(ConvertRun, ASheetWithoutAStoredMarkIsSkipped) {
    RunWindow run;
    run.book("Book.xls", {"S1", "S2", "Added later"});
    run.list();
    // Rows for the first two sheets only: the third was added after the list was stored.
    run.storeSheets(2, [](int) { return true; });
    run.convert();
    EXPECT_EQ(run.addedFiles(), QStringList({"Book/S1.htm", "Book/S2.htm"}));
}

TEST(ConvertRun, TitlesAndPublishTypes) {
    {
        RunWindow run;
        run.book("Q1 Report.xls", {"Totals"});
        run.list();
        run.form.Combo4->setCurrentIndex(3);
        run.form.Combo1->setCurrentIndex(1);
        run.convert();
        const auto adds = run.test.host.detailedCallsOf("Add");
        ASSERT_EQ(adds.size(), 1u);
        EXPECT_EQ(QString::fromStdString(adds[0].args[1].text()),
                  run.output("Q1Report/Q1 Report_Totals.htm"));
        EXPECT_EQ(adds[0].args[6].text(), "Q1 Report_Totals");
    }
    {
        // No publish type selected: nothing is added, yet Publish and Delete still run.
        RunWindow run;
        run.book("Book.xls", {"A"});
        run.list();
        run.form.Combo2->setCurrentIndex(-1);
        run.convert();
        EXPECT_EQ(run.test.host.callsOf({"Add", "Publish", "Delete"}),
                  QStringList({"Publish", "Delete"}));
        EXPECT_TRUE(run.texts().isEmpty());
    }
}

TEST(ConvertRun, SequenceNumbersRestartAfterCompletedWorkbooksOnly) {
    RunWindow run;
    run.book("A.xls", {"a1", "a2", "a3"});
    run.book("B.xls", {"b1", "b2", "b3"});
    run.book("C.xls", {"c1", "c2"});
    run.list();
    run.form.Combo1->setCurrentIndex(2);
    // B fails while publishing its second sheet.
    run.test.host.failOn("Publish", "disk trouble", 5);
    run.convert();
    EXPECT_EQ(run.addedFiles(), QStringList({"A/1.htm", "A/2.htm", "A/3.htm", "B/1.htm", "B/2.htm",
                                             "C/3.htm", "C/4.htm"}));
    EXPECT_EQ(run.test.state->FileSequenceNumber, 0);
    EXPECT_EQ(run.texts(), QStringList({"disk trouble", "Convert B file failed!"}));
    EXPECT_EQ(run.test.messages.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(run.test.messages.messages[1].icon, MessageIcon::Critical);
    // B was closed and its instance ended after the failure, and C still ran.
    EXPECT_EQ(run.test.host.callsOf({"Close", "Quit"}),
              QStringList({"Quit", "Close", "Quit", "Close", "Quit", "Close", "Quit"}));
    run.expectIdle();
}

TEST(ConvertRun, SheetsHandedOverAheadOfAFailureTakeNoNumbersAndNoPages) {
    RunWindow run;
    QStringList many;
    for (int i = 1; i <= 12; ++i)
        many << QStringLiteral("b%1").arg(i);
    run.book("B.xls", many);
    run.book("C.xls", {"c1"});
    run.list();
    // B's sheets listed, so that none waits for its name and the sheet after the failing one is
    // named and with the host already.
    run.storeSheets(12, [](int) { return true; });
    run.form.Combo1->setCurrentIndex(2);
    // B's third sheet fails (after the double wrote its page) while the calls of the sheet after
    // it are already with the host: they are not made, and C goes on from 3.
    run.test.host.failOn("Publish", "disk trouble", 3);
    run.convert();
    EXPECT_EQ(run.addedFiles(), QStringList({"B/1.htm", "B/2.htm", "B/3.htm", "C/4.htm"}));
    EXPECT_EQ(run.test.host.callsOf({"Publish"}).size(), 4);
    EXPECT_EQ(run.texts(), QStringList({"disk trouble", "Convert B file failed!"}));
    run.expectIdle();
}

TEST(ConvertRun, APageStaysWhenTheCallAfterItsPublishFails) {
    RunWindow run;
    run.book("Sales.xls", {"Summary", "sales"});
    run.list();
    // The sheet's calls go to the host together: Delete fails after the page was published.
    run.test.host.failOn("Delete", "collection trouble", 1);
    run.convert();
    EXPECT_EQ(run.addedFiles(), QStringList({"Sales/Summary.htm"}));
    EXPECT_EQ(run.test.host.callsOf({"Publish", "Delete", "Sheets(2)", "Worksheets(2)"}),
              QStringList({"Publish", "Delete"}));
    EXPECT_EQ(run.texts(), QStringList({"collection trouble", "Convert Sales file failed!"}));
    run.expectIdle();
}

TEST(ConvertRun, AFailedSheetEndsTheRunBeforeTheNextSheetsCalls) {
    // Names stored, so each sheet's calls are handed over before the last sheet's come back.
    RunWindow run;
    run.book("Book.xls", {"S1", "S2", "S3"});
    run.list();
    run.storeSheets(3, [](int) { return true; });
    run.test.host.failOn("Publish", "disk trouble", 2);
    run.convert();
    // The fake puts a page in place when it is added, so the failed sheet's page stands too.
    EXPECT_EQ(run.addedFiles(), QStringList({"Book/S1.htm", "Book/S2.htm"}));
    EXPECT_EQ(run.test.host.callsOf({"Sheets", "Publish"}),
              QStringList({"Sheets(1)", "Publish", "Sheets(2)", "Publish"}));
    EXPECT_EQ(run.texts(), QStringList({"disk trouble", "Convert Book file failed!"}));
    run.expectIdle();
}

TEST(ConvertRun, SameDisplayNamesGetAccumulatingFolders) {
    RunWindow run;
    run.book("Sales Q1.xls", {"S"});
    run.book("SalesQ1.xls", {"S"});
    run.book("Sales.Q1.xls", {"S"});
    run.list();
    run.convert();
    // Listed by name ignoring case: "Sales Q1", "Sales.Q1", "SalesQ1".
    EXPECT_EQ(run.addedFiles(),
              QStringList({"SalesQ1/S.htm", "SalesQ11/S.htm", "SalesQ112/S.htm"}));
}

TEST(ConvertRun, WholeWorkbooksOfOneNameNeverReplaceEachOther) {
    RunWindow run;
    run.test.host.writeFiles = true;
    run.book("Sales Q1.xls", {"S"});
    run.book("SalesQ1.xls", {"S"});
    run.book("Sales.Q1.xls", {"S"});
    run.list();
    run.entireWorkbook();
    std::filesystem::create_directory(run.outRoot / "Other");
    run.convert();
    EXPECT_EQ(run.tree(), QStringList({"Other", "SalesQ1.htm", "SalesQ11.htm", "SalesQ112.htm"}));
    EXPECT_TRUE(run.texts().isEmpty());
    // An output of an earlier run is replaced: the next run writes the same names again.
    run.test.host.calls.clear();
    run.convert();
    EXPECT_EQ(run.tree(), QStringList({"Other", "SalesQ1.htm", "SalesQ11.htm", "SalesQ112.htm"}));
}

TEST(ConvertRun, WholeWorkbookBesideAFolderOfItsName) {
    RunWindow run;
    run.book("Sales Report.xls", {"S"});
    run.list();
    run.entireWorkbook();
    run.form.Option4->setChecked(true);
    std::filesystem::create_directory(run.outRoot / "SalesReport");
    run.convert();
    EXPECT_EQ(QString::fromStdString(run.test.host.detailedCallsOf("SaveAs").at(0).args[0].text()),
              run.output("SalesReport1.html"));
}

TEST(ConvertRun, SheetNamesNeverLeaveTheWorkbookFolderNorReplaceEachOther) {
    RunWindow run;
    run.test.host.writeFiles = true;
    const QString longName(300, u'L');
    run.book("Book.xls",
             {"a|b", "ab", "../../escape", "..", "/", longName, QString(300, QChar(0x4E2D))});
    run.list();
    run.test.random.values = {0.5, 0.5, 0.5};
    run.convert();
    EXPECT_TRUE(run.texts().isEmpty()) << run.texts().join('\n').toStdString();
    const QStringList expected = {"Book",
                                  "Book/....escape.htm",
                                  "Book/" + QString(200, u'L') + ".htm",
                                  "Book/" + QString(66, QChar(0x4E2D)) + ".htm",
                                  "Book/500001.htm",
                                  "Book/500001_2.htm",
                                  "Book/ab.htm",
                                  "Book/ab_2.htm"};
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    EXPECT_EQ(run.tree(), sortedExpected);
    EXPECT_FALSE(fs::exists(run.outRoot.path().parent_path() / "escape.htm"));
    EXPECT_FALSE(fs::exists(run.outRoot / "escape.htm"));
}

} // namespace

namespace {

TEST(ConvertRun, NoCheckedWorkbookStillOpensTheOutputDirectory) {
    RunWindow run;
    run.book("A.xls", {"S"});
    run.book("B.xls", {"S"});
    run.list();
    run.uncheck(1);
    run.uncheck(2);
    run.convert();
    EXPECT_EQ(run.test.host.createdInstances(), 1);
    EXPECT_EQ(run.test.shell.requests.size(), 1u);
    EXPECT_TRUE(run.tree().isEmpty());
    run.expectIdle();
}

TEST(ConvertRun, ATypedNewOutputDirectoryIsCreated) {
    RunWindow run;
    run.book("A.xls", {"S"});
    run.list();
    run.form.Combo5->setEditText(run.out + "/fresh///");
    run.convert();
    EXPECT_EQ(QString::fromStdString(run.test.state->OutputFolder), run.out + "/fresh/");
    EXPECT_TRUE(fs::is_directory(run.outRoot / "fresh" / "A"));
    EXPECT_EQ(run.test.shell.requests.at(0).file, run.out + "/fresh/");
}

TEST(ConvertRun, FailedWorkbooksAreReportedAndSkipped) {
    RunWindow run;
    run.book("A.xls", {"S"});
    const QString gone = run.book("B.xls", {"S"});
    run.book("C.xls", {"S"});
    run.list();
    // A cannot be opened; B's file vanishes after listing; C converts.
    run.test.host.failOn("Open", "A is damaged", 1);
    fs::remove(gone.toStdString());
    std::vector<app::MousePointer> pointers;
    run.test.messages.onMessage = [&](const auto&) { pointers.push_back(run.form.mousePointer()); };
    run.convert();
    EXPECT_EQ(run.texts(),
              QStringList({"A is damaged", "Convert A file failed!", "Convert B file failed!"}));
    EXPECT_EQ(run.test.messages.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(run.test.messages.messages[2].icon, MessageIcon::Critical);
    // The run blocks with the hourglass until its end.
    EXPECT_EQ(pointers, std::vector<app::MousePointer>(3, app::MousePointer::Hourglass));
    EXPECT_EQ(run.addedFiles(), QStringList({"C/S.htm"}));
    // Folders of failed workbooks stay, even empty.
    EXPECT_TRUE(fs::is_directory(run.outRoot / "A"));
    EXPECT_TRUE(fs::is_directory(run.outRoot / "B"));
    EXPECT_EQ(run.test.shell.requests.size(), 1u);
    run.expectIdle();
}

// The status line names the workbook as it is called, even when the name looks like markup.
TEST(ConvertRun, StatusLineShowsTheNameAsWritten) {
    RunWindow run;
    run.book("<b>Q1.xls", {"S"});
    run.list();
    run.test.host.failOn("Open", "damaged", 1);
    QString status;
    QSize shown;
    QSize written;
    run.test.messages.onMessage = [&](const auto&) {
        status = run.form.Label1->text();
        shown = run.form.Label1->sizeHint();
        QLabel plain(status);
        plain.setFont(run.form.Label1->font());
        plain.setTextFormat(Qt::PlainText);
        written = plain.sizeHint();
    };
    run.convert();
    EXPECT_EQ(status, QStringLiteral("Convert <b>Q1"));
    EXPECT_EQ(shown, written);
    EXPECT_EQ(run.texts(), QStringList({"damaged", "Convert <b>Q1 file failed!"}));
    run.expectIdle();
}

TEST(ConvertRun, WholeWorkbookFailureAndProgress) {
    RunWindow run;
    run.book("A.xls", {"S"});
    run.book("B.xls", {"S"});
    run.book("C.xls", {"S"});
    run.list();
    run.uncheck(3);
    run.entireWorkbook();
    run.test.host.failOn("SaveAs", "disk full", 2);
    std::vector<int> values;
    run.test.messages.onMessage = [&](const auto&) {
        values.push_back(run.form.ProgressBar1->value());
    };
    run.test.host.onCall = [&](const QString& call) {
        if (call.startsWith("Open"))
            values.push_back(run.form.ProgressBar1->value());
    };
    run.convert();
    EXPECT_EQ(run.texts(), QStringList({"disk full", "Convert B file failed!"}));
    // Max is the workbook count; the value follows each handled workbook.
    EXPECT_EQ(run.form.ProgressBar1->maximum(), 3);
    EXPECT_EQ(values, std::vector<int>({0, 1, 1, 1}));
    EXPECT_EQ(run.test.host.callsOf({"Close", "Quit"}).size(), 5);
    run.expectIdle();
}

TEST(ConvertRun, AWorkbookFolderThatCannotBeMadeSkipsOnlyThatWorkbook) {
    RunWindow run;
    run.book("A.xls", {"S"});
    run.book("B.xls", {"S"});
    run.list();
    std::ofstream(run.outRoot / "A") << "a file where the folder would go";
    run.convert();
    EXPECT_EQ(run.texts(), QStringList({"Convert A file failed!"}));
    EXPECT_EQ(run.test.messages.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(run.addedFiles(), QStringList({"B/S.htm"}));
    EXPECT_EQ(run.test.shell.requests.size(), 1u);
    run.expectIdle();
}

TEST(ConvertRun, OutputDirectoryVanishingInTheMiddle) {
    RunWindow run;
    run.test.host.writeFiles = true;
    run.book("A.xls", {"S1", "S2"});
    run.book("B.xls", {"S"});
    run.list();
    // Gone while A publishes its second sheet.
    run.test.host.onCall = [&](const QString& call) {
        if (call == "Sheets(2)")
            fs::remove_all(run.outRoot.path());
    };
    run.convert();
    ASSERT_EQ(run.texts().size(), 3);
    EXPECT_TRUE(run.texts()[0].startsWith("Cannot write"));
    EXPECT_EQ(run.texts().mid(1),
              QStringList({"Convert A file failed!", "Convert B file failed!"}));
    EXPECT_FALSE(fs::exists(run.outRoot.path()));
    EXPECT_EQ(run.test.shell.requests.size(), 1u);
    run.expectIdle();
}

TEST(ConvertRun, OutputDirectoryTurningReadOnlyInTheMiddle) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    RunWindow run;
    run.test.host.writeFiles = true;
    run.book("A.xls", {"S1", "S2"});
    run.book("B.xls", {"S"});
    run.list();
    run.test.host.onCall = [&](const QString& call) {
        if (call == "Sheets(2)") {
            fs::permissions(run.outRoot / "A", fs::perms::owner_read | fs::perms::owner_exec);
            fs::permissions(run.outRoot.path(), fs::perms::owner_read | fs::perms::owner_exec);
        }
    };
    run.convert();
    ASSERT_EQ(run.texts().size(), 3);
    EXPECT_TRUE(run.texts()[0].startsWith("Cannot write"));
    EXPECT_EQ(run.texts().mid(1),
              QStringList({"Convert A file failed!", "Convert B file failed!"}));
    // What was written before stays.
    EXPECT_TRUE(fs::exists(run.outRoot / "A" / "S1.htm"));
    EXPECT_EQ(run.tree(), QStringList({"A", "A/S1.htm"}));
    run.expectIdle();
}

TEST(ConvertRun, TooManyWorksheetsEndTheWorkbookAsAnError) {
    RunWindow run;
    QStringList many;
    for (int i = 1; i <= 32768; ++i)
        many << QString::number(i);
    run.book("Big.xls", many);
    run.list();
    run.convert();
    ASSERT_EQ(run.texts().size(), 2);
    EXPECT_TRUE(run.texts()[0].startsWith("Overflow"));
    EXPECT_EQ(run.texts()[1], "Convert Big file failed!");
    EXPECT_TRUE(run.test.host.callsOf({"Add"}).isEmpty());
    run.expectIdle();
}

TEST(ConvertRun, AWorkbookWithoutWorksheetsWritesNothingAndSucceeds) {
    RunWindow run;
    run.book("Charts.xls", {}, {"Chart1"});
    run.list();
    run.convert();
    EXPECT_TRUE(run.texts().isEmpty());
    EXPECT_EQ(run.tree(), QStringList({"Charts"}));
}

TEST(ConvertRun, SelectionUsesSheetsWhileNamesComeFromWorksheets) {
    RunWindow run;
    run.book("Mixed.xls", {"W1", "W2"}, {"W1", "Chart", "W2"});
    run.list();
    run.convert();
    EXPECT_EQ(run.test.host.callsOf({"Sheets"}), QStringList({"Sheets(1)", "Sheets(2)"}));
    EXPECT_EQ(run.addedFiles(), QStringList({"Mixed/W1.htm", "Mixed/W2.htm"}));
}

TEST(ConvertRun, MenuItemRunsTheSameCommand) {
    RunWindow run;
    run.book("A.xls", {"S"});
    run.list();
    run.form.Separate->trigger();
    EXPECT_EQ(run.addedFiles(), QStringList({"A/S.htm"}));
}

} // namespace

// A host ended in the middle of a page leaves what it had begun; that goes, while the pages of
// earlier sheets and what was there before stay.
TEST(ConvertRun, AFailedPageTakesBackWhatItsHostLeft) {
    RunWindow run;
    run.book("Sales.xls", {"Summary", "Detail"});
    run.list();
    // The host writes a page and its picture; on the second sheet it hangs half way.
    const auto leaveBehind = [&](const fs::path& page, bool whole) {
        fs::path files = page;
        files.replace_filename(page.stem().string() + "_files");
        fs::create_directory(files);
        std::ofstream(files / "image001.jpg") << "picture";
        if (whole)
            std::ofstream(page) << "page";
        else
            std::ofstream(page.parent_path() /
                          engine::web::TemporaryName(page.filename().string(), 0))
                << "half a page";
    };
    int publishes = 0;
    run.test.host.onCall = [&](const QString& call) {
        if (call == "Publish")
            leaveBehind(run.test.host.detailedCallsOf("Add").back().args[1].text(),
                        ++publishes == 1);
    };
    run.test.host.failOn("Publish", "did not answer Publish", 2);
    run.convert();
    EXPECT_EQ(run.texts(), QStringList({"did not answer Publish", "Convert Sales file failed!"}));
    EXPECT_EQ(run.tree(), QStringList({"Sales", "Sales/Summary.htm", "Sales/Summary_files",
                                       "Sales/Summary_files/image001.jpg"}));

    // The whole workbook beside files of the user's: those stay.
    RunWindow whole;
    whole.book("Sales.xls", {"S"});
    whole.list();
    whole.entireWorkbook();
    fs::create_directory(whole.outRoot / "Sales_files");
    std::ofstream(whole.outRoot / "Sales_files" / "mine.png") << "mine";
    std::ofstream(whole.outRoot / ".qm-write-old") << "older";
    whole.test.host.onCall = [&](const QString& call) {
        if (call.startsWith("SaveAs(")) // SaveAs(<file name>;FileFormat=44)
            leaveBehind(call.mid(7, call.indexOf(u';') - 7).toStdString(), false);
    };
    whole.test.host.failOn("SaveAs", "did not answer SaveAs", 1);
    whole.convert();
    EXPECT_EQ(whole.tree(), QStringList({".qm-write-old", "Sales_files", "Sales_files/mine.png"}));
    whole.expectIdle();
}
