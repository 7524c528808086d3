// quillmere-batch against the window's Convert on the real host: the same inputs give the same
// names and the same bytes, and a mix of good and bad corpus workbooks fails only the bad ones.

#include "automation/Factory.h"
#include "sources/WorkbookList.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using testing_support::q;

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::corpusFile;
using testing_support::ScratchDir;

const QString binFolder = QStringLiteral(QM_BINARY_DIR "/bin");

struct Finished {
    int status = -1;
    QString errors;
};

Finished runBatch(const QStringList& arguments) {
    QProcess process;
    process.start(binFolder + "/quillmere-batch", arguments);
    Finished finished;
    if (!process.waitForFinished(300'000) || process.exitStatus() != QProcess::NormalExit)
        return finished;
    finished.status = process.exitCode();
    finished.errors = QString::fromUtf8(process.readAllStandardError());
    return finished;
}

// Every file under `root` by relative path, with its bytes.
std::map<std::string, QByteArray> tree(const fs::path& root) {
    std::map<std::string, QByteArray> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_directory()) {
            files[relative + "/"] = QByteArray();
            continue;
        }
        QFile file(q(entry.path()));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative;
        files[relative] = file.readAll();
    }
    return files;
}

// Names of the first tree that the second lacks or holds with other bytes.
std::string differences(const std::map<std::string, QByteArray>& a,
                        const std::map<std::string, QByteArray>& b) {
    std::string said;
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        if (other == b.end())
            said += "only in the window's output: " + name + "\n";
        else if (other->second != bytes)
            said += "different bytes: " + name + "\n";
    }
    for (const auto& [name, bytes] : b)
        if (!a.count(name))
            said += "only in the batch output: " + name + "\n";
    return said;
}

// One folder of workbooks converted by the window on the real host.
struct WindowRun {
    testing_support::TestWindow test;
    automation::HostFactory factory{binFolder.toStdString(), 120s};
    app::form1* form = nullptr;

    explicit WindowRun(const fs::path& source) {
        const QString folder = q(test.folder.path());
        test.services = std::make_unique<app::Services>(app::Services{
            factory, test.dialogs, test.shell, test.messages, test.random, folder, folder});
        form = &test.loaded();
        auto* entry = new QTreeWidgetItem(QStringList{q(source)});
        form->ListView1->addTopLevelItem(entry);
        form->ListView1->setCurrentItem(entry);
        sources::LoadWorkbookList(*form, q(source));
    }
    void convert(const fs::path& out) {
        form->Combo5->setEditText(q(out));
        form->Command6_Click();
    }
};

// Workbooks with pictures, umlaut sheet names, a chart sheet between worksheets, blanks in the
// file name and two display names alike.
void fillSample(const fs::path& source) {
    const std::pair<const char*, const char*> books[] = {
        {"xls/xlrd-profiles.xls", "profiles.xls"},
        {"xlsx/edr-TestMultiSheet.xlsx", "TestMultiSheet.xlsx"},
        {"xls/edr-Test_Excel_Dataset.xls", "Test Dataset.xls"},
        {"xls/xlrd-Formate.xls", "Formate.xls"},
        {"xlsx/calamine-picture.xlsx", "picture.xlsx"},
        {"xlsx/calamine-any_sheets.xlsx", "any_sheets.xlsx"},
        {"xlsx/edr-TestMultiSheet.xlsx", "Test.Multi Sheet.xlsx"},
    };
    for (const auto& [corpus, name] : books)
        fs::copy_file(corpusFile(corpus), source / name);
}

struct Mode {
    const char* label;
    QStringList arguments;
    bool entire;
    int fileNaming, fileFormat, pageTitle;
    bool shortExtension;
};

