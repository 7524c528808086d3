// What the batch's modules did over Qt and now do on their own: letter case, the order of a
// folder's listing, the report's bytes and how a report is read back, and which half-written
// files are cleared.

#include "app/CaseFolding.h"
#include "app/KeptBytes.h"
#include "batch/DoneRecords.h"
#include "batch/FoldedCase.h"
#include "batch/PartialFiles.h"
#include "batch/PathRules.h"
#include "batch/PathText.h"
#include "batch/RunReport.h"
#include "batch/TreeListing.h"
#include "tests/support/TestPaths.h"

#include <QChar>
#include <QDir>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::ScratchDir;

// A name as the batch held it before: stray bytes kept as lone surrogates U+DC80..U+DCFF.
QString kept(const std::string& bytes) {
    return app::DecodeKeepingBytes(QByteArray::fromStdString(bytes));
}

bool isKeptByte(const QString& text, qsizetype at) {
    const char16_t unit = text.at(at).unicode();
    return unit >= 0xDC80 && unit <= 0xDCFF && !(at > 0 && text.at(at - 1).isHighSurrogate());
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Every character's folding is pinned in tests/app; here the batch's names sort and match as
// they did.
TEST(BatchParity, LetterCaseComparesAsQtCompared) {
    const std::string names[] = {"a.xls",
                                 "A.xls",
                                 "B.xls",
                                 "_x.xls",
                                 "\xc3\xa9.xls",
                                 "\xc3\x89.xls",
                                 "E.xls",
                                 "z.xls",
                                 "caf\xe9.xls",
                                 "caf\xc3\xa9.xls",
                                 "\xff",
                                 "\xe2\x84\xaa",
                                 "k",
                                 "\xc5\xbf",
                                 "S",
                                 "\xf0\x90\x90\x80",
                                 "\xf0\x90\x90\xa8",
                                 "\xef\xbc\xa1",
                                 "",
                                 "ab",
                                 "a",
                                 "\xed\xa0\x80"};
    for (const std::string& a : names)
        for (const std::string& b : names) {
            const int qt = kept(a).compare(kept(b), Qt::CaseInsensitive);
            EXPECT_EQ(sign(app::CompareIgnoringCase(a, b)), sign(qt)) << a << " / " << b;
        }
    EXPECT_TRUE(batch::ContainsIgnoringCase("The file IS ENCRYPTED.", "is encrypted"));
    EXPECT_TRUE(batch::EndsWithIgnoringCase("/out/Book.HTM", ".htm"));
    EXPECT_FALSE(batch::EndsWithIgnoringCase("htm", ".htm"));
}

TEST(BatchParity, AFolderTreeListsInTheOrderQtSortedItIn) {
    ScratchDir tree;
    const std::vector<std::string> names = {
        "b.xls",     "B2.xls",        "a.xls",        "A.xls",        "_a.xls",
        "10.xls",    "9.xls",         "\xc3\xa9.xls", "\xc3\x89.xls", "e.xls",
        "z\xe9.xls", "Z\xc3\xa9.xls", "~.xls",        "[x].xls",      "\xe2\x84\xaa.xls",
        "k.xlsx",    "\xc3\xa0.xls"};
    for (const std::string& name : names)
        std::ofstream(tree / name).put('x');
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        const int order = kept(a).compare(kept(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : QByteArray::fromStdString(a) < QByteArray::fromStdString(b);
    });
    EXPECT_EQ(batch::ListWorkbookTree(tree.path().string()), expected);
}

TEST(BatchParity, PathsAreCleanedAndMadeAbsoluteAsQDirDid) {
    for (const char* path : {"",
                             "/",
                             "//",
                             "/a",
                             "/a/",
                             "/a//b",
                             "/a/./b",
                             "/a/../b",
                             "/../a",
                             "/a/b/../../..",
                             ".",
                             "..",
                             "a/..",
                             "a/../..",
                             "../a",
                             "./a/",
                             "a//b/./c/..",
                             "/a/.b/..c/...",
                             "///a///",
                             "a/b/",
                             "/a/b/.",
                             "/a/b/..",
                             "/\xc3\xa9/./x"}) {
        EXPECT_EQ(batch::CleanPath(path), QDir::cleanPath(QString::fromUtf8(path)).toStdString())
            << path;
        if (*path != '\0') {
            EXPECT_EQ(batch::AbsolutePath(path),
                      QDir::current().absoluteFilePath(QString::fromUtf8(path)).toStdString())
                << path;
        }
    }
}

TEST(BatchParity, NamesShowAsTheyShowedWithTheirStrayBytesReplaced) {
    for (const std::string& bytes :
         {std::string("plain.xls"), std::string("caf\xc3\xa9.xls"), std::string("caf\xe9.xls"),
          std::string("\xff\xfe"), std::string("cut \xc3"), std::string("\xed\xa0\x80 s"),
          std::string("\xc0\xaf overlong"), std::string("\xf0\x9f\x93\x8a.xlsx"),
          std::string("\xf4\x90\x80\x80 past")}) {
        QString shown = kept(bytes);
        bool stray = false;
        for (qsizetype i = 0; i < shown.size(); ++i)
            if (isKeptByte(kept(bytes), i)) {
                shown[i] = QChar(0xFFFD);
                stray = true;
            }
        EXPECT_EQ(batch::HasStrayBytes(bytes), stray) << bytes;
        EXPECT_EQ(batch::Printable(bytes), shown.toStdString()) << bytes;
    }
}

// Lines as the report was written before, taken from that build.
const char* const earlierLines[] = {
    "{\"path\": \"/in/\\\"q\\\" \\\\ n\\nl\\tt\\rr caf\\udce9 \\u007f \\u0001 "
    "\\udced\\udca0\\udc80 \xc3\xa9 \xf0\x9f\x93\x8a.xls\", \"status\": \"failed\", \"size\": "
    "1234, \"mtime_ns\": 1765000000123456789, \"output\": \"/out/x\", \"pages\": "
    "[\"/out/x/a.htm\", \"/out/\\udcff.htm\"], \"error\": \"'x' is damaged: \\u001f\", \"kind\": "
    "\"damaged\", \"seconds\": 2.001, \"host_peak_bytes\": 44040192}\n",
    "{\"path\": \"/in/\\\"q\\\" \\\\ n\\nl\\tt\\rr caf\\udce9 \\u007f \\u0001 "
    "\\udced\\udca0\\udc80 \xc3\xa9 \xf0\x9f\x93\x8a.xls\", \"status\": \"started\", \"size\": "
    "1234, \"mtime_ns\": 1765000000123456789, \"output\": \"/out/x\"}\n",
    "{\"path\": \"\", \"status\": \"\", \"size\": -1, \"mtime_ns\": 0, \"output\": \"\", "
    "\"pages\": [], \"error\": \"\", \"kind\": \"\", \"seconds\": null, \"host_peak_bytes\": "
    "null}\n",
    "{\"path\": \"\", \"status\": \"converted\", \"size\": -1, \"mtime_ns\": 0, \"output\": \"\", "
    "\"pages\": [], \"error\": \"\", \"kind\": \"\", \"seconds\": 0.000, \"host_peak_bytes\": "
    "null}\n",
    "{\"path\": \"\", \"status\": \"converted\", \"size\": -1, \"mtime_ns\": 0, \"output\": \"\", "
    "\"pages\": [], \"error\": \"\", \"kind\": \"\", \"seconds\": 12345.679, \"host_peak_bytes\": "
    "null}\n",
};

const std::string oddPath =
    "/in/\"q\" \\ n\nl\tt\rr caf\xe9 \x7f \x01 \xed\xa0\x80 \xc3\xa9 \xf0\x9f\x93\x8a.xls";

TEST(BatchParity, ReportLinesAreTheBytesTheyWereBefore) {
    batch::ReportRecord record;
    record.path = oddPath;
    record.status = "failed";
    record.size = 1234;
    record.modifiedNs = 1765000000123456789LL;
    record.output = "/out/x";
    record.pages = {"/out/x/a.htm", "/out/\xff.htm"};
    record.error = "'x' is damaged: \x1f";
    record.kind = "damaged";
    record.seconds = 2.0005;
    record.hostPeakBytes = 44040192;
    EXPECT_EQ(batch::ReportLine(record), earlierLines[0]);
    record.status = "started";
    EXPECT_EQ(batch::ReportLine(record), earlierLines[1]);
    batch::ReportRecord empty;
    EXPECT_EQ(batch::ReportLine(empty), earlierLines[2]);
    empty.status = "converted";
    empty.seconds = 0;
    EXPECT_EQ(batch::ReportLine(empty), earlierLines[3]);
    empty.seconds = 12345.6789;
    EXPECT_EQ(batch::ReportLine(empty), earlierLines[4]);
}

TEST(BatchParity, AReportOfEarlierRunsReadsBackWithEveryByteOfItsPaths) {
    ScratchDir dir;
    const fs::path report = dir / "report.jsonl";
    {
        std::ofstream out(report, std::ios::binary);
        out << earlierLines[1] << earlierLines[0];
        // Written by hand or by another tool: other escapes, numbers with a fraction part of 0.
        out << "{\"path\": \"/in/\\uDCE9\\u0041.xls\", \"status\": \"converted\", \"size\": "
               "10.0, \"mtime_ns\": 5, \"output\": \"/out/\\u00e9\"}\n";
        // Lone surrogates that stand for no byte, and a NUL, match no path.
        out << "{\"path\": \"/in/\\ud800.xls\", \"status\": \"converted\"}\n";
        out << "{\"path\": \"/in/\\u0000e9.xls\", \"status\": \"converted\"}\n";
        out << "{\"path\": \"/in/\\\\udce9.xls\", \"status\": \"skipped\", \"size\": 1.5}\n";
        out << "[\"not an object\"]\n{\"path\": 3}\n\n   \n{\"path\": \"/in/cut";
    }
    const std::unordered_map<std::string, std::size_t> indexOf{{oddPath, 0},
                                                               {"/in/\xe9"
                                                                "A.xls",
                                                                1},
                                                               {"/in/.xls", 2},
                                                               {"/in/\xe9.xls", 3},
                                                               {"/in/\\udce9.xls", 4}};
    const batch::RecordedRun run = batch::ReadRecords(report.string(), indexOf, 5);
    EXPECT_TRUE(run.error.empty()) << run.error;
    EXPECT_EQ(run.unreadableLines, 3);
    EXPECT_EQ(run.records[0].status, "failed"); // the last line of the path
    EXPECT_EQ(run.records[0].size, 1234);
    EXPECT_EQ(run.records[0].modifiedNs, 1765000000123456789LL);
    EXPECT_EQ(run.records[0].output, "/out/x");
    EXPECT_EQ(run.records[1].status, "converted");
    EXPECT_EQ(run.records[1].size, 10);
    EXPECT_EQ(run.records[1].output, "/out/\xc3\xa9");
    EXPECT_EQ(run.records[2].status, "");
    EXPECT_EQ(run.records[3].status, "");
    EXPECT_EQ(run.records[4].status, "skipped");
    EXPECT_EQ(run.records[4].size, -1);

    EXPECT_TRUE(batch::ReadRecords((dir / "none.jsonl").string(), indexOf, 5).error.empty());
    EXPECT_NE(batch::ReadRecords(dir.path().string(), indexOf, 5).error.find("cannot be read"),
              std::string::npos);
}

TEST(BatchParity, OnlyTheHostsHalfWrittenFilesAreCleared) {
    ScratchDir out;
    ScratchDir elsewhere;
    fs::create_directories(out / "Book_files");
    fs::create_directories(out / ".hidden");
    fs::create_directory_symlink(elsewhere.path(), out / "linked");
    // Letter case ignored and six characters, not bytes, after the prefix, as a name filter.
    for (const fs::path& file :
         {out / ".qm-write-abc123", out / ".QM-WRITE-ABC123",
          out / ".qm-write-\xc3\xa9"
                "12345",
          out / "Book_files" / ".qm-write-x1y2z3", out / ".hidden" / ".qm-write-aaaaaa",
          out / ".qm-write-abc12", out / ".qm-write-abc1234", out / "page.htm",
          elsewhere / ".qm-write-kept00"})
        std::ofstream(file).put('x');
    fs::create_directories(out / ".qm-write-folder");

    EXPECT_EQ(batch::RemovePartialFiles(out.path().string()), 5);
    EXPECT_FALSE(fs::exists(out / ".qm-write-abc123"));
    EXPECT_FALSE(fs::exists(out / "Book_files" / ".qm-write-x1y2z3"));
    EXPECT_TRUE(fs::exists(out / ".qm-write-abc12"));
    EXPECT_TRUE(fs::exists(out / ".qm-write-abc1234"));
    EXPECT_TRUE(fs::exists(out / "page.htm"));
    EXPECT_TRUE(fs::exists(elsewhere / ".qm-write-kept00"));
    EXPECT_TRUE(fs::exists(out / ".qm-write-folder"));
}

} // namespace
