// The pages the real host writes for the corpus, per sheet and whole, carry what every reader
// needs (check_page_structure.py): a language, a viewport, one main landmark and one level-one
// heading, text alternatives for images and charts, and header cells where a sheet's rows are
// frozen as headers.

#include "engine/read/ReadWorkbook.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using testing_support::corpusFile;
using testing_support::ScratchDir;

const fs::path batch = fs::path(QM_BINARY_DIR) / "bin" / "quillmere-batch";
const fs::path checker = fs::path(QM_SOURCE_DIR) / "tests/e2e/check_page_structure.py";

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct CommandResult {
    int status = -1;
    std::string output;
};

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The corpus workbooks the manifest expects to open.
std::vector<std::string> readableWorkbooks() {
    std::vector<std::string> files;
    std::ifstream manifest(corpusFile("manifest.tsv"));
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        const auto first = line.find('\t'), second = line.find('\t', first + 1);
        if (second != std::string::npos && line.compare(second + 1, 3, "ok\t") == 0)
            files.push_back(line.substr(0, first));
    }
    return files;
}

// True when the frozen rows or columns of sheet `index`, or the shown header rows of its
// tables, hold a cell with something in it.
bool hasHeaderCells(const engine::Workbook& workbook, std::size_t index) {
    const engine::Sheet& sheet = workbook.sheets[index];
    return std::any_of(sheet.cells.begin(), sheet.cells.end(), [&](const engine::Cell& cell) {
        const auto heads = [&](const engine::Table& table) {
            return table.sheet == index && table.headerRows > 0 &&
                   cell.row == table.range.firstRow && table.range.contains(cell.row, cell.col);
        };
        return cell.type != engine::CellType::Empty &&
               (cell.row < sheet.frozenRows || cell.col < sheet.frozenColumns ||
                std::any_of(workbook.tables.begin(), workbook.tables.end(), heads));
    });
}

TEST(PageStructure, CorpusPagesServeEveryReader) {
    ScratchDir dir;
    std::string inputs;
    std::vector<std::string> headerPages;
    int index = 0;
    for (const std::string& file : readableWorkbooks()) {
        const std::string path = corpusFile(file).string();
        inputs += " " + quoted(path);
        engine::Workbook workbook;
        try {
            workbook = engine::readWorkbook(path);
        } catch (const engine::ReadError&) {
            continue;
        }
        // Each sheet with header rows gets a page of its own, to be found without knowing
        // the batch's naming rules.
        for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
            const engine::Sheet& sheet = workbook.sheets[i];
            if (sheet.kind != engine::SheetKind::Worksheet ||
                sheet.visibility != engine::Visibility::Visible || !hasHeaderCells(workbook, i) ||
                sheet.name.find(',') != std::string::npos)
                continue;
            const fs::path out = dir / ("headers" + std::to_string(index++));
            fs::create_directories(out);
            const CommandResult one =
                run(quoted(batch.string()) + " -q -j 1 -o " + quoted(out.string()) + " --sheets " +
                    quoted(sheet.name) + " " + quoted(path));
            ASSERT_EQ(one.status, 0) << file << ": " << one.output;
            for (const auto& entry : fs::recursive_directory_iterator(out))
                if (entry.is_regular_file() && entry.path().extension() == ".htm")
                    headerPages.push_back(entry.path().string());
        }
    }
    ASSERT_FALSE(headerPages.empty()) << "no corpus sheet has header rows";

    fs::create_directories(dir / "sheets");
    fs::create_directories(dir / "whole");
    const std::string common = quoted(batch.string()) + " -q -j 2 -o ";
    // Workbooks the manifest expects to open may still hold no sheet to publish.
    run(common + quoted((dir / "sheets").string()) + inputs);
    run(common + quoted((dir / "whole").string()) + " --entire --title workbook" + inputs);

    std::string command = "/usr/bin/python3 " + quoted(checker.string()) + " " +
                          quoted(dir.path().string()) + " --headers";
    for (const std::string& page : headerPages)
        command += " " + quoted(page);
    const CommandResult checked = run(command);
    EXPECT_EQ(checked.status, 0) << checked.output.substr(0, 20000);
    EXPECT_NE(checked.output.find(" 0 problems"), std::string::npos) << checked.output;
}

} // namespace
