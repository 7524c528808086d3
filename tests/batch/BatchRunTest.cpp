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

struct FakeBatch {
    testing_support::FakeHost host;
    testing_support::FixedRandom random;
    ScratchDir in;
    ScratchDir out;
    QString errors;
    batch::BatchOptions options;

    FakeBatch() {
        host.writeFiles = true;
        options.outputFolder = q(out.path());
    }
    // An empty file the fake opens as a workbook of `sheets`.
    QString workbook(const fs::path& path, const QStringList& sheets = {"Sheet1"}) {
        fs::create_directories(path.parent_path());
        std::ofstream(path).put('x');
        host.addWorkbook(q(path), sheets);
        return q(path);
    }
    int run(bool progress = false) {
        QTextStream stream(&errors);
        return batch::RunBatch(options, host, random, stream, progress);
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
    batch.options.inputs = {q(batch.in / "a"), q(batch.in / "b")};
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
    batch.options.inputs = {q(batch.in.path())};
    batch.options.output.entireWorkbook = true;

    EXPECT_EQ(batch.run(), batch::AllConverted);
    EXPECT_EQ(batch.host.callsOf({"SaveAs"}).size(), 500);
    EXPECT_FALSE(fs::exists(batch.out / "w500.htm"));
    EXPECT_TRUE(batch.errors.contains("more than 500 workbooks")) << batch.errors.toStdString();
}

TEST(BatchRun, OnlyTheNamedSheetsArePublished) {
    FakeBatch batch;
    const QString book =
        batch.workbook(batch.in / "Book.xls", {"Summary", "Data", "summary", "Notes"});
    batch.options.inputs = {book};
    batch.options.sheets = {"Summary", "Notes", "Absent"};

    EXPECT_EQ(batch.run(), batch::AllConverted);
    const QStringList adds = batch.host.callsOf({"Add"});
    ASSERT_EQ(adds.size(), 2) << adds.join('\n').toStdString();
    EXPECT_TRUE(adds[0].contains(",Summary,")) << adds[0].toStdString();
    EXPECT_TRUE(adds[1].contains(",Notes,")) << adds[1].toStdString();
    EXPECT_TRUE(fs::exists(batch.out / "Book" / "Summary.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "Book" / "Notes.htm"));
}

TEST(BatchRun, FailuresAreNamedWithTheHostsDescriptionAndTheRestConverts) {
    FakeBatch batch;
    const QString good = batch.workbook(batch.in / "good.xls");
    const QString bad = batch.workbook(batch.in / "bad.xls");
    batch.host.failOn("Open", "The workbook is encrypted.", 2);
    batch.options.inputs = {good, bad, q(batch.in / "missing.xls"), q(batch.in / ".hidden.xls")};

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(fs::exists(batch.out / "good" / "Sheet1.htm"));
    EXPECT_TRUE(batch.errors.contains(bad + ": The workbook is encrypted."))
        << batch.errors.toStdString();
    EXPECT_TRUE(batch.errors.contains("missing.xls: no workbook file or folder there"));
    EXPECT_TRUE(batch.errors.contains(".hidden.xls: no workbook file or folder there"));
    EXPECT_FALSE(batch.errors.contains("good.xls")) << batch.errors.toStdString();
    EXPECT_EQ(batch.host.liveInstances(), 0);
}

TEST(BatchRun, AWorkbookFolderThatCannotBeMadeIsAFailure) {
    FakeBatch batch;
    const QString book = batch.workbook(batch.in / "Book.xls");
    std::ofstream(batch.out / "Book").put('x'); // a file where the folder would go
    std::ofstream(batch.out / "Book1").put('x');
    batch.options.inputs = {book};

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(batch.errors.contains("cannot create the folder")) << batch.errors.toStdString();
}

TEST(BatchRun, AnOutputDirectoryWithAMissingParentIsRefusedBeforeAnyWork) {
    FakeBatch batch;
    batch.options.inputs = {batch.workbook(batch.in / "Book.xls")};
    batch.options.outputFolder = q(batch.out / "no" / "such");

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(batch.errors.contains("cannot create the output directory"));
    EXPECT_EQ(batch.host.createdInstances(), 0);
}

TEST(BatchRun, ProgressNamesEachWorkbookOnlyWhenAsked) {
    FakeBatch batch;
    batch.options.inputs = {batch.workbook(batch.in / "A b.xls"),
                            batch.workbook(batch.in / "c.xlsx")};
    EXPECT_EQ(batch.run(true), batch::AllConverted);
    EXPECT_EQ(batch.errors, "workbook 1 of 2: A b.xls\nworkbook 2 of 2: c.xlsx\n");

    FakeBatch quiet;
    quiet.options.inputs = {quiet.workbook(quiet.in / "A b.xls")};
    EXPECT_EQ(quiet.run(false), batch::AllConverted);
    EXPECT_TRUE(quiet.errors.isEmpty());
}

} // namespace
