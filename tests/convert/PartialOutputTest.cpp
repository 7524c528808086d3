// The guard of one page's write: what a host ended in the middle leaves goes, everything else in
// the folder stays, and the guard's cost does not grow with the folder.

#include "convert/PartialOutput.h"

#include "engine/web/Sink.h"
#include "engine/web/TemporaryName.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using convert::PartialOutput;
using testing_support::ScratchDir;

int listings = 0;
std::vector<std::string> countedListing(const std::string& folder) {
    ++listings;
    return convert::ListFolderEntries(folder);
}

std::vector<std::string> tree(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string temporaryFor(const std::string& page, int attempt) {
    return engine::web::TemporaryName(page, attempt);
}

// A folder of `pages` published pages, as a long run leaves it.
void fillWithPages(const fs::path& folder, int pages) {
    for (int i = 0; i < pages; ++i)
        std::ofstream(folder / ("Sheet" + std::to_string(i) + ".htm")) << "page";
}

// Listings for one publish of `page` guarded in `folder`: the guard set up, then either dropped
// (the publish succeeded) or asked to take back what it guarded.
int listingsForOnePublish(const fs::path& folder, const std::string& page, bool fails,
                          bool supportingExists) {
    if (supportingExists)
        fs::create_directory(folder / (page + "_files"));
    listings = 0;
    const PartialOutput guard((folder / (page + ".htm")).string(), countedListing);
    if (fails)
        guard.removeAdded();
    return listings;
}

TEST(PartialOutput, ItsListingsDoNotGrowWithTheFolder) {
    ScratchDir few, many;
    fillWithPages(few.path(), 2);
    fillWithPages(many.path(), 400);
    int page = 0;
    for (const bool fails : {false, true})
        for (const bool supportingExists : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "fails " << fails << ", supporting folder there " << supportingExists);
            const std::string name = "New" + std::to_string(++page);
            const int inFew = listingsForOnePublish(few.path(), name, fails, supportingExists);
            EXPECT_EQ(listingsForOnePublish(many.path(), name, fails, supportingExists), inFew);
            // Only the page's own supporting folder is ever listed.
            EXPECT_EQ(inFew, supportingExists ? 1 + int(fails) : 0);
        }
}

TEST(PartialOutput, AFailedWriteLeavesTheFolderAsItWas) {
    ScratchDir scratch;
    fillWithPages(scratch.path(), 3);
    // What was there before: a leftover of an earlier host that died writing the same page
    // (its name taken, so this write uses the next), another page's temporary file, and an
    // older page of this name with its picture.
    std::ofstream(scratch / temporaryFor("Sales.htm", 0)) << "older half page";
    std::ofstream(scratch / temporaryFor("Sheet1.htm", 0)) << "another page's";
    std::ofstream(scratch / "Sales.htm") << "old page";
    fs::create_directory(scratch / "Sales_files");
    std::ofstream(scratch / "Sales_files" / "image001.png") << "old picture";
    const std::vector<std::string> before = tree(scratch.path());

    const PartialOutput guard((scratch / "Sales.htm").string());
    // The host got half way: its own temporary page and supporting files, and the old
    // picture set aside to be replaced.
    std::ofstream(scratch / temporaryFor("Sales.htm", 1)) << "half a page";
    std::ofstream(scratch / "Sales_files" / "image002.png") << "new picture";
    std::ofstream(scratch / "Sales_files" / temporaryFor("image003.png", 0)) << "half";
    std::ofstream(scratch / "Sales_files" / ".qm-keep-Ab12Cd") << "kept copy";
    guard.removeAdded();

    std::vector<std::string> expected = before;
    expected.push_back("Sales_files/.qm-keep-Ab12Cd");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tree(scratch.path()), expected);
    std::ifstream old(scratch / "Sales.htm");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old page");
}

TEST(PartialOutput, ANewPageAndItsNewFolderGoEntirely) {
    ScratchDir scratch;
    const PartialOutput guard((scratch / "Sales.htm").string());
    std::ofstream(scratch / "Sales.htm") << "page without its pictures";
    fs::create_directory(scratch / "Sales_files");
    std::ofstream(scratch / "Sales_files" / "image001.png") << "picture";
    // A name that is not UTF-8 is taken back too: its bytes are the ones listed.
    std::ofstream(scratch / "Sales_files" / "caf\xe9.png") << "picture";
    guard.removeAdded();
    EXPECT_TRUE(tree(scratch.path()).empty());
}

