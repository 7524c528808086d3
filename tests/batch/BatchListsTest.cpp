// The pieces of a run at scale that need no host: shards, the --files-from list, names that are
// not UTF-8, the walk of a folder tree and the report's lines.

#include "app/KeptBytes.h"
#include "batch/DoneRecords.h"
#include "batch/InputWorkbooks.h"
#include "batch/PathList.h"
#include "batch/PathText.h"
#include "batch/RunReport.h"
#include "batch/Shard.h"
#include "batch/TreeListing.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::q;
using testing_support::ScratchDir;

// Paths as an archive has them: nested folders, spaces, and bytes that are not UTF-8.
std::vector<std::string> generatedPaths(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        std::string path = "dept" + std::to_string(i % 37) + "/year " +
                           std::to_string(2000 + i % 23) + "/book" + std::to_string(i);
        if (i % 11 == 0)
            path += "\xe9t\xe9";
        paths.push_back(path + ".xls");
    }
    return paths;
}

TEST(Shards, EveryPathFallsInExactlyOneShardForEachCountUpTo16) {
    const std::vector<std::string> paths = generatedPaths(20000);
    for (int count = 1; count <= 16; ++count) {
        std::vector<int> sizes(static_cast<std::size_t>(count) + 1, 0);
        for (const std::string& path : paths) {
            // Exactly one: the shard a path is in is the only one that claims it.
            int claimed = 0;
            for (int k = 1; k <= count; ++k)
                claimed += batch::ShardOf(path, count) == k ? 1 : 0;
            ASSERT_EQ(claimed, 1) << path << " of " << count;
            ++sizes[static_cast<std::size_t>(batch::ShardOf(path, count))];
        }
        // Even enough that N machines finish together: within a fifth of the mean.
        const double mean = double(paths.size()) / count;
        for (int k = 1; k <= count; ++k)
            EXPECT_NEAR(sizes[static_cast<std::size_t>(k)], mean, mean * 0.2)
                << "shard " << k << " of " << count;
    }
}

TEST(Shards, OneMoreShardMovesOnlyItsShareAndTheValuesNeverChange) {
    const std::vector<std::string> paths = generatedPaths(20000);
    for (int count = 1; count < 16; ++count) {
        int moved = 0;
        for (const std::string& path : paths)
            moved += batch::ShardOf(path, count) != batch::ShardOf(path, count + 1) ? 1 : 0;
        const double share = double(paths.size()) / (count + 1);
        EXPECT_LT(moved, share * 1.2) << count << " to " << count + 1;
    }
    // Machines and later builds must agree: these values come from the hash's definition (FNV-1a
    // 64, MurmurHash3's finishing mix, jump consistent hashing), computed apart from this code.
    EXPECT_EQ(batch::ShardOf("a.xls", 4), batch::ShardOf(std::string("a.xls"), 4));
    const int known[] = {batch::ShardOf("reports/2024/q1.xlsx", 16),
                         batch::ShardOf("reports/2024/q2.xlsx", 16), batch::ShardOf("", 16)};
    EXPECT_EQ(known[0], 16);
    EXPECT_EQ(known[1], 2);
    EXPECT_EQ(known[2], 2);
}

TEST(Shards, OnlyKOfNWithinBoundsIsAShard) {
    const struct Row {
        const char* text;
        bool valid;
        int index, count;
    } rows[] = {{"1/1", true, 1, 1},   {"3/4", true, 3, 4},       {" 2 / 5 ", true, 2, 5},
                {"0/4", false, 0, 0},  {"5/4", false, 0, 0},      {"1/0", false, 0, 0},
                {"1", false, 0, 0},    {"1/2/3", false, 0, 0},    {"a/b", false, 0, 0},
                {"-1/4", false, 0, 0}, {"1/2000000", false, 0, 0}};
    for (const Row& row : rows) {
        int index = -7;
        int count = -7;
        EXPECT_EQ(batch::ParseShard(row.text, index, count), row.valid) << row.text;
        EXPECT_EQ(index, row.valid ? row.index : -7) << row.text;
        EXPECT_EQ(count, row.valid ? row.count : -7) << row.text;
    }
}

