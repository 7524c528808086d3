// quillmere-batch over archives on the fake host: whole trees, listed files, mirrored outputs,
// shards, the report and resuming from it.

#include "app/KeptBytes.h"
#include "app/Services.h"
#include "batch/BatchRun.h"
#include "tests/gui_support/Doubles.h"
#include "tests/gui_support/FakeHost.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

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
    ScratchDir work;
    QString errors;
    batch::BatchOptions options;

    FakeBatch() {
        host.writeFiles = true;
        options.outputFolder = s(out.path());
        // Workbooks reached through a link (names that are not UTF-8) open as any other.
        host.onCall = [this](const QString& call) {
            if (call.startsWith("Open(") && !host.books.contains(call.mid(5).chopped(1)))
                host.addWorkbook(call.mid(5).chopped(1), {"Sheet1"});
        };
    }
    QString workbook(const fs::path& path, const QStringList& sheets = {"Sheet1"}) {
        fs::create_directories(path.parent_path());
        std::ofstream(path).put('x');
        host.addWorkbook(q(path), sheets);
        return q(path);
    }
    int run() {
        errors.clear();
        const auto collect = [this](const std::string& line) {
            errors += QString::fromStdString(line) + u'\n';
        };
        return batch::RunBatch(options, host, random, collect, false);
    }
    QString report() const { return q(work / "report.jsonl"); }
    // The report's lines, by status.
    std::map<std::string, QStringList> lines() const {
        std::map<std::string, QStringList> byStatus;
        QFile file(report());
        if (!file.open(QIODevice::ReadOnly))
            return byStatus;
        while (!file.atEnd()) {
            const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
            byStatus[line.value("status").toString().toStdString()]
                << line.value("path").toString();
        }
        return byStatus;
    }
};

// Every file under `root` by relative path, with its bytes.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_directory()) {
            files[relative + "/"] = "";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        files[relative] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