TEST(PartialOutput, FindsTheSupportingFolderAsTheFileInfoOfQtDoes) {
    for (const char* page : {"/o/x/Sales.htm", "/o/x/a.b.mhtml", "/o//x/./y/../Sales.htm",
                             "/Sales.htm", "rel/Sales.htm", "Sales.htm", "./Sales.htm",
                             "../up/Sales.htm", "/o/x/.htm", "/o/x/noext", "/o/x/\xC3\x84.htm"}) {
        const QFileInfo info(QString::fromUtf8(page));
        const QString expected = QDir::cleanPath(
            info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral("_files"));
        EXPECT_EQ(convert::SupportingFolder(page), expected.toStdString()) << page;
    }
}

TEST(PartialOutput, ARelativePageIsGuardedInItsFolder) {
    ScratchDir scratch;
    const fs::path before = fs::current_path();
    fs::current_path(scratch.path());
    {
        const PartialOutput guard("Sales.htm");
        std::ofstream("Sales.htm") << "page";
        fs::create_directory("Sales_files");
        std::ofstream("Sales_files/image001.png") << "picture";
        EXPECT_TRUE(guard.placed());
        guard.removeAdded();
    }
    fs::current_path(before);
    EXPECT_TRUE(tree(scratch.path()).empty());
}

// The writer and the guard must agree on the temporary names: a writer process that dies in the
// middle of a page (no destructor runs) leaves a file the guard then finds by name.
TEST(PartialOutput, FindsWhatADeadWriterLeft) {
    ScratchDir scratch;
    std::ofstream(scratch / "user.txt") << "mine";
    for (int stale = 0; stale <= engine::web::temporaryNameTries; ++stale) {
        SCOPED_TRACE(testing::Message() << stale << " names taken by earlier writes");
        for (int attempt = 0; attempt < stale; ++attempt)
            std::ofstream(scratch / temporaryFor("Page.htm", attempt)) << "stale";
        const std::vector<std::string> before = tree(scratch.path());
        const PartialOutput guard((scratch / "Page.htm").string());
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            auto* sink = new engine::web::FileSink((scratch / "Page.htm").string());
            sink->write("<html>half");
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_GT(tree(scratch.path()).size(), before.size()); // the writer left its file
        guard.removeAdded();
        if (stale < engine::web::temporaryNameTries) {
            EXPECT_EQ(tree(scratch.path()), before);
        }
        // With every predictable name taken the writer falls back to a random one, which only
        // the batch's final sweep finds; the stale files still stay.
        for (int attempt = 0; attempt < stale; ++attempt)
            EXPECT_TRUE(fs::exists(scratch / temporaryFor("Page.htm", attempt)));
        for (const auto& entry : fs::directory_iterator(scratch.path()))
            if (entry.path().filename() != "user.txt")
                fs::remove(entry.path());
    }
}

} // namespace

namespace {

// Whether the write finished is told by what stands at the page's place, also where a page of
// the same name was there before and the host renamed the new one over it.
TEST(PartialOutput, APageIsPlacedOnceANewFileStandsAtItsPlace) {
    ScratchDir dir;
    std::ofstream(dir / "Old.htm") << "earlier";
    const PartialOutput absent((dir / "New.htm").string());
    const PartialOutput untouched((dir / "Old.htm").string());
    EXPECT_FALSE(absent.placed());
    EXPECT_FALSE(untouched.placed());

    std::ofstream(dir / "New.htm") << "page";
    std::ofstream(dir / "Old.htm") << "rewritten in place";
    EXPECT_TRUE(absent.placed());
    EXPECT_FALSE(untouched.placed());

    std::ofstream(dir / "Next.tmp") << "page";
    fs::rename(dir / "Next.tmp", dir / "Old.htm");
    EXPECT_TRUE(untouched.placed());
}

} // namespace
