// A quillmere-batch run on the fake host: inputs, groups of the sheet table's size, the sheet
// filter, and what it says on standard error.

#include "batch/BatchRun.h"

#include "app/Services.h"
#include "tests/gui_support/Doubles.h"
#include "tests/gui_support/FakeHost.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QString>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using testing_support::q;

namespace fs = std::filesystem;
using testing_support::ScratchDir;

// Paths and text as the batch's options hold them: bytes.
std::string s(const fs::path& path) {
    return path.string();
}
std::string s(const QString& text) {
    return text.toStdString();
}

struct FakeBatch {
    testing_support::FakeHost host;
    testing_support::FixedRandom random;
    ScratchDir in;
    ScratchDir out;
    QString errors;
    batch::BatchOptions options;

    FakeBatch() {
        host.writeFiles = true;
        options.outputFolder = s(out.path());
    }
    // An empty file the fake opens as a workbook of `sheets`.
    QString workbook(const fs::path& path, const QStringList& sheets = {"Sheet1"}) {
        fs::create_directories(path.parent_path());
        std::ofstream(path).put('x');
        host.addWorkbook(q(path), sheets);
        return q(path);
    }
    int run(bool progress = false) {
        const auto collect = [this](const std::string& line) {
            errors += QString::fromStdString(line) + u'\n';
        };
        return batch::RunBatch(options, host, random, collect, progress);
    }
};