TEST(BatchEndToEnd, SameNamesAndBytesAsTheWindowInEachMode) {
    const Mode modes[] = {
        {"sheet pages", {}, false, 0, 0, 0, true},
        {"archives, long, workbook-sheet names and titles",
         {"--archive", "--long-extension", "--names", "workbook-sheet", "--title",
          "workbook-sheet"},
         false,
         1,
         1,
         3,
         false},
        {"numbers, sheet titles", {"--names", "numbers", "--title", "sheet"}, false, 2, 0, 1, true},
        {"pages, long, workbook titles",
         {"--long-extension", "--title", "workbook"},
         false,
         0,
         0,
         2,
         false},
        {"whole pages", {"--entire"}, true, 0, 0, 0, true},
        {"whole archives, long",
         {"--entire", "--archive", "--long-extension"},
         true,
         0,
         1,
         0,
         false},
    };
    ScratchDir source;
    fillSample(source.path());
    for (const Mode& mode : modes) {
        ScratchDir byWindow;
        ScratchDir byBatch;
        WindowRun window(source.path());
        window.form->Option1->setChecked(mode.entire);
        window.form->Option2->setChecked(!mode.entire);
        window.form->Combo1->setCurrentIndex(mode.fileNaming);
        window.form->Combo3->setCurrentIndex(mode.fileFormat);
        window.form->Combo4->setCurrentIndex(mode.pageTitle);
        (mode.shortExtension ? window.form->Option3 : window.form->Option4)->setChecked(true);
        window.convert(byWindow.path());
        EXPECT_TRUE(window.test.messages.texts().isEmpty())
            << mode.label << ": " << window.test.messages.texts().join('\n').toStdString();

        const Finished batch =
            runBatch(mode.arguments + QStringList{"-o", q(byBatch.path()), q(source.path())});
        EXPECT_EQ(batch.status, 0) << mode.label << ": " << batch.errors.toStdString();
        EXPECT_TRUE(batch.errors.isEmpty()) << batch.errors.toStdString();

        const auto windowTree = tree(byWindow.path());
        EXPECT_GE(windowTree.size(), 7u) << mode.label;
        EXPECT_EQ(differences(windowTree, tree(byBatch.path())), "") << mode.label;
    }
}

TEST(BatchEndToEnd, NamedSheetsAsTheWindowsSheetChecksPublishThem) {
    ScratchDir source;
    fs::copy_file(corpusFile("xls/xlrd-profiles.xls"), source / "profiles.xls");
    fs::copy_file(corpusFile("xlsx/edr-TestMultiSheet.xlsx"), source / "multi.xlsx");
    ScratchDir byWindow;
    ScratchDir byBatch;

    WindowRun window(source.path());
    // The user left checked AXISDEF of profiles (column 2) and Sheet3 of multi (column 1).
    const std::pair<int, QStringList> columns[] = {
        {1, {"Sheet2", "Sheet1", "Sheet3"}},
        {2, {"PROFILEDEF", "AXISDEF", "TRAVERSALCHAINAGE", "AXISDATUMLEVELS", "PROFILELEVELS"}}};
    for (const auto& [column, names] : columns)
        for (int row = 1; row <= names.size(); ++row) {
            const QString& name = names[row - 1];
            window.test.state->SheetTable.set(column, row, 0, name.toStdString());
            window.test.state->SheetTable.set(column, row, 1,
                                              name == "AXISDEF" || name == "Sheet3" ? "1" : "");
        }
    window.convert(byWindow.path());
    EXPECT_TRUE(window.test.messages.texts().isEmpty());

    const Finished batch =
        runBatch({"--sheets", "AXISDEF,Sheet3", "-o", q(byBatch.path()), q(source.path())});
    EXPECT_EQ(batch.status, 0) << batch.errors.toStdString();
    const auto windowTree = tree(byWindow.path());
    EXPECT_EQ(windowTree.size(), 4u); // two folders, one page each
    EXPECT_EQ(differences(windowTree, tree(byBatch.path())), "");
}

TEST(BatchEndToEnd, GoodDamagedAndEncryptedWorkbooksTogether) {
    ScratchDir out;
    const char* good[] = {"xls/xlrd-profiles.xls", "xlsx/edr-TestMultiSheet.xlsx",
                          "xls/xlrd-Formate.xls"};
    const char* bad[] = {"bad/edr-TestFail_Binary.xls", "bad/calamine-pass_protected.xlsx",
                         "bad/edr-Test_git_issue_242_std_rc4_pwd_password.xls",
                         "bad/xlrd-corrupted_error.xls", "bad/edr-EmptyZipFile.xlsx"};
    QStringList arguments{"-o", q(out / "new level")};
    for (const char* name : good)
        arguments << q(corpusFile(name));
    for (const char* name : bad)
        arguments << q(corpusFile(name));
    arguments << q(out / "not-there.xls");

    const Finished batch = runBatch(arguments);
    EXPECT_EQ(batch.status, 1);
    for (const char* folder : {"xlrd-profiles", "edr-TestMultiSheet", "xlrd-Formate"})
        EXPECT_FALSE(fs::is_empty(out / "new level" / folder)) << folder;
    const QStringList lines = batch.errors.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 6) << batch.errors.toStdString();
    for (const char* name : bad) {
        const QString path = q(corpusFile(name));
        // One line per failure: the workbook's path and the host's description after it.
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& text) {
            return text.startsWith("quillmere-batch: " + path + ": ");
        });
        ASSERT_NE(line, lines.end()) << name;
        EXPECT_GT(line->size(), QString("quillmere-batch: " + path + ": ").size() + 10) << name;
    }
    EXPECT_TRUE(batch.errors.contains("encrypted")) << batch.errors.toStdString();
    EXPECT_TRUE(batch.errors.contains("not-there.xls: no workbook file or folder there"));
}

