// quillmere-batch over an archive with the real host: a run killed halfway and resumed with
// --skip-done ends with the pages of a run never interrupted.

#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::corpusFile;
using testing_support::q;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

const QString batchProgram = QStringLiteral(QM_BINARY_DIR "/bin/quillmere-batch");

// Every file under `root` by relative path, with its bytes.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        std::ifstream in(entry.path(), std::ios::binary);
        files[relative] = entry.is_directory()
                              ? std::string("/")
                              : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

int convertedLines(const fs::path& report) {
    QFile file(q(report));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(file.readAll().count("\"status\": \"converted\""));
}

TEST(BatchArchive, AKilledRunResumedWithSkipDoneEndsWithTheUninterruptedPages) {
    // Equal names in two folders and across extensions, so that suffixes are handed out, and a
    // name that is not UTF-8.
    ScratchDir source;
    const char* books[] = {"xls/xlrd-profiles.xls",         "xlsx/edr-TestMultiSheet.xlsx",
                           "xls/xlrd-Formate.xls",          "xlsx/calamine-picture.xlsx",
                           "xlsx/calamine-any_sheets.xlsx", "xls/edr-Test_Excel_Dataset.xls"};
    int copied = 0;
    // Enough workbooks that the run is still busy when the test sees its eighth page, however
    // fast the conversions or slow the machine.
    for (const char* folder : {"2020", "2021", "2022", "2023", "2024", "2025"}) {
        fs::create_directories(source / folder);
        for (const char* book : books)
            fs::copy_file(corpusFile(book), source / folder /
                                                ("report" + std::to_string(copied++ % 4) + "." +
                                                 fs::path(book).extension().string().substr(1)));
    }
    fs::copy_file(corpusFile("xls/xlrd-profiles.xls"), source / "2025" / "caf\xe9.xls");
    fs::copy_file(corpusFile("bad/edr-EmptyZipFile.xlsx"), source / "2025" / "broken.xlsx");

    ScratchDir whole;
    ScratchDir resumed;
    const QStringList common{"--recursive", "--skip-done", "--jobs", "1", q(source.path())};
    QProcess uninterrupted;
    uninterrupted.start(batchProgram,
                        QStringList{"-o", q(whole / "out"), "--report", q(whole / "report.jsonl")} +
                            common);
    ASSERT_TRUE(uninterrupted.waitForFinished(300'000));
    EXPECT_EQ(uninterrupted.exitCode(), 1); // the broken one
    const auto expected = tree(whole / "out");
    ASSERT_GE(expected.size(), 40u);

    const QStringList arguments =
        QStringList{"-o", q(resumed / "out"), "--report", q(resumed / "report.jsonl")} + common;
    QProcess killed;
    killed.start(batchProgram, arguments);
    ASSERT_TRUE(killed.waitForStarted());
    // Halfway: some converted, the next one under way.
    for (int waited = 0; waited < 15000 && convertedLines(resumed / "report.jsonl") < 8; ++waited)
        QThread::msleep(2);
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished(60'000));
    const int before = convertedLines(resumed / "report.jsonl");
    EXPECT_GE(before, 8);
    EXPECT_LT(before, 37) << "the run ended before it could be killed";

    QProcess again;
    again.start(batchProgram, arguments);
    ASSERT_TRUE(again.waitForFinished(300'000));
    EXPECT_EQ(again.exitCode(), 1) << again.readAllStandardError().toStdString();
    EXPECT_EQ(convertedLines(resumed / "report.jsonl"), 37);
    const auto actual = tree(resumed / "out");
    for (const auto& [name, bytes] : actual)
        EXPECT_TRUE(expected.count(name)) << "only after the resumed run: " << name;
    for (const auto& [name, bytes] : expected) {
        const auto found = actual.find(name);
        EXPECT_TRUE(found != actual.end() && found->second == bytes)
            << "missing or different after the resumed run: " << name;
    }
    EXPECT_TRUE(actual.count("caf\xef\xbf\xbd/PROFILEDEF.htm"));
}

// The program's exit status for `arguments`, passed as bytes, its standard error kept quiet.
int runWithBytes(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), batchProgram.toStdString());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BatchArchive, AWorkbookNamedOnTheCommandLineByBytesThatAreNotUtf8Converts) {
    ScratchDir source;
    ScratchDir out;
    const fs::path book = source / "caf\xe9.xlsx";
    fs::copy_file(corpusFile("xlsx/edr-TestMultiSheet.xlsx"), book);
    ASSERT_EQ(runWithBytes({"-q", "-o", out.path().string(), book.string()}), 0);
    // The host names what it writes by text: the stray byte becomes U+FFFD.
    EXPECT_TRUE(fs::exists(out / "caf\xef\xbf\xbd" / "Sheet1.htm"));
    ScratchDir whole;
    ASSERT_EQ(runWithBytes({"-q", "--entire", "-o", whole.path().string(), book.string()}), 0);
    EXPECT_TRUE(fs::exists(whole / "caf\xef\xbf\xbd.htm"));
}

} // namespace
