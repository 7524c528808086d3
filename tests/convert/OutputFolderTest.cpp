// Preparing the output directory and creating each workbook's folder, on a real file system.

#include "convert/OutputFolder.h"

#include "sources/PathKind.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using testing_support::q;

using convert::PrepareResult;
using testing_support::ScratchDir;

constexpr int typed = -1;
constexpr int fromHistory = 0;

TEST(PrepareOutputFolder, TypedExistingFolderLosesItsTrailingSeparators) {
    ScratchDir scratch;
    QString folder;
    EXPECT_EQ(convert::PrepareOutputFolder(q(scratch.path()) + "//", typed, folder),
              PrepareResult::Ready);
    EXPECT_EQ(folder, q(scratch.path()) + "/");
}

TEST(PrepareOutputFolder, TypedNewFolderIsCreatedOneLevelOnly) {
    ScratchDir scratch;
    QString folder;
    EXPECT_EQ(convert::PrepareOutputFolder(q(scratch / "New"), typed, folder),
              PrepareResult::Ready);
    EXPECT_EQ(folder, q(scratch / "New") + "/");
    EXPECT_EQ(sources::PathKind(q(scratch / "New")), sources::ExistingFolder);

    EXPECT_EQ(convert::PrepareOutputFolder(q(scratch / "A" / "B"), typed, folder),
              PrepareResult::CreateFailed);
    EXPECT_FALSE(std::filesystem::exists(scratch / "A"));
    EXPECT_EQ(folder, q(scratch / "A" / "B")); // never used: no separator was appended
}

TEST(PrepareOutputFolder, Refusals) {
    ScratchDir scratch;
    std::ofstream(scratch / "file") << "x";
    struct Row {
        const char* what;
        QString text;
        int listIndex;
        PrepareResult expected;
    } rows[] = {
        {"empty box", "", typed, PrepareResult::NoFolderGiven},
        {"empty box with a history entry", "", fromHistory, PrepareResult::NoFolderGiven},
        {"remembered folder gone", q(scratch / "gone"), fromHistory, PrepareResult::FolderMissing},
        {"remembered path is a file", q(scratch / "file"), fromHistory,
         PrepareResult::FolderMissing},
        {"typed path is a file", q(scratch / "file"), typed, PrepareResult::CreateFailed},
        {"only separators", "///", typed, PrepareResult::CreateFailed},
    };
    for (const Row& row : rows) {
        QString folder;
        EXPECT_EQ(convert::PrepareOutputFolder(row.text, row.listIndex, folder), row.expected)
            << row.what;
    }
    // A remembered folder is never recreated.
    EXPECT_FALSE(std::filesystem::exists(scratch / "gone"));
    EXPECT_EQ(convert::PrepareMessage(PrepareResult::NoFolderGiven), "Please select output folder");
    EXPECT_EQ(convert::PrepareMessage(PrepareResult::FolderMissing), "Folder does not exist!");
    EXPECT_EQ(convert::PrepareMessage(PrepareResult::CreateFailed), "Failed to create folder!");
}

TEST(PrepareOutputFolder, RememberedExistingFolder) {
    ScratchDir scratch;
    QString folder;
    EXPECT_EQ(convert::PrepareOutputFolder(q(scratch.path()) + "/", fromHistory, folder),
              PrepareResult::Ready);
    EXPECT_EQ(folder, q(scratch.path()) + "/");
}

TEST(WorkbookFolder, OnlyExistingFoldersMoveTheName) {
    ScratchDir scratch;
    const QString out = q(scratch.path()) + "/";
    auto existingFolder = [](const QString& c) {
        return sources::PathKind(c) == sources::ExistingFolder;
    };
    std::filesystem::create_directory(scratch / "Sales");
    std::filesystem::create_directory(scratch / "Sales1");
    std::ofstream(scratch / "Sales12") << "a file does not count";
    EXPECT_EQ(convert::ChooseWorkbookFolder(out, "Sales", existingFolder), out + "Sales12");
    // The output directory itself is the candidate of an empty display name.
    EXPECT_EQ(convert::ChooseWorkbookFolder(out, "", existingFolder), out + "1");
}

TEST(WorkbookFolder, CreationFailsWhereItCannotSucceed) {
    ScratchDir scratch;
    std::ofstream(scratch / "taken") << "x";
    EXPECT_TRUE(convert::CreateFolder(q(scratch / "new")));
    EXPECT_FALSE(convert::CreateFolder(q(scratch / "new")));
    EXPECT_FALSE(convert::CreateFolder(q(scratch / "taken")));
    EXPECT_FALSE(convert::CreateFolder(q(scratch / "missing" / "child")));
    EXPECT_FALSE(convert::CreateFolder(QString()));
}

TEST(WorkbookFolder, CreationFailsInAReadOnlyFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ScratchDir scratch;
    std::filesystem::create_directory(scratch / "locked");
    std::filesystem::permissions(scratch / "locked", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
    EXPECT_FALSE(convert::CreateFolder(q(scratch / "locked" / "child")));
    std::filesystem::permissions(scratch / "locked", std::filesystem::perms::owner_all);
}

} // namespace
