#include "engine/cfb/CompoundFile.h"

#include "engine/base/ReadError.h"
#include "tests/engine/cfb/CompoundFileBuilder.h"

#include <gtest/gtest.h>
#include <numeric>

namespace {

using engine::ReadError;
using engine::cfb::CompoundFile;
using testing_support::CompoundFileBuilder;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 9));
    return data;
}

ReadError::Kind failureOf(const std::vector<std::uint8_t>& file, std::string* detail = nullptr) {
    try {
        const CompoundFile cf(file);
        for (const auto& entry : cf.entries())
            if (entry.isStream)
                cf.read(entry);
    } catch (const ReadError& error) {
        if (detail)
            *detail = error.detail();
        return error.kind();
    }
    ADD_FAILURE() << "no error";
    return ReadError::Kind::Missing;
}

TEST(CompoundFile, ReadsRegularAndMiniStreamsAndFindsNamesIgnoringCase) {
    CompoundFileBuilder builder;
    builder.addStream("Workbook", pattern(10000, 1));
    builder.addStream("\x05SummaryInformation", pattern(300, 2));
    builder.addStream("Tiny", pattern(1, 3));
    const auto file = builder.build();
    const CompoundFile cf(file);
    ASSERT_EQ(cf.entries().size(), 3u);
    const auto* workbook = cf.findStream("WORKBOOK");
    ASSERT_NE(workbook, nullptr);
    EXPECT_EQ(cf.read(*workbook), pattern(10000, 1));
    EXPECT_EQ(cf.read(*cf.findStream("\x05summaryinformation")), pattern(300, 2));
    EXPECT_EQ(cf.read(*cf.findStream("tiny")), pattern(1, 3));
    EXPECT_EQ(cf.findStream("Book"), nullptr);
}

TEST(CompoundFile, FollowsTheDifatWhenTheFatOutgrowsTheHeader) {
    // 110 FAT sectors describe more than 7 MB: the 110th is listed in a DIFAT sector.
    CompoundFileBuilder builder;
    builder.addStream("Workbook", pattern(110 * 128 * 512, 9));
    const auto file = builder.build();
    const CompoundFile cf(file);
    EXPECT_EQ(cf.read(*cf.findStream("Workbook")), pattern(110 * 128 * 512, 9));
}

