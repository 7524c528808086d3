#include "sources/PathKind.h"

#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QString>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testing_support::q;

using sources::PathKind;

TEST(PathKind, FilesFoldersAndNothing) {
    testing_support::ScratchDir dir;
    std::ofstream(dir / "Book1.xls") << "x";
    std::filesystem::create_directory(dir / "sub");
    struct Row {
        QString path;
        int kind;
    } rows[] = {
        {q(dir / "Book1.xls"), 2},
        {q(dir.path()), 1},
        {q(dir.path()) + "/", 1},
        {q(dir.path()) + "//", 1},
        {q(dir / "sub"), 1},
        {QStringLiteral("/"), 1},
        {q(dir / "missing.xls"), 0},
        {QString(), 0},
        {q(dir / "Book1.xls") + "/", 0}, // a file is not a folder
        {q(dir.path()) + "/*.*", 0},     // wildcards never match, even when files do
        {q(dir.path()) + "/Book?.xls", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PathKind(row.path), row.kind) << row.path.toStdString();
}

TEST(PathKind, HiddenEntriesAndSpecialFilesAreNothing) {
    testing_support::ScratchDir dir;
    std::ofstream(dir / ".hidden.xls") << "x";
    std::filesystem::create_directory(dir / ".hiddenfolder");
    ::mkfifo((dir / "pipe").c_str(), 0600);
    EXPECT_EQ(PathKind(q(dir / ".hidden.xls")), 0);
    EXPECT_EQ(PathKind(q(dir / ".hiddenfolder")), 0);
    EXPECT_EQ(PathKind(q(dir / ".hiddenfolder") + "/"), 0);
    EXPECT_EQ(PathKind(q(dir / "pipe")), 0);
    EXPECT_EQ(PathKind(QStringLiteral("/dev/null")), 0);
    // "." and ".." name folders, not hidden ones.
    EXPECT_EQ(PathKind(q(dir.path()) + "/."), 1);
}

TEST(PathKind, UnreadableParentGivesNothing) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    testing_support::ScratchDir dir;
    std::filesystem::create_directory(dir / "locked");
    std::ofstream(dir / "locked" / "a.xls") << "x";
    ::chmod((dir / "locked").c_str(), 0);
    EXPECT_EQ(PathKind(q(dir / "locked" / "a.xls")), 0);
}

} // namespace
