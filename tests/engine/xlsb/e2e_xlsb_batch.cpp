// The corpus's binary workbook converted by quillmere-batch on the real host: the same pages,
// byte for byte, as its XML twin saved from the same workbook.

#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>

namespace {

namespace fs = std::filesystem;
using testing_support::corpusFile;
using testing_support::ScratchDir;

// Every file under `root` by relative path, with its bytes.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), root).string()] = {std::istreambuf_iterator<char>(in),
                                                            std::istreambuf_iterator<char>()};
    }
    return files;
}

int convert(const fs::path& workbook, const fs::path& out) {
    const std::string command = std::string("'" QM_BINARY_DIR "/bin/quillmere-batch' -q -o '") +
                                out.string() + "' '" + workbook.string() + "'";
    return std::system(command.c_str());
}

TEST(XlsbEndToEnd, TheBinaryWorkbookGivesThePagesOfItsXmlTwin) {
    ScratchDir work;
    // Both copies carry one name so that folders, file names and titles agree.
    fs::create_directories(work / "binary");
    fs::create_directories(work / "xml");
    fs::copy_file(corpusFile("other/calamine-any_sheets.xlsb"), work / "binary" / "any.xlsb");
    fs::copy_file(corpusFile("xlsx/calamine-any_sheets.xlsx"), work / "xml" / "any.xlsx");
    ASSERT_EQ(convert(work / "binary" / "any.xlsb", work / "binary-out"), 0);
    ASSERT_EQ(convert(work / "xml" / "any.xlsx", work / "xml-out"), 0);
    const auto binary = tree(work / "binary-out");
    const auto xml = tree(work / "xml-out");
    ASSERT_EQ(binary.size(), 3u); // the three worksheets; the chart sheet has no page
    EXPECT_EQ(binary, xml);
    const std::string& visible = binary.at("any/Visible.htm");
    EXPECT_NE(visible.find("This workbook contains 4 sheets"), std::string::npos);
}

} // namespace
