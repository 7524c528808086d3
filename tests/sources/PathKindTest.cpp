#include "sources/PathKind.h"

#include "tests/support/TestPaths.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

using sources::PathKind;

TEST(PathKind, FilesFoldersAndNothing) {
    testing_support::ScratchDir dir;
    std::ofstream(dir / "Book1.xls") << "x";
    std::filesystem::create_directory(dir / "sub");
    struct Row {
        std::string path;
        int kind;
    } rows[] = {
        {(dir / "Book1.xls").string(), 2},
        {dir.path().string(), 1},
        {dir.path().string() + "/", 1},
        {dir.path().string() + "//", 1},
        {(dir / "sub").string(), 1},
        {"/", 1},
        {(dir / "missing.xls").string(), 0},
        {"", 0},
        {(dir / "Book1.xls").string() + "/", 0}, // a file is not a folder
        {dir.path().string() + "/*.*", 0},       // wildcards never match, even when files do
        {dir.path().string() + "/Book?.xls", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PathKind(row.path), row.kind) << row.path;
}

TEST(PathKind, HiddenEntriesAndSpecialFilesAreNothing) {
    testing_support::ScratchDir dir;
    std::ofstream(dir / ".hidden.xls") << "x";
    std::filesystem::create_directory(dir / ".hiddenfolder");
    ::mkfifo((dir / "pipe").c_str(), 0600);
    EXPECT_EQ(PathKind((dir / ".hidden.xls").string()), 0);
    EXPECT_EQ(PathKind((dir / ".hiddenfolder").string()), 0);
    EXPECT_EQ(PathKind((dir / ".hiddenfolder").string() + "/"), 0);
    EXPECT_EQ(PathKind((dir / "pipe").string()), 0);
    EXPECT_EQ(PathKind("/dev/null"), 0);
    // "." and ".." name folders, not hidden ones.
    EXPECT_EQ(PathKind(dir.path().string() + "/."), 1);
}

TEST(PathKind, UnreadableParentGivesNothing) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    testing_support::ScratchDir dir;
    std::filesystem::create_directory(dir / "locked");
    std::ofstream(dir / "locked" / "a.xls") << "x";
    ::chmod((dir / "locked").c_str(), 0);
    EXPECT_EQ(PathKind((dir / "locked" / "a.xls").string()), 0);
}

} // namespace