TEST(CompoundFile, RejectsBrokenChainsWithADamagedError) {
    CompoundFileBuilder builder;
    builder.addStream("Workbook", pattern(8192, 1)); // 16 sectors
    CompoundFileBuilder::Layout layout;
    const auto good = builder.build(&layout);
    const std::uint32_t first = layout.streamStart[0];
    std::string detail;

    auto loop = good; // the chain turns back on itself
    CompoundFileBuilder::setFat(loop, layout, first + 5, first + 2);
    EXPECT_EQ(failureOf(loop, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("loops"), std::string::npos) << detail;

    auto outside = good; // a sector past the end of the file
    CompoundFileBuilder::setFat(outside, layout, first + 3, 0x00FFFFFF);
    EXPECT_EQ(failureOf(outside, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("out of range"), std::string::npos) << detail;

    auto shortChain = good; // ends before the size is reached
    CompoundFileBuilder::setFat(shortChain, layout, first + 3, 0xFFFFFFFE);
    EXPECT_EQ(failureOf(shortChain, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("ends after 4 sectors, expected 16"), std::string::npos) << detail;

    auto crossLinked = good; // runs into the directory
    CompoundFileBuilder::setFat(crossLinked, layout, first + 3, layout.directorySector);
    EXPECT_EQ(failureOf(crossLinked, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("cross-linked"), std::string::npos) << "detail: " << detail;
}

TEST(CompoundFile, RejectsAbsurdSizesAndTruncationWithoutAllocatingByThem) {
    CompoundFileBuilder builder;
    builder.addStream("Workbook", pattern(8192, 1));
    CompoundFileBuilder::Layout layout;
    const auto good = builder.build(&layout);

    auto huge = good; // a 4 GB stream in a 10 kB file
    const std::size_t sizeField = (layout.directorySector + 1) * 512 + 128 + 0x78;
    for (int k = 0; k < 4; ++k)
        huge[sizeField + k] = 0xFF;
    std::string detail;
    EXPECT_EQ(failureOf(huge, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("exceeds the file size"), std::string::npos) << detail;

    for (const std::size_t cut : {std::size_t(100), std::size_t(700), good.size() - 1000}) {
        const std::vector<std::uint8_t> truncated(good.begin(), good.begin() + cut);
        EXPECT_EQ(failureOf(truncated), ReadError::Kind::Damaged) << "cut at " << cut;
    }

    auto manyFat = good; // a FAT count the file cannot hold
    manyFat[0x2C] = 0xFF;
    manyFat[0x2D] = 0xFF;
    EXPECT_EQ(failureOf(manyFat), ReadError::Kind::Damaged);
}

TEST(CompoundFile, RejectsADirectoryTreeThatLinksAnEntryTwice) {
    CompoundFileBuilder builder;
    builder.addStream("A", pattern(10, 1));
    builder.addStream("B", pattern(10, 2));
    CompoundFileBuilder::Layout layout;
    auto file = builder.build(&layout);
    // Entry 2's right sibling becomes entry 1 again.
    const std::size_t right = (layout.directorySector + 1) * 512 + 2 * 128 + 0x48;
    file[right] = 1;
    file[right + 1] = file[right + 2] = file[right + 3] = 0;
    std::string detail;
    EXPECT_EQ(failureOf(file, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("linked twice"), std::string::npos) << detail;
}

} // namespace

TEST(CompoundFile, ReadsALastSectorTheFileEndsInsideAsPaddedWithZeros) {
    // The big stream is the last thing in the file and fills its last sector to the brim, so
    // that every byte cut off is one of its own.
    {
        CompoundFileBuilder builder;
        builder.addStream("Workbook", pattern(8192, 4));
        auto file = builder.build();
        file.resize(file.size() - 10);
        const CompoundFile cf(file);
        auto expected = pattern(8192, 4);
        std::fill(expected.end() - 10, expected.end(), 0);
        EXPECT_EQ(cf.read(*cf.findStream("Workbook")), expected);
    }
    // Only small streams: the mini stream is the last thing in the file.
    {
        CompoundFileBuilder builder;
        builder.addStream("Book", pattern(1024, 5));
        auto file = builder.build();
        file.resize(file.size() - 7);
        const CompoundFile cf(file);
        auto expected = pattern(1024, 5);
        std::fill(expected.end() - 7, expected.end(), 0);
        EXPECT_EQ(cf.read(*cf.findStream("Book")), expected);
    }
}

TEST(CompoundFile, StillRefusesAFileCutShortByWholeSectors) {
    CompoundFileBuilder builder;
    builder.addStream("Workbook", pattern(8192, 4));
    auto file = builder.build();
    file.resize(file.size() - 512 - 10);
    std::string detail;
    EXPECT_EQ(failureOf(file, &detail), ReadError::Kind::Damaged);
    EXPECT_NE(detail.find("out of range"), std::string::npos) << detail;

    CompoundFileBuilder small;
    small.addStream("Book", pattern(1200, 5));
    auto miniFile = small.build();
    miniFile.resize(miniFile.size() - 1024);
    EXPECT_EQ(failureOf(miniFile), ReadError::Kind::Damaged);
}

TEST(CompoundFile, ReadsAMiniStreamWhoseSizeStopsInsideItsLastMiniSector) {
    CompoundFileBuilder builder;
    builder.addStream("Book", pattern(100, 6)); // two mini sectors, the second half used
    CompoundFileBuilder::Layout layout;
    auto file = builder.build(&layout);
    // The root's size says 90 bytes, not the 128 the mini sectors hold: the stream's last ten
    // bytes lie past the mini stream's end.
    const std::size_t rootSize = (layout.directorySector + 1) * 512 + 0x78;
    file[rootSize] = 90;
    file[rootSize + 1] = 0;
    const CompoundFile cf(file);
    auto expected = pattern(100, 6);
    std::fill(expected.end() - 10, expected.end(), 0);
    EXPECT_EQ(cf.read(*cf.findStream("Book")), expected);
}
