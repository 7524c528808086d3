#pragma once
// Workbooks built in memory for formula tests: cells given as "A1" → "=formula" or a value.

#include "engine/formula/Calculator.h"
#include "engine/formula/Parser.h"
#include "engine/model/Workbook.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct SmallBook {
    engine::Workbook book;

    SmallBook& sheet(std::string name) {
        book.sheets.emplace_back().name = std::move(name);
        return *this;
    }

    // "=..." is a formula without a stored result; a number, "TRUE"/"FALSE" or other text is a
    // stored value.
    SmallBook& set(const std::string& where, const std::string& content, std::size_t s = 0) {
        if (book.sheets.empty())
            sheet("Sheet1");
        engine::Sheet& target = book.sheets.at(s);
        const auto [row, col] = position(where);
        engine::Cell cell;
        cell.row = row;
        cell.col = static_cast<std::uint16_t>(col);
        if (!content.empty() && content[0] == '=') {
            engine::CellFormula formula;
            formula.row = row;
            formula.col = static_cast<std::uint16_t>(col);
            formula.text = content.substr(1);
            target.formulas.push_back(formula);
            cell.isFormula = true;
        } else if (content == "TRUE" || content == "FALSE") {
            cell.type = engine::CellType::Boolean;
            cell.boolean = content == "TRUE";
        } else if (char* end = nullptr;
                   std::strtod(content.c_str(), &end), *end == '\0' && !content.empty()) {
            cell.type = engine::CellType::Number;
            cell.number = std::strtod(content.c_str(), nullptr);
        } else {
            cell.type = engine::CellType::Text;
            cell.text = static_cast<std::uint32_t>(book.strings.size());
            book.strings.push_back({content, {}});
        }
        target.cells.push_back(cell);
        return *this;
    }

    // A formula whose file also holds a result.
    SmallBook& stored(const std::string& where, const std::string& formula, double result,
                      std::size_t s = 0) {
        set(where, std::to_string(result), s);
        engine::CellFormula f;
        const auto [row, col] = position(where);
        f.row = row;
        f.col = static_cast<std::uint16_t>(col);
        f.text = formula.substr(1);
        f.hasResult = true;
        book.sheets.at(s).formulas.push_back(f);
        book.sheets.at(s).cells.back().isFormula = true;
        return *this;
    }

    SmallBook& compute(double now = 45000.5, std::uint64_t budget = 400'000'000) {
        book.finish();
        engine::formula::CalcOptions options;
        options.now = now;
        options.workBudget = budget;
        engine::formula::computeFormulas(book, options);
        return *this;
    }

    // The cell as text: numbers with up to 15 digits, "TRUE"/"FALSE", error text, "" blank.
    std::string text(const std::string& where, std::size_t s = 0) const {
        const auto [r, c] = position(where);
        const auto row = r, col = c; // a lambda may not capture a structured binding here
        const auto& cells = book.sheets.at(s).cells;
        const auto it = std::find_if(cells.begin(), cells.end(), [&](const engine::Cell& c) {
            return c.row == row && c.col == col;
        });
        if (it == cells.end())
            return "";
        switch (it->type) {
        case engine::CellType::Number: {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.15g", it->number);
            return buffer;
        }
        case engine::CellType::Text:
            return book.strings.at(it->text).text;
        case engine::CellType::Boolean:
            return it->boolean ? "TRUE" : "FALSE";
        case engine::CellType::Error:
            return engine::errorText(it->error);
        case engine::CellType::Empty:
            return "";
        }
        return "";
    }

    static std::pair<std::uint32_t, std::uint32_t> position(const std::string& where) {
        std::size_t i = 0;
        while (i < where.size() && std::isalpha(static_cast<unsigned char>(where[i])))
            ++i;
        const auto col = engine::formula::columnFromLetters(where.substr(0, i)).value();
        return {static_cast<std::uint32_t>(std::stoul(where.substr(i)) - 1), col};
    }
};

// One formula's result on a small sheet: A1=1, A2=2, A3=3, B1="x", B2 TRUE, B3 blank.
inline std::string evaluate(const std::string& formula) {
    SmallBook book;
    book.set("A1", "1").set("A2", "2").set("A3", "3").set("B1", "x").set("B2", "TRUE");
    book.set("Z9", formula).compute();
    return book.text("Z9");
}

} // namespace testing_support