TEST(BatchScale, AFolderWithNothingToConvertFailsAndPointsToRecursive) {
    FakeBatch batch;
    batch.workbook(batch.in / "2023" / "a.xls");
    batch.workbook(batch.in / "2024" / "deep" / "a.xls");
    batch.options.inputs = {s(batch.in.path())};
    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(batch.errors.contains("no workbooks in this folder; --recursive searches its "
                                      "subfolders"))
        << batch.errors.toStdString();
    EXPECT_EQ(batch.host.createdInstances(), 0);

    batch.options.recursive = true;
    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    EXPECT_TRUE(fs::exists(batch.out / "a" / "Sheet1.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "a1" / "Sheet1.htm"));

    ScratchDir empty;
    batch.options.inputs = {s(empty.path())};
    EXPECT_EQ(batch.run(), batch::SomeFailed);
    EXPECT_TRUE(batch.errors.contains("no workbooks in this folder or its subfolders"));
}

TEST(BatchScale, ThreeThousandWorkbooksInSixtyFoldersMirrorWithoutACollision) {
    FakeBatch batch;
    for (int folder = 0; folder < 60; ++folder)
        for (int book = 0; book < 50; ++book)
            batch.workbook(batch.in / ("dept " + std::to_string(folder)) /
                           ("book" + std::to_string(book) + ".xls"));
    batch.options.inputs = {s(batch.in.path())};
    batch.options.recursive = true;
    batch.options.mirror = true;

    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    EXPECT_EQ(batch.host.callsOf({"Open"}).size(), 3000);
    int pages = 0;
    for (const auto& entry : fs::recursive_directory_iterator(batch.out.path()))
        pages += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(pages, 3000);
    // Each page where its workbook is, under the name it has there: nothing moved on.
    EXPECT_TRUE(fs::exists(batch.out / "dept 0" / "book0" / "Sheet1.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "dept 59" / "book49" / "Sheet1.htm"));
    EXPECT_FALSE(fs::exists(batch.out / "dept 0" / "book01"));

    // Whole workbooks too, and a file named outright goes to the top.
    FakeBatch whole;
    whole.options.inputs = {s(whole.workbook(whole.in / "a" / "x.xls")),
                            s(whole.workbook(whole.in / "b" / "x.xls")), s(whole.in / "a"),
                            s(whole.in / "b")};
    whole.options.mirror = true;
    whole.options.output.entireWorkbook = true;
    EXPECT_EQ(whole.run(), batch::AllConverted) << whole.errors.toStdString();
    EXPECT_TRUE(fs::exists(whole.out / "x.htm"));
    EXPECT_TRUE(fs::exists(whole.out / "x1.htm"));
    EXPECT_TRUE(fs::exists(whole.out / "x12.htm")); // the folder inputs list names, not paths
}

TEST(BatchScale, ListedNamesWithSpacesLineEndsAndStrayBytesConvert) {
    FakeBatch batch;
    batch.workbook(batch.in / "with space" / "a b.xls");
    batch.workbook(batch.in / "two\nlines.xls");
    const QByteArray stray = QFile::encodeName(q(batch.in.path())) + "/caf\xe9.xls";
    std::ofstream(stray.toStdString()).put('x');
    const QByteArray list = QFile::encodeName(q(batch.in / "with space" / "a b.xls")) + '\0' +
                            QFile::encodeName(q(batch.in / "two\nlines.xls")) + '\0' + stray + '\0';
    std::ofstream(batch.work / "list", std::ios::binary).write(list.constData(), list.size());
    batch.options.filesFrom = s(batch.work / "list");
    batch.options.nulSeparated = true;
    batch.options.mirror = true;
    batch.options.reportFile = s(batch.report());

    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    const std::string mirrored = fs::relative(batch.in.path(), "/").string();
    EXPECT_TRUE(fs::exists(batch.out / mirrored / "with space" / "ab" / "Sheet1.htm"));
    EXPECT_TRUE(fs::exists(batch.out / mirrored / "two\nlines" / "Sheet1.htm"));
    EXPECT_TRUE(fs::exists(batch.out / mirrored / "caf\xef\xbf\xbd" / "Sheet1.htm"));
    // The report names the file by its own bytes.
    const QStringList converted = batch.lines()["converted"];
    ASSERT_EQ(converted.size(), 3);
    EXPECT_EQ(app::EncodeKeepingBytes(converted[2]), stray);
}

TEST(BatchScale, ShardsConvertEveryWorkbookOnceAndARerunSkipsThemAll) {
    FakeBatch batch;
    QByteArray list;
    for (int i = 0; i < 40; ++i) {
        const QString book = batch.workbook(batch.in / ("f" + std::to_string(i % 4)) /
                                            ("book" + std::to_string(i) + ".xls"));
        list += QFile::encodeName(book) + '\n';
    }
    std::ofstream(batch.work / "list", std::ios::binary).write(list.constData(), list.size());
    batch.options.filesFrom = s(batch.work / "list");
    batch.options.mirror = true;
    batch.options.reportFile = s(batch.report());
    for (int k = 1; k <= 4; ++k) {
        batch.options.shardIndex = k;
        batch.options.shardCount = 4;
        EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    }
    QStringList converted = batch.lines()["converted"];
    EXPECT_EQ(converted.size(), 40);
    converted.removeDuplicates();
    EXPECT_EQ(converted.size(), 40);

    const auto before = tree(batch.out.path());
    batch.options.skipDone = true;
    const qsizetype opened = batch.host.callsOf({"Open"}).size();
    for (int k = 1; k <= 4; ++k) {
        batch.options.shardIndex = k;
        EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    }
    EXPECT_EQ(batch.host.callsOf({"Open"}).size(), opened);
    EXPECT_EQ(batch.lines()["skipped"].size(), 40);
    EXPECT_EQ(tree(batch.out.path()), before);
}

TEST(BatchScale, SkipDoneRedoesAChangedInputInItsOwnPlaceAndNothingElse) {
    FakeBatch batch;
    const QString a = batch.workbook(batch.in / "a.xls");
    const QString b = batch.workbook(batch.in / "b.xls", {"One", "Two"});
    const QString c = batch.workbook(batch.in / "c.xls");
    batch.options.inputs = {s(batch.in.path())};
    batch.options.reportFile = s(batch.report());
    batch.options.skipDone = true;
    ASSERT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();

    std::ofstream(batch.in / "b.xls", std::ios::app) << "changed";
    // Not a page's: another run's mirrored folder that landed there stays.
    fs::create_directories(batch.out / "b" / "kept");
    std::ofstream(batch.out / "b" / "kept" / "other.htm").put('x');
    batch.host.addWorkbook(b, {"Two"}); // its new content has one sheet left
    const qsizetype opened = batch.host.callsOf({"Open"}).size();
    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    EXPECT_EQ(batch.host.callsOf({"Open"}).size(), opened + 1);
    EXPECT_EQ(batch.host.callsOf({"Open"}).constLast(), "Open(" + b + ")");
    // The same folder, holding the new pages only; the others untouched and not moved on.
    EXPECT_FALSE(fs::exists(batch.out / "b" / "One.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "b" / "Two.htm"));
    EXPECT_TRUE(fs::exists(batch.out / "b" / "kept" / "other.htm"));
    EXPECT_FALSE(fs::exists(batch.out / "b1"));
    EXPECT_FALSE(fs::exists(batch.out / "a1"));
    EXPECT_EQ(batch.lines()["skipped"], (QStringList{a, c}));

    // Pages removed by hand are made again, not skipped over.
    fs::remove_all(batch.out / "c");
    EXPECT_EQ(batch.run(), batch::AllConverted);
    EXPECT_TRUE(fs::exists(batch.out / "c" / "Sheet1.htm"));
}

TEST(BatchScale, AnInterruptedWorkbookIsEmptiedAndRedoneInItsOwnPlace) {
    FakeBatch uninterrupted;
    FakeBatch batch;
    for (FakeBatch* run : {&uninterrupted, &batch}) {
        // Display names alike, so that a resumed run must hand out the same suffixes.
        run->workbook(run->in / "x.xls");
        run->workbook(run->in / "x.xlsm", {"A", "B"}); // listed second
        run->workbook(run->in / "x.xlsx");
        run->options.inputs = {s(run->in.path())};
        run->options.reportFile = s(run->report());
        run->options.skipDone = true;
    }
    ASSERT_EQ(uninterrupted.run(), batch::AllConverted);

    // Killed while writing the second workbook: its line says it started, its folder holds what
    // it wrote so far and a temporary file; the third never began.
    batch.host.onCall = [&](const QString& call) {
        if (call.startsWith("Publish") && fs::exists(batch.out / "x1" / "A.htm"))
            throw std::runtime_error("killed");
    };
    batch.run();
    QFile report(batch.report());
    ASSERT_TRUE(report.open(QIODevice::ReadWrite));
    QList<QByteArray> lines = report.readAll().split('\n');
    const auto cut = std::find_if(lines.begin(), lines.end(), [](const QByteArray& line) {
        return line.contains("x.xlsm") && line.contains("\"started\"");
    });
    ASSERT_NE(cut, lines.end());
    lines.erase(cut + 1, lines.end());
    report.resize(0);
    report.write(lines.join('\n') + '\n');
    report.close();
    fs::remove_all(batch.out / "x12");
    std::ofstream(batch.out / "x1" / ".qm-write-AbCdEf").put('x');
    ASSERT_TRUE(fs::exists(batch.out / "x1" / "A.htm"));

    batch.host.onCall = nullptr;
    EXPECT_EQ(batch.run(), batch::AllConverted) << batch.errors.toStdString();
    EXPECT_EQ(tree(batch.out.path()), tree(uninterrupted.out.path()));
}

TEST(BatchScale, FailuresInTheReportSayWhatKind) {
    FakeBatch batch;
    batch.workbook(batch.in / "good.xls");
    batch.workbook(batch.in / "locked.xls");
    batch.workbook(batch.in / "broken.xls");
    // Opened in name order: broken, good, locked.
    batch.host.failOn("Open", "'broken.xls' is damaged: no BOF record", 1);
    batch.host.failOn("Open", "The workbook is encrypted and cannot be opened.", 3);
    batch.options.inputs = {s(batch.in.path()), s(batch.in / "gone.xls")};
    // A listed path is only looked at when its turn comes.
    std::ofstream(batch.work / "list") << q(batch.in / "listed-gone.xls").toStdString() << "\n";
    batch.options.filesFrom = s(batch.work / "list");
    batch.options.reportFile = s(batch.report());

    EXPECT_EQ(batch.run(), batch::SomeFailed);
    QFile file(batch.report());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::map<QString, QJsonObject> byName;
    while (!file.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
        if (line.value("status").toString() != "started")
            byName[line.value("path").toString().section(u'/', -1)] = line;
    }
    ASSERT_EQ(byName.size(), 5u);
    EXPECT_EQ(byName["good.xls"].value("status").toString(), "converted");
    EXPECT_EQ(byName["good.xls"].value("pages").toArray().size(), 1);
    EXPECT_EQ(byName["good.xls"].value("size").toInteger(), 1);
    EXPECT_GE(byName["good.xls"].value("seconds").toDouble(), 0.0);
    EXPECT_EQ(byName["locked.xls"].value("kind").toString(), "encrypted");
    EXPECT_EQ(byName["broken.xls"].value("kind").toString(), "damaged");
    EXPECT_EQ(byName["broken.xls"].value("error").toString(),
              "'broken.xls' is damaged: no BOF record");
    EXPECT_EQ(byName["gone.xls"].value("kind").toString(), "unreadable");
    EXPECT_EQ(byName["listed-gone.xls"].value("kind").toString(), "unreadable");
    EXPECT_EQ(byName["listed-gone.xls"].value("error").toString(), "no workbook file there");
    EXPECT_FALSE(fs::exists(batch.out / "listed-gone"));
}

} // namespace
