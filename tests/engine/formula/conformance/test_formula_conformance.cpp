// Every formula of the formula suites recomputed from its text alone, against the result the
// spreadsheet application stored: the agreement per workbook and family is printed, and a floor
// holds it from sliding back.

#include "Conformance.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace {

// The share of compared cells that must agree; raised as the calculator learns.
constexpr double agreementFloor = 99.89;

TEST(FormulaConformance, SuitesAgreeWithTheStoredResults) {
    const std::filesystem::path suites = QM_FORMULA_SUITES_DIR;
    const auto books = conformance::workbooksUnder(suites);
    if (books.empty())
        GTEST_SKIP() << "no formula suites under " << suites;
    const auto exceptions =
        conformance::readExceptions(std::filesystem::path(QM_CONFORMANCE_DIR) / "exceptions.tsv");
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> families;
    std::uint64_t compared = 0, agreed = 0, skipped = 0;
    for (const auto& path : books) {
        const auto report = conformance::measureWorkbook(path, exceptions);
        EXPECT_EQ(report.readError, "") << report.name;
        auto& family = families[conformance::familyOf(report.name)];
        family.first += report.agreed;
        family.second += report.compared;
        compared += report.compared;
        agreed += report.agreed;
        skipped += report.volatileCells;
        std::printf("%-50s %6u/%-6u\n", report.name.c_str(), report.agreed, report.compared);
    }
    for (const auto& [name, counts] : families)
        std::printf("%-30s %7.2f %%\n", name.c_str(),
                    counts.second ? 100.0 * counts.first / counts.second : 100.0);
    const double share = compared ? 100.0 * agreed / compared : 100.0;
    std::printf("all: %llu of %llu cells agree (%.2f %%), %llu volatile skipped\n",
                static_cast<unsigned long long>(agreed), static_cast<unsigned long long>(compared),
                share, static_cast<unsigned long long>(skipped));
    EXPECT_GE(share, agreementFloor);
}

} // namespace
