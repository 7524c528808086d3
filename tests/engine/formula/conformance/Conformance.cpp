#include "Conformance.h"

#include "engine/base/ReadError.h"
#include "engine/formula/Calculator.h"
#include "engine/model/Workbook.h"
#include "engine/ods/OdsReader.h"
#include "engine/xlsb/XlsbReader.h"
#include "engine/xlsx/XlsxReader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace conformance {
namespace {

using engine::Cell;
using engine::CellType;
using engine::Workbook;

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The workbook as the file holds it: the readers alone, so nothing is computed yet.
Workbook readStored(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".xlsb")
        return engine::xlsb::readBinaryPackage(bytes);
    if (ext == ".ods")
        return engine::ods::readPackage(bytes);
    if (ext == ".fods")
        return engine::ods::readFlatDocument(bytes);
    return engine::xlsx::readPackage(bytes);
}

std::string cellName(std::uint32_t row, std::uint32_t col) {
    std::string letters;
    for (std::uint32_t c = col + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row + 1);
}

const Cell* findCell(const engine::Sheet& sheet, std::uint32_t row, std::uint32_t col) {
    const auto it = std::lower_bound(
        sheet.cells.begin(), sheet.cells.end(), std::pair{row, col},
        [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
            return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
        });
    return it != sheet.cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

// A cell's value as kind and text: "n:3.5", "s:text", "b:TRUE", "e:#N/A", "-" for none.
struct Shown {
    char kind = '-';
    double number = 0;
    std::string text;

    std::string str() const {
        if (kind == 'n') {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.17g", number);
            return std::string("n:") + buffer;
        }
        return std::string(1, kind) + ":" + text;
    }
};

Shown shownOf(const Workbook& book, const Cell* cell) {
    Shown out;
    if (cell == nullptr)
        return out;
    switch (cell->type) {
    case CellType::Number:
        out.kind = 'n';
        out.number = cell->number;
        break;
    case CellType::Text:
        out.kind = 's';
        out.text = cell->text < book.strings.size() ? book.strings[cell->text].text : "";
        break;
    case CellType::Boolean:
        out.kind = 'b';
        out.text = cell->boolean ? "TRUE" : "FALSE";
        break;
    case CellType::Error:
        out.kind = 'e';
        out.text = engine::errorText(cell->error);
        break;
    case CellType::Empty:
        break;
    }
    return out;
}

bool same(const Shown& expected, const Shown& got) {
    if (expected.kind != got.kind)
        return false;
    if (expected.kind != 'n')
        return expected.text == got.text;
    const double a = expected.number, b = got.number;
    if (a == b)
        return true;
    // Relative, with a floor for results that cancel to about nothing (1e-17 against 0).
    return std::fabs(a - b) <= std::max(1e-9 * std::max(std::fabs(a), std::fabs(b)), 1e-15);
}

bool mentions(std::string text, std::string_view word) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        const bool startsName =
            at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) ||
                         text[at - 1] == '.' || text[at - 1] == '_');
        if (startsName && end < text.size() && text[end] == '(')
            return true;
    }
    return false;
}

// Functions whose results depend on the clock or on chance.
bool callsVolatile(const std::string& text) {
    for (std::string_view name : {"TODAY", "NOW", "RAND", "RANDBETWEEN", "RANDARRAY"})
        if (mentions(text, name))
            return true;
    return false;
}

struct Position {
    std::uint32_t sheet, row, col;
    std::string formula;
    auto operator<=>(const Position& other) const {
        return std::tie(sheet, row, col) <=> std::tie(other.sheet, other.row, other.col);
    }
    bool operator==(const Position& other) const {
        return sheet == other.sheet && row == other.row && col == other.col;
    }
};