TEST(PathBytes, NamesThatAreNotUtf8KeepEveryByte) {
    const QByteArray cases[] = {
        "plain.xls", "caf\xc3\xa9.xls",        "caf\xe9.xls",       "\xff\xfe",
        "cut \xc3",  "\xed\xa0\x80 surrogate", "\xc0\xaf overlong", "\xf0\x9f\x93\x8a.xlsx"};
    for (const QByteArray& bytes : cases) {
        const std::string text = bytes.toStdString();
        EXPECT_EQ(batch::HasStrayBytes(text), QString::fromUtf8(bytes).toUtf8() != bytes)
            << bytes.toStdString();
        EXPECT_FALSE(batch::HasStrayBytes(batch::Printable(text)));
    }
    EXPECT_EQ(batch::Printable("caf\xe9.xls"), "caf\xef\xbf\xbd.xls");
}

struct ListFile {
    ScratchDir dir;
    std::string write(const std::string& bytes) {
        const fs::path path = dir / "list";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
};

bool has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

TEST(PathList, LinesOrNulSeparatedNamesArriveByteForByte) {
    ListFile file;
    const batch::PathList lines =
        batch::ReadPathList(file.write("a b/c d.xls\r\n\n/abs/\xe9.xls\nlast without end"), false);
    EXPECT_TRUE(lines.error.empty()) << lines.error;
    EXPECT_EQ(lines.paths,
              (std::vector<std::string>{"a b/c d.xls", "/abs/\xe9.xls", "last without end"}));

    const batch::PathList nul =
        batch::ReadPathList(file.write(std::string("two\nlines.xls\0 lead.xls\0\0", 25)), true);
    EXPECT_TRUE(nul.error.empty());
    EXPECT_EQ(nul.paths, (std::vector<std::string>{"two\nlines.xls", " lead.xls"}));
}

TEST(PathList, AListItCannotTakeIsAnErrorThatSaysWhy) {
    ListFile file;
    const batch::PathList forgotNull =
        batch::ReadPathList(file.write(std::string("a.xls\0b.xls\0\n", 13)), false);
    EXPECT_TRUE(has(forgotNull.error, "--null")) << forgotNull.error;

    const batch::PathList endless = batch::ReadPathList(file.write(std::string(9000, 'x')), true);
    EXPECT_TRUE(has(endless.error, "longer than any path")) << endless.error;
    EXPECT_TRUE(endless.paths.empty());

    const batch::PathList missing = batch::ReadPathList((file.dir / "none").string(), false);
    EXPECT_TRUE(has(missing.error, "cannot be read")) << missing.error;
}

TEST(Inputs, NamesGivenOrListedKeepTheirBytesAndListedOnesStayInsideTheirRoot) {
    ScratchDir dir;
    const fs::path file = dir / "caf\xe9.xls";
    std::ofstream(file).put('x');
    ListFile list;
    const std::string listed = list.write("../../up/x.xls\n" + dir.path().string() + "/./b.xls\n");
    const batch::CollectedInputs inputs = batch::CollectInputs(
        {file.string(), (dir / "gone\xe9.xls").string()}, batch::InputRules{false, listed, false});
    ASSERT_EQ(inputs.workbooks.size(), 3u);
    EXPECT_EQ(inputs.workbooks[0].path, file.string());
    EXPECT_EQ(inputs.workbooks[0].itemText(), "caf\xef\xbf\xbd.xls");
    EXPECT_EQ(inputs.workbooks[0].relative(), "caf\xe9.xls");
    EXPECT_EQ(inputs.missing, std::vector<std::string>{(dir / "gone\xe9.xls").string()});
    // Relative to the current folder, cleaned; below its root as listed, never above it.
    EXPECT_TRUE(inputs.workbooks[1].path.starts_with('/'));
    EXPECT_TRUE(inputs.workbooks[1].path.ends_with("/up/x.xls"));
    EXPECT_EQ(inputs.workbooks[1].relative(), "up/x.xls");
    EXPECT_EQ(inputs.workbooks[2].path, dir.path().string() + "/b.xls");
    EXPECT_EQ(inputs.workbooks[2].relative(), dir.path().relative_path().string() + "/b.xls");
}

TEST(TreeListing, WorkbooksOfEveryLevelInOrderWithoutHiddenOnesOrLinkedFolders) {
    ScratchDir tree;
    for (const char* name : {"b.xls", "A.xlsx", "notes.txt", ".hidden.xls", "sub/z.ods",
                             "sub/deeper/y.XLSB", "Sub2/t.xltx", ".dot/in.xls", "sub/f.fods"}) {
        fs::create_directories((tree / name).parent_path());
        std::ofstream(tree / name).put('x');
    }
    fs::create_directory_symlink(tree.path(), tree / "loop");
    fs::create_symlink(tree / "b.xls", tree / "linked.xls");

    std::vector<std::string> found = batch::ListWorkbookTree(tree.path().string());
    EXPECT_EQ(found, (std::vector<std::string>{"A.xlsx", "b.xls", "linked.xls", "sub/f.fods",
                                               "sub/z.ods", "sub/deeper/y.XLSB", "Sub2/t.xltx"}));
    EXPECT_TRUE(batch::ListWorkbookTree("/no/such/folder").empty());
}

TEST(Report, LinesAreJsonThatKeepsEveryCharacterAndByte) {
    batch::ReportRecord record;
    record.path = "/in/\"quoted\" \\ new\nline caf\xe9.xls";
    record.status = "failed";
    record.size = 1234;
    record.modifiedNs = 1'765'000'000'123'456'789;
    record.output = "/out/x";
    record.pages = {"/out/x/a.htm", "/out/x/\t.htm"};
    record.error = "'x' is damaged: \x01 control";
    record.kind = "damaged";
    record.seconds = 0.25;
    record.hostPeakBytes = 42 << 20;
    const QByteArray line = QByteArray::fromStdString(batch::ReportLine(record));
    ASSERT_TRUE(line.endsWith("}\n"));
    EXPECT_EQ(line.count('\n'), 1);
    EXPECT_TRUE(line.contains("\\udce9")) << line.toStdString();

    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.value("path").toString(),
              app::DecodeKeepingBytes(QByteArray::fromStdString(record.path)));
    EXPECT_EQ(object.value("mtime_ns").toInteger(), record.modifiedNs);
    EXPECT_EQ(object.value("pages").toArray().size(), 2);
    EXPECT_EQ(object.value("error").toString().toStdString(), record.error);
    EXPECT_EQ(object.value("seconds").toDouble(), 0.25);
    EXPECT_EQ(object.value("host_peak_bytes").toInteger(), 42 << 20);

