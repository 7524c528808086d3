// quillmere-batch on OpenDocument spreadsheets through the real host: a .ods named on the
// command line converts, while a folder's listing keeps to workbooks whose extension begins
// with "xls", as the window's does.

#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using testing_support::corpusFile;
using testing_support::ScratchDir;

int runBatch(const std::string& arguments, const fs::path& errors) {
    const std::string command =
        "'" QM_BINARY_DIR "/bin/quillmere-batch' -q " + arguments + " 2>'" + errors.string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(OdsBatch, ANamedSpreadsheetConvertsSheetBySheet) {
    ScratchDir out;
    const fs::path book = corpusFile("ods/calamine-issues.ods");
    ASSERT_EQ(runBatch("-o '" + (out / "pages").string() + "' '" + book.string() + "'",
                       out / "errors.txt"),
              0)
        << contents(out / "errors.txt");
    const fs::path folder = out / "pages" / "calamine-issues";
    ASSERT_TRUE(fs::is_directory(folder));
    const std::string page = contents(folder / "spc_chrs.htm");
    EXPECT_NE(page.find("&lt;"), std::string::npos);
    EXPECT_NE(page.find("àâéêèçöïî«»"), std::string::npos);
}

TEST(OdsBatch, AFolderListsOnlyWorkbooksWhoseExtensionBeginsWithXls) {
    ScratchDir in, out;
    fs::copy_file(corpusFile("ods/calamine-issues.ods"), in / "issues.ods");
    fs::copy_file(corpusFile("xls/xlrd-profiles.xls"), in / "profiles.xls");
    ASSERT_EQ(runBatch("-o '" + out.path().string() + "' '" + in.path().string() + "'",
                       in / "errors.txt"),
              0)
        << contents(in / "errors.txt");
    EXPECT_TRUE(fs::is_directory(out / "profiles"));
    EXPECT_FALSE(fs::exists(out / "issues"));
}

} // namespace