// Every cell a formula fills: each formula's own, and each cell of an array formula's range.
std::vector<Position> formulaCells(const Workbook& book) {
    std::set<Position> cells;
    for (std::uint32_t s = 0; s < book.sheets.size(); ++s) {
        const engine::Sheet& sheet = book.sheets[s];
        std::map<std::uint32_t, std::string> sharedTexts;
        for (const engine::CellFormula& f : sheet.formulas)
            if (f.sharedIndex != engine::CellFormula::noShare && !f.text.empty())
                sharedTexts.emplace(f.sharedIndex, f.text);
        for (const engine::CellFormula& f : sheet.formulas) {
            std::string text = f.text;
            if (text.empty() && f.sharedIndex != engine::CellFormula::noShare)
                text = sharedTexts[f.sharedIndex];
            cells.insert({s, f.row, f.col, text});
            if (!f.array)
                continue;
            const engine::Range& r = f.arrayRange;
            for (std::uint32_t row = r.firstRow; row <= r.lastRow && row < r.firstRow + 10000;
                 ++row)
                for (std::uint32_t col = r.firstCol; col <= r.lastCol; ++col)
                    cells.insert({s, row, col, text});
        }
    }
    return {cells.begin(), cells.end()};
}

// Forgets every result the file stores, so that each formula is computed from its text alone;
// a cell the calculator leaves alone then shows #GETTING_DATA rather than the file's answer.
void wipeResults(Workbook& book, const std::vector<Position>& cells) {
    book.fullCalcOnLoad = true;
    for (engine::Sheet& sheet : book.sheets)
        for (engine::CellFormula& f : sheet.formulas)
            f.hasResult = false;
    for (const Position& p : cells) {
        auto& list = book.sheets[p.sheet].cells;
        auto it = std::lower_bound(
            list.begin(), list.end(), std::pair{p.row, p.col},
            [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& q) {
                return cell.row < q.first || (cell.row == q.first && cell.col < q.second);
            });
        if (it == list.end() || it->row != p.row || it->col != p.col) {
            Cell cell;
            cell.row = p.row;
            cell.col = static_cast<std::uint16_t>(p.col);
            it = list.insert(it, cell);
        }
        it->isFormula = true;
        it->type = CellType::Error;
        it->error = engine::CellError::GettingData;
    }
}

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

} // namespace

std::vector<Exception> readExceptions(const std::filesystem::path& path) {
    std::vector<Exception> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(trim(field));
        if (fields.size() >= 4)
            out.push_back({fields[0], fields[1], fields[2], fields[3]});
    }
    return out;
}

WorkbookReport measureWorkbook(const std::filesystem::path& path,
                               const std::vector<Exception>& exceptions) {
    WorkbookReport report;
    report.name = path.filename().string();
    Workbook stored;
    try {
        stored = readStored(path);
    } catch (const std::exception& error) {
        report.readError = error.what();
        return report;
    }
    const std::vector<Position> cells = formulaCells(stored);
    Workbook early = stored;
    wipeResults(early, cells);
    Workbook late = early;
    // Two moments years apart: a cell whose result moves with the clock is not the suite's
    // to judge, nor is one the file computed on its own day.
    engine::formula::CalcOptions first, second;
    first.now = 45000.25;
    second.now = 47654.75;
    engine::formula::computeFormulas(early, first);
    engine::formula::computeFormulas(late, second);

    for (const Position& p : cells) {
        const engine::Sheet& sheet = stored.sheets[p.sheet];
        const Shown expected = shownOf(stored, findCell(sheet, p.row, p.col));
        const Shown got = shownOf(early, findCell(early.sheets[p.sheet], p.row, p.col));
        const Shown again = shownOf(late, findCell(late.sheets[p.sheet], p.row, p.col));
        if (callsVolatile(p.formula) || !same(got, again)) {
            ++report.volatileCells;
            continue;
        }
        const std::string where = cellName(p.row, p.col);
        const bool excepted = std::any_of(exceptions.begin(), exceptions.end(), [&](auto& e) {
            return e.workbook == report.name && e.sheet == sheet.name && e.cell == where;
        });
        if (excepted) {
            ++report.excepted;
            continue;
        }
        ++report.compared;
        if (same(expected, got))
            ++report.agreed;
        else
            report.disagreements.push_back(
                {sheet.name, where, p.formula, expected.str(), got.str()});
    }
    return report;
}

std::vector<std::filesystem::path> workbooksUnder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> out;
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        const std::string ext = it->path().extension().string();
        if (it->is_regular_file() &&
            (ext == ".xlsx" || ext == ".xlsm" || ext == ".xlsb" || ext == ".ods"))
            out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string familyOf(const std::string& workbookName) {
    const std::size_t split = workbookName.find("__");
    if (split != std::string::npos)
        return workbookName.substr(0, split);
    return "OTHER";
}

} // namespace conformance
