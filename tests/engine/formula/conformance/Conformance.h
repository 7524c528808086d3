#pragma once
// Measures the calculator against workbooks whose results the spreadsheet application computed:
// every formula is recomputed from its text alone, with the stored results wiped, and compared
// with what the file holds (numbers to 1e-9 relative, texts, booleans and errors exactly).

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace conformance {

// A cell the calculator and the file disagree on.
struct Disagreement {
    std::string sheet;
    std::string cell;    // "B7"
    std::string formula; // as the file writes it, or its shared group's anchor's text
    std::string expected;
    std::string got;
};

// A cell judged to disagree for the suite's own reasons (a result of the machine, the locale or
// the clock), with the reason; read from a tab-separated table.
struct Exception {
    std::string workbook; // file name
    std::string sheet;
    std::string cell;
    std::string reason;
};

struct WorkbookReport {
    std::string name; // file name without folder
    std::uint32_t compared = 0;
    std::uint32_t agreed = 0;
    std::uint32_t volatileCells = 0; // on the clock or randomness, directly or through a cell
    std::uint32_t excepted = 0;      // listed as the suite's own fault
    std::string readError;           // the workbook could not be read at all
    std::vector<Disagreement> disagreements;
};

// Reads the exceptions table at `path` (workbook, sheet, cell, reason); empty when absent.
std::vector<Exception> readExceptions(const std::filesystem::path& path);

// Measures one workbook (.xlsx, .xlsm, .xlsb, .ods).
WorkbookReport measureWorkbook(const std::filesystem::path& path,
                               const std::vector<Exception>& exceptions);

// The workbooks of `folder` and its sub-folders, sorted by path.
std::vector<std::filesystem::path> workbooksUnder(const std::filesystem::path& folder);

// The family a workbook belongs to: its name before "__" ("FINANCIAL__PRICE.xlsx" → "FINANCIAL").
std::string familyOf(const std::string& workbookName);

} // namespace conformance
