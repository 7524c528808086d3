// Inputs that once broke the binary readers (found by fuzzing): each must now end in a workbook
// or a ReadError, never a crash, a hang or another exception.

#include "engine/read/ReadWorkbook.h"
#include "engine/xls/WorkbookStream.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

std::vector<std::filesystem::path> regressionFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(QM_XLS_REGRESSIONS, missing))
        if (entry.is_regular_file() && entry.path().extension() == ".bin")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class XlsRegression : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(XlsRegression, EndsInAWorkbookOrAReadError) {
    std::ifstream in(GetParam(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    try {
        engine::readWorkbookBytes(bytes);
    } catch (const engine::ReadError& error) {
        EXPECT_FALSE(error.detail().empty());
    }
    if (bytes.size() >= 2 && bytes[0] == 0x09 && bytes[1] == 0x08) {
        try {
            engine::xls::readWorkbookStream(bytes, false);
        } catch (const engine::ReadError& error) {
            EXPECT_FALSE(error.detail().empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, XlsRegression, ::testing::ValuesIn(regressionFiles()),
                         [](const auto& info) {
                             std::string name = info.param.stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(XlsRegression);

} // namespace