TEST(BatchEndToEnd, ParallelJobsGiveTheSerialRunsNamesAndBytes) {
    ScratchDir source;
    fillSample(source.path());
    // Display names alike in several folders, so that suffixes are handed out across inputs.
    fs::create_directory(source / "again");
    fs::copy_file(corpusFile("xls/xlrd-Formate.xls"), source / "again" / "Formate.xls");
    fs::copy_file(corpusFile("xlsx/edr-TestMultiSheet.xlsx"), source / "again" / "Test Multi.xlsx");
    const QStringList modes[] = {{"--names", "numbers"}, {"--entire"}};
    for (const QStringList& mode : modes) {
        ScratchDir serial;
        ScratchDir parallel;
        // An existing folder moves names on in both runs alike.
        fs::create_directory(serial / "Formate");
        fs::create_directory(parallel / "Formate");
        const QStringList inputs{q(source.path()), q(source / "again"), q(source.path())};
        const Finished one =
            runBatch(mode + QStringList{"-j", "1", "-o", q(serial.path())} + inputs);
        const Finished four =
            runBatch(mode + QStringList{"--jobs", "4", "-o", q(parallel.path())} + inputs);
        EXPECT_EQ(one.status, 0) << one.errors.toStdString();
        EXPECT_EQ(four.status, 0) << four.errors.toStdString();
        const auto serialTree = tree(serial.path());
        EXPECT_GE(serialTree.size(), 16u) << mode.join(' ').toStdString();
        EXPECT_EQ(differences(serialTree, tree(parallel.path())), "")
            << mode.join(' ').toStdString();
    }
}

TEST(BatchEndToEnd, VersionAndAMissingSheetExitAsDocumented) {
    QProcess version;
    version.start(binFolder + "/quillmere-batch", {"--version"});
    ASSERT_TRUE(version.waitForFinished(60'000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_TRUE(version.readAllStandardOutput().startsWith("quillmere-batch "));

    ScratchDir out;
    const QString book = q(corpusFile("xlsx/edr-TestMultiSheet.xlsx"));
    const Finished batch = runBatch({"--sheets", "NoSuchSheet", "-o", q(out.path()), book});
    EXPECT_EQ(batch.status, 1);
    EXPECT_TRUE(batch.errors.contains(book + ": no worksheet named \"NoSuchSheet\"; its "
                                             "worksheets are \"Sheet2\", \"Sheet1\", \"Sheet3\""))
        << batch.errors.toStdString();
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(BatchEndToEnd, UsageErrorsExit2WithAMessageAndTouchNothing) {
    ScratchDir out;
    const QStringList cases[] = {
        {q(corpusFile("xls/xlrd-profiles.xls"))},
        {"-o", q(out / "made")},
        {"--names", "bogus", "-o", q(out / "made"), q(corpusFile("xls/xlrd-profiles.xls"))},
        {"--entire", "--sheets", "A", "-o", q(out / "made"),
         q(corpusFile("xls/xlrd-profiles.xls"))},
    };
    for (const QStringList& arguments : cases) {
        const Finished batch = runBatch(arguments);
        EXPECT_EQ(batch.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(batch.errors.startsWith("quillmere-batch: ")) << batch.errors.toStdString();
        EXPECT_TRUE(batch.errors.contains("--help"));
    }
    EXPECT_FALSE(fs::exists(out / "made"));

    QProcess help;
    help.start(binFolder + "/quillmere-batch", {"--help"});
    ASSERT_TRUE(help.waitForFinished(60'000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(
        help.readAllStandardOutput().startsWith("Usage: quillmere-batch [options] INPUT..."));
}

} // namespace
