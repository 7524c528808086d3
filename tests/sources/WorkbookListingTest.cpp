// The directory listing behind the workbook list, on real folders.

#include "sources/WorkbookListing.h"

#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <QFile>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing_support::q;

using sources::JoinPath;
using sources::ListWorkbookNames;
using testing_support::ScratchDir;

void touch(const std::filesystem::path& path) {
    std::ofstream(path) << "x";
}

TEST(WorkbookListing, WorkbooksOnlySortedIgnoringCase) {
    ScratchDir dir;
    for (const char* name : {"b.xls", "A.XLSX", "c.xlsm", "d.Xlsb", "e.xlt", "notes.txt", "xls",
                             ".hidden.xls", "f.xls.bak", "g.bak.xls", "h.xlsfoo"})
        touch(dir / name);
    std::filesystem::create_directory(dir / "sub.xls");
    std::filesystem::create_symlink(dir / "b.xls", dir / "link.xls");
    std::filesystem::create_symlink(dir / "sub.xls", dir / "dirlink.xls");
    std::filesystem::create_symlink(dir / "gone.xls", dir / "dangling.xls");
    EXPECT_EQ(
        ListWorkbookNames(q(dir.path()), 500),
        QStringList({"A.XLSX", "b.xls", "c.xlsm", "d.Xlsb", "g.bak.xls", "h.xlsfoo", "link.xls"}));
}

TEST(WorkbookListing, FirstFiveHundredOfManyInNameOrder) {
    ScratchDir dir;
    // 20,000 files, 620 of them workbooks, created in an order unlike the name order.
    for (int i = 0; i < 620; ++i)
        touch(dir / ("Book" + std::to_string((i * 7919) % 620 + 1000) + ".xls"));
    for (int i = 0; i < 19380; ++i)
        touch(dir / ("other" + std::to_string(i) + ".txt"));
    const QStringList names = ListWorkbookNames(q(dir.path()), 500);
    ASSERT_EQ(names.size(), 500);
    EXPECT_EQ(names.first(), QStringLiteral("Book1000.xls"));
    EXPECT_EQ(names.last(), QStringLiteral("Book1499.xls"));
    for (qsizetype i = 1; i < names.size(); ++i)
        EXPECT_LT(names[i - 1].compare(names[i], Qt::CaseInsensitive), 0);
}

TEST(WorkbookListing, NamesThatDifferOnlyInCaseKeepAStableOrder) {
    ScratchDir dir;
    for (const char* name : {"b.xls", "B.xls", "a.xls"})
        touch(dir / name);
    EXPECT_EQ(ListWorkbookNames(q(dir.path()), 500), QStringList({"a.xls", "B.xls", "b.xls"}));
    EXPECT_EQ(ListWorkbookNames(q(dir.path()), 2), QStringList({"a.xls", "B.xls"}));
    EXPECT_TRUE(ListWorkbookNames(q(dir.path()), 0).isEmpty());
}

TEST(WorkbookListing, OddNamesAreListedWithoutHarm) {
    ScratchDir dir;
    touch(dir / "line\nbreak.xls");
    touch(dir / "with blank 'quote\".xls");
    touch(dir / "Übersicht.xlsx");
    touch(dir / std::string("bad\xff\xfe.xls"));
    const QStringList names = ListWorkbookNames(q(dir.path()), 500);
    ASSERT_EQ(names.size(), 4);
    EXPECT_TRUE(names.contains(QStringLiteral("line\nbreak.xls")));
    EXPECT_TRUE(names.contains(QStringLiteral("with blank 'quote\".xls")));
    EXPECT_TRUE(names.contains(QStringLiteral("Übersicht.xlsx")));
}

TEST(WorkbookListing, NothingToListGivesAnEmptyList) {
    ScratchDir dir;
    touch(dir / "a.xls");
    std::filesystem::create_directory(dir / "only-folders");
    std::filesystem::create_directory(dir / "only-folders" / "x.xls");
    EXPECT_TRUE(ListWorkbookNames(q(dir / "missing"), 500).isEmpty());
    EXPECT_TRUE(ListWorkbookNames(q(dir / "a.xls"), 500).isEmpty());
    EXPECT_TRUE(ListWorkbookNames(QString(), 500).isEmpty());
    EXPECT_TRUE(ListWorkbookNames(q(dir / "only-folders"), 500).isEmpty());
    if (::geteuid() != 0) { // root reads every folder
        std::filesystem::create_directory(dir / "locked");
        touch(dir / "locked" / "a.xls");
        ::chmod((dir / "locked").c_str(), 0);
        EXPECT_TRUE(ListWorkbookNames(q(dir / "locked"), 500).isEmpty());
        ::chmod((dir / "locked").c_str(), 0700);
    }
}

TEST(WorkbookListing, JoinGivesOneSeparator) {
    EXPECT_EQ(JoinPath(QStringLiteral("/data"), QStringLiteral("a.xls")),
              QStringLiteral("/data/a.xls"));
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("a.xls")), QStringLiteral("/a.xls"));
    EXPECT_EQ(JoinPath(QStringLiteral("/data/"), QStringLiteral("a.xls")),
              QStringLiteral("/data/a.xls"));
}

} // namespace