    batch::ReportRecord started = record;
    started.status = "started";
    const QJsonObject begun =
        QJsonDocument::fromJson(QByteArray::fromStdString(batch::ReportLine(started))).object();
    EXPECT_FALSE(begun.contains("pages"));
    EXPECT_TRUE(
        QJsonDocument::fromJson(QByteArray::fromStdString(batch::ReportLine(batch::ReportRecord{})))
            .isObject());
}

TEST(Report, AKilledWriterLeavesOnlyWholeLinesAndACutLineSpoilsNoNewOne) {
    ScratchDir dir;
    const std::string path = (dir / "report.jsonl").string();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        batch::ReportFile report;
        if (!report.open(path).empty())
            ::_exit(3);
        batch::ReportRecord record;
        record.status = "converted";
        record.pages = std::vector<std::string>(20, std::string(100, 'p'));
        for (int i = 0;; ++i) {
            record.path = "/in/book" + std::to_string(i) + ".xls";
            report.append(record);
            ::usleep(20);
        }
    }
    ::usleep(200'000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    // A line cut short, as by a machine that went down mid-write.
    {
        std::ofstream cut(dir / "report.jsonl", std::ios::app);
        cut << R"({"path": "/in/cut.xls", "sta)";
    }
    batch::ReportFile again;
    ASSERT_TRUE(again.open(path).empty());
    batch::ReportRecord after;
    after.path = "/in/after.xls";
    after.status = "converted";
    ASSERT_TRUE(again.append(after));

    std::ifstream in(dir / "report.jsonl");
    std::string line;
    int whole = 0;
    int bad = 0;
    while (std::getline(in, line))
        (QJsonDocument::fromJson(QByteArray::fromStdString(line)).isObject() ? whole : bad)++;
    EXPECT_GT(whole, 10);
    EXPECT_EQ(bad, 1); // the cut line alone

    const std::unordered_map<std::string, std::size_t> indexOf{{"/in/after.xls", 0},
                                                               {"/in/book3.xls", 1}};
    const batch::RecordedRun run = batch::ReadRecords(path, indexOf, 2);
    EXPECT_EQ(run.unreadableLines, 1);
    EXPECT_EQ(run.records[0].status, "converted");
    EXPECT_EQ(run.records[1].status, "converted");
}

} // namespace