TEST(BatchRun, MoreThanTheSheetTableHoldsGoesInGroupsAndNoWholeWorkbookReplacesAnother) {
    FakeBatch batch;
    for (int i = 0; i < 499; ++i)
        batch.workbook(batch.in / "a" /
                       QStringLiteral("w%1.xls").arg(i, 3, 10, QChar(u'0')).toStdString());
    batch.workbook(batch.in / "a" / "zz.xls");
    // Position 501: the second run must not write over the first run's zz.htm.
    batch.workbook(batch.in / "b" / "zz.xls");
    batch.options.inputs = {s(batch.in / "a"), s(batch.in / "b")};
    batch.options.output.entireWorkbook = true;

    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    EXPECT_TRUE(batch.errors.isEmpty()) << batch.errors.toStdString();
    EXPECT_EQ(batch.host.callsOf({"SaveAs"}).size(), 501);
    EXPECT_TRUE(fs::exists(batch.out / "zz.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "zz1.htm"));
    EXPECT_EQ(batch.host.liveInstances(), 0);
}

TEST(BatchRun, AFolderOfMoreThan500ListsTheFirst500AndSaysSo) {
    FakeBatch batch;
    for (int i = 0; i < 502; ++i)
        batch.workbook(batch.in /
                       QStringLiteral("w%1.xls").arg(i, 3, 10, QChar(u'0')).toStdString());
    batch.options.inputs = {s(batch.in.path())};
    batch.options.output.entireWorkbook = true;

    EXPECT_EQ(batch.run(), batch::AllConverted);
    EXPECT_EQ(batch.host.callsOf({"SaveAs"}).size(), 500);
    EXPECT_FALSE(fs::exists(batch.out / "w500.htm"));
    EXPECT_TRUE(batch.errors.contains("more than 500 workbooks")) << batch.errors.toStdString();
}

TEST(BatchRun, OnlyTheNamedSheetsArePublishedLetterCaseIgnored) {
    FakeBatch batch;
    const QString book =
        batch.workbook(batch.in / "Book.xls", {"Summary", "Data", "summary", "Notes"});
    batch.options.inputs = {s(book)};
    batch.options.sheets = {"SUMMARY", "notes", "Absent"};

    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    QStringList published;
    for (const auto& call : batch.host.detailedCallsOf("AddSheets"))
        for (const wire::Value& sheet : call.args.at(2).as<wire::Value::List>())
            published << QString::fromStdString(sheet.text());
    EXPECT_EQ(published, QStringList({"Summary", "summary", "Notes"}));
    EXPECT_TRUE(fs::exists(batch.out / "Book" / "Summary.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "Book" / "Notes.htm"));
}

TEST(BatchRun, SheetsMatchingNoWorksheetAreAnErrorNamingTheWorkbooksSheets) {
    FakeBatch batch;
    const QString some = batch.workbook(batch.in / "some.xls", {"Data", "Notes"});
    const QString none = batch.workbook(batch.in / "none.xls", {"Alpha", "Beta"});
    const QString empty = batch.workbook(batch.in / "empty.xls", {});
    batch.options.inputs = {s(some), s(none), s(empty)};
    batch.options.sheets = {"notes", "Gamma"};

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(fs::exists(batch.out / "some" / "Notes.htm"));
    EXPECT_TRUE(batch.errors.contains(none + ": no worksheet named \"notes\", \"Gamma\"; its "
                                             "worksheets are \"Alpha\", \"Beta\""))
        << batch.errors.toStdString();
    EXPECT_TRUE(batch.errors.contains(empty + ": no worksheet named \"notes\", \"Gamma\": the "
                                              "workbook has no worksheets"))
        << batch.errors.toStdString();
    EXPECT_FALSE(batch.errors.contains(some)) << batch.errors.toStdString();
    // No empty folder pretends the workbook was converted.
    EXPECT_FALSE(fs::exists(batch.out / "none"));
    EXPECT_FALSE(fs::exists(batch.out / "empty"));
}

TEST(BatchRun, AHiddenFileNamedAsInputConvertsLikeAnyOther) {
    FakeBatch batch;
    batch.options.inputs = {s(batch.workbook(batch.in / ".hidden.xls")),
                            s(batch.workbook(batch.in / ".dot" / "inside.xls")),
                            s(batch.in / ".dot")};

    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    EXPECT_TRUE(fs::exists(batch.out / "hidden" / "Sheet1.htm"));
    // A hidden folder named on the command line lists its workbooks too.
    EXPECT_TRUE(fs::exists(batch.out / "inside" / "Sheet1.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "inside1" / "Sheet1.htm"));
}

TEST(BatchRun, OutputDirectoryProblemsNameTheirCause) {
    struct Row {
        const char* name;
        const char* output; // inside the scratch output folder
        const char* said;
    } rows[] = {
        {"an existing file", "file.txt", "is an existing file, not a folder"},
        {"a hidden name", ".web", "has a hidden name"},
        {"a hidden name with a separator", ".web/", "has a hidden name"},
        {"a missing parent", "no/such", "its parent folder"},
        {"a parent that is a file", "file.txt/sub", "is a file, not a folder"},
        {"a wildcard", "web*", "takes for a wildcard"},
    };
    for (const Row& row : rows) {
        FakeBatch batch;
        std::ofstream(batch.out / "file.txt").put('x');
        batch.options.inputs = {s(batch.workbook(batch.in / "Book.xls"))};
        batch.options.outputFolder = s(batch.out.path()) + "/" + row.output;
        EXPECT_EQ(batch.run(), batch::SomeFailed) << row.name;
        EXPECT_TRUE(batch.errors.contains(QString::fromStdString(batch.options.outputFolder)))
            << row.name;
        EXPECT_TRUE(batch.errors.contains(row.said))
            << row.name << ": " << batch.errors.toStdString();
        EXPECT_EQ(batch.host.createdInstances(), 0) << row.name;
        EXPECT_FALSE(fs::exists(batch.out / ".web")) << row.name;
        EXPECT_FALSE(fs::exists(batch.out / "web*")) << row.name;
    }
}

TEST(BatchRun, AHostThatFailsMidWriteLeavesNoHiddenPartialFile) {
    FakeBatch batch;
    const QString book = batch.workbook(batch.in / "Book.xls", {"One", "Two"});
    batch.options.inputs = {s(book)};
    // What a host stopped between writing its temporary file and renaming it leaves behind.
    batch.host.onCall = [&](const QString& call) {
        if (call.startsWith("Publish"))
            std::ofstream(batch.out / "Book" / ".qm-write-a1B2c3").put('x');
    };
    batch.host.failOn("Publish", "The spreadsheet host stopped unexpectedly.", 2);

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(fs::exists(batch.out / "Book" / "One.htm"));
    EXPECT_FALSE(fs::exists(batch.out / "Book" / ".qm-write-a1B2c3"));
    EXPECT_TRUE(batch.errors.contains("stopped unexpectedly")) << batch.errors.toStdString();
}

TEST(BatchRun, FailuresAreNamedWithTheHostsDescriptionAndTheRestConverts) {
    FakeBatch batch;
    const QString good = batch.workbook(batch.in / "good.xls");
    const QString bad = batch.workbook(batch.in / "bad.xls");
    batch.host.failOn("Open", "The workbook is encrypted.", 2);
    batch.options.inputs = {s(good), s(bad), s(batch.in / "missing.xls"),
                            s(batch.in / ".gone.xls")};

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(fs::exists(batch.out / "good" / "Sheet1.htm"));
    EXPECT_TRUE(batch.errors.contains(bad + ": The workbook is encrypted."))
        << batch.errors.toStdString();
    EXPECT_TRUE(batch.errors.contains("missing.xls: no workbook file or folder there"));
    EXPECT_TRUE(batch.errors.contains(".gone.xls: no workbook file or folder there"));
    EXPECT_FALSE(batch.errors.contains("good.xls")) << batch.errors.toStdString();
    EXPECT_EQ(batch.host.liveInstances(), 0);
}

TEST(BatchRun, AWorkbookFolderThatCannotBeMadeIsAFailure) {
    FakeBatch batch;
    const QString book = batch.workbook(batch.in / "Book.xls");
    std::ofstream(batch.out / "Book").put('x'); // a file where the folder would go
    std::ofstream(batch.out / "Book1").put('x');
    batch.options.inputs = {s(book)};

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(batch.errors.contains("cannot create the folder")) << batch.errors.toStdString();
}

TEST(BatchRun, AnOutputDirectoryWithAMissingParentIsRefusedBeforeAnyWork) {
    FakeBatch batch;
    batch.options.inputs = {s(batch.workbook(batch.in / "Book.xls"))};
    batch.options.outputFolder = s(batch.out / "no" / "such");

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(
        batch.errors.contains("its parent folder " + q(batch.out / "no") + " does not exist"))
        << batch.errors.toStdString();
    EXPECT_EQ(batch.host.createdInstances(), 0);
}

TEST(BatchRun, ProgressNamesEachWorkbookOnlyWhenAsked) {
    FakeBatch batch;
    batch.options.inputs = {s(batch.workbook(batch.in / "A b.xls")),
                            s(batch.workbook(batch.in / "c.xlsx"))};
    EXPECT_EQ(batch.run(true), batch::AllConverted);
    EXPECT_EQ(batch.errors, "workbook 1 of 2: A b.xls\nworkbook 2 of 2: c.xlsx\n");

    FakeBatch quiet;
    quiet.options.inputs = {s(quiet.workbook(quiet.in / "A b.xls"))};
    EXPECT_EQ(quiet.run(false), batch::AllConverted);
    EXPECT_TRUE(quiet.errors.isEmpty());
}

} // namespace
