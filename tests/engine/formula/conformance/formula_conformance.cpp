// Prints how far the calculator agrees with workbooks the spreadsheet application computed:
// per workbook, per family and in all, and with --cells every disagreeing cell with its formula,
// the stored result and ours.
//
//   formula_conformance [--cells] [--only TEXT] [--exceptions FILE] FOLDER-OR-WORKBOOK...

#include "Conformance.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    bool cells = false;
    std::string only;
    std::vector<conformance::Exception> exceptions;
    std::vector<std::filesystem::path> books;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cells") {
            cells = true;
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--exceptions" && i + 1 < argc) {
            exceptions = conformance::readExceptions(argv[++i]);
        } else if (std::filesystem::is_directory(arg)) {
            for (const auto& path : conformance::workbooksUnder(arg))
                books.push_back(path);
        } else {
            books.emplace_back(arg);
        }
    }
    if (books.empty()) {
        std::fprintf(stderr,
                     "usage: %s [--cells] [--only TEXT] [--exceptions FILE] "
                     "FOLDER-OR-WORKBOOK...\n",
                     argv[0]);
        return 2;
    }
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> families;
    std::uint64_t compared = 0, agreed = 0, skipped = 0, excepted = 0;
    for (const auto& path : books) {
        if (!only.empty() && path.filename().string().find(only) == std::string::npos)
            continue;
        const conformance::WorkbookReport report = conformance::measureWorkbook(path, exceptions);
        if (!report.readError.empty()) {
            std::printf("%-50s unreadable: %s\n", report.name.c_str(), report.readError.c_str());
            continue;
        }
        const double share = report.compared ? 100.0 * report.agreed / report.compared : 100.0;
        std::printf("%-50s %6u/%-6u %7.2f %%  volatile %u, excepted %u\n", report.name.c_str(),
                    report.agreed, report.compared, share, report.volatileCells, report.excepted);
        if (cells)
            for (const auto& d : report.disagreements)
                std::printf("    %s!%s  =%s\n        expected %s\n        got      %s\n",
                            d.sheet.c_str(), d.cell.c_str(), d.formula.c_str(), d.expected.c_str(),
                            d.got.c_str());
        auto& family = families[conformance::familyOf(report.name)];
        family.first += report.agreed;
        family.second += report.compared;
        compared += report.compared;
        agreed += report.agreed;
        skipped += report.volatileCells;
        excepted += report.excepted;
    }
    std::printf("\n");
    for (const auto& [name, counts] : families)
        std::printf("%-30s %7llu/%-7llu %7.2f %%\n", name.c_str(),
                    static_cast<unsigned long long>(counts.first),
                    static_cast<unsigned long long>(counts.second),
                    counts.second ? 100.0 * counts.first / counts.second : 100.0);
    std::printf("\nall: %llu/%llu = %.2f %% agree; %llu volatile cells skipped, %llu excepted\n",
                static_cast<unsigned long long>(agreed), static_cast<unsigned long long>(compared),
                compared ? 100.0 * agreed / compared : 100.0,
                static_cast<unsigned long long>(skipped),
                static_cast<unsigned long long>(excepted));
    return 0;
}
