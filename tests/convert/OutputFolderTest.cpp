// Preparing the output directory and creating each workbook's folder, on a real file system.

#include "convert/OutputFolder.h"

#include "sources/PathKind.h"
#include "tests/support/TestPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

using convert::PrepareResult;
using testing_support::ScratchDir;

constexpr int typed = -1;
constexpr int fromHistory = 0;

TEST(PrepareOutputFolder, TypedExistingFolderLosesItsTrailingSeparators) {
    ScratchDir scratch;
    std::string folder;
    EXPECT_EQ(convert::PrepareOutputFolder(scratch.path().string() + "//", typed, folder),
              PrepareResult::Ready);
    EXPECT_EQ(folder, scratch.path().string() + "/");
}

TEST(PrepareOutputFolder, TypedNewFolderIsCreatedOneLevelOnly) {
    ScratchDir scratch;
    std::string folder;
    EXPECT_EQ(convert::PrepareOutputFolder((scratch / "New").string(), typed, folder),
              PrepareResult::Ready);
    EXPECT_EQ(folder, (scratch / "New").string() + "/");
    EXPECT_EQ(sources::PathKind((scratch / "New").string()), sources::ExistingFolder);

    EXPECT_EQ(convert::PrepareOutputFolder((scratch / "A" / "B").string(), typed, folder),
              PrepareResult::CreateFailed);
    EXPECT_FALSE(std::filesystem::exists(scratch / "A"));
    EXPECT_EQ(folder, (scratch / "A" / "B").string()); // never used: no separator was appended
}

TEST(PrepareOutputFolder, Refusals) {
    ScratchDir scratch;
    std::ofstream(scratch / "file") << "x";
    struct Row {
        const char* what;
        std::string text;
        int listIndex;
        PrepareResult expected;
    } rows[] = {
        {"empty box", "", typed, PrepareResult::NoFolderGiven},
        {"empty box with a history entry", "", fromHistory, PrepareResult::NoFolderGiven},
        {"remembered folder gone", (scratch / "gone").string(), fromHistory,
         PrepareResult::FolderMissing},
        {"remembered path is a file", (scratch / "file").string(), fromHistory,
         PrepareResult::FolderMissing},
        {"typed path is a file", (scratch / "file").string(), typed, PrepareResult::CreateFailed},
        {"only separators", "///", typed, PrepareResult::CreateFailed},
    };
    for (const Row& row : rows) {
        std::string folder;
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
    std::string folder;
    EXPECT_EQ(convert::PrepareOutputFolder(scratch.path().string() + "/", fromHistory, folder),
              PrepareResult::Ready);
    EXPECT_EQ(folder, scratch.path().string() + "/");
}

TEST(WorkbookFolder, OnlyExistingFoldersMoveTheName) {
    ScratchDir scratch;
    const std::string out = scratch.path().string() + "/";
    auto existingFolder = [](const std::string& c) {
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
    EXPECT_TRUE(convert::CreateFolder((scratch / "new").string()));
    EXPECT_FALSE(convert::CreateFolder((scratch / "new").string()));
    EXPECT_FALSE(convert::CreateFolder((scratch / "taken").string()));
    EXPECT_FALSE(convert::CreateFolder((scratch / "missing" / "child").string()));
    EXPECT_FALSE(convert::CreateFolder(""));
}

TEST(WorkbookFolder, CreationFailsInAReadOnlyFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ScratchDir scratch;
    std::filesystem::create_directory(scratch / "locked");
    std::filesystem::permissions(scratch / "locked", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
    EXPECT_FALSE(convert::CreateFolder((scratch / "locked" / "child").string()));
    std::filesystem::permissions(scratch / "locked", std::filesystem::perms::owner_all);
}

} // namespace
