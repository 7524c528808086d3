// Each kind of conditional-format rule over one column of mixed values: which cells take the
// rule's look, and what the scales, bars and icons paint.

#include "engine/web/ConditionalLooks.h"

#include "engine/numfmt/CellText.h"
#include "tests/engine/web/SampleWorkbooks.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

using namespace engine;

// Column A, rows 0..6: 1, 5, 10, 5, "Apple pie", #DIV/0!, a formatted blank; B1 holds 7.
Workbook columnWorkbook(const std::function<void(ConditionalRule&)>& setUp,
                        std::uint32_t lastRow = 6) {
    Workbook book;
    DifferentialStyle bold;
    bold.bold = true;
    book.differentialStyles.push_back(bold);
    Sheet sheet;
    sheet.name = "S";
    for (auto [row, value] : {std::pair{0u, 1.0}, {1u, 5.0}, {2u, 10.0}, {3u, 5.0}})
        sheet.cells.push_back(web_samples::numberCell(row, 0, value));
    sheet.cells.push_back(web_samples::numberCell(0, 1, 7));
    sheet.cells.push_back(web_samples::textCell(book, 4, 0, "Apple pie"));
    Cell error;
    error.row = 5, error.type = CellType::Error, error.error = CellError::Div0;
    sheet.cells.push_back(error);
    Cell blank;
    blank.row = 6;
    sheet.cells.push_back(blank);
    std::sort(sheet.cells.begin(), sheet.cells.end(), [](const Cell& a, const Cell& b) {
        return std::pair(a.row, a.col) < std::pair(b.row, b.col);
    });
    ConditionalFormat format;
    format.ranges.push_back(Range{0, lastRow, 0, 0});
    ConditionalRule& rule = format.rules.emplace_back();
    rule.style = 0;
    setUp(rule);
    sheet.conditionalFormats.push_back(format);
    book.sheets.push_back(std::move(sheet));
    book.finish();
    return book;
}

struct Looks {
    Workbook book;
    numfmt::CellTextFormatter formatter;
    web::ConditionalLooks looks;
    explicit Looks(Workbook workbook)
        : book(std::move(workbook)), formatter(book), looks(book, book.sheets[0], formatter) {}

    std::set<std::uint32_t> boldRows() const {
        std::set<std::uint32_t> rows;
        for (std::uint32_t row = 0; row <= 6; ++row)
            if (const web::CellLook* look = looks.at(row, 0); look && look->bold == true)
                rows.insert(row);
        return rows;
    }
};

ConditionalOperand number(double value) {
    ConditionalOperand operand;
    operand.number = value;
    return operand;
}

struct Case {
    const char* name;
    std::function<void(ConditionalRule&)> setUp;
    std::set<std::uint32_t> bold;
};

TEST(ConditionalLooks, EachRuleKindPicksItsCells) {
    using K = ConditionalKind;
    const Case cases[] = {
        // Texts sort after every number, so "Apple pie" is greater than 4.
        {"greater than 4",
         [](ConditionalRule& r) {
             r.kind = K::CellIs, r.op = ConditionalOperator::Greater;
             r.operands = {number(4)};
         },
         {1, 2, 3, 4}},
        {"between 2 and 5",
         [](ConditionalRule& r) {
             r.kind = K::CellIs, r.op = ConditionalOperator::Between;
             r.operands = {number(2), number(5)};
         },
         {1, 3}},
        {"between with one operand holds nowhere",
         [](ConditionalRule& r) {
             r.kind = K::CellIs, r.op = ConditionalOperator::Between;
             r.operands = {number(2)};
         },
         {}},
        {"cell at least $B$1",
         [](ConditionalRule& r) {
             r.kind = K::Expression, r.op = ConditionalOperator::GreaterOrEqual;
             ConditionalOperand self, fixed;
             self.kind = fixed.kind = ConditionalOperand::Kind::Cell;
             fixed.absoluteRow = fixed.absoluteCol = true;
             fixed.row = 0, fixed.col = 1;
             r.operands = {self, fixed};
         },
         {2, 4}},
        {"top 1", [](ConditionalRule& r) { r.kind = K::Top10, r.rank = 1; }, {2}},
        {"bottom 2 keeps ties",
         [](ConditionalRule& r) { r.kind = K::Top10, r.rank = 2, r.bottom = true; },
         {0, 1, 3}},
        {"top 50 percent",
         [](ConditionalRule& r) { r.kind = K::Top10, r.rank = 50, r.percent = true; },
         {1, 2, 3}},
        {"above average", [](ConditionalRule& r) { r.kind = K::AboveAverage; }, {2}},
        {"below average",
         [](ConditionalRule& r) { r.kind = K::AboveAverage, r.above = false; },
         {0, 1, 3}},
        {"two deviations above",
         [](ConditionalRule& r) { r.kind = K::AboveAverage, r.standardDeviations = 2; },
         {}},
        {"duplicates", [](ConditionalRule& r) { r.kind = K::Duplicate; }, {1, 3}},
        {"uniques, errors included", [](ConditionalRule& r) { r.kind = K::Unique; }, {0, 2, 4, 5}},
        {"contains PIE in any case",
         [](ConditionalRule& r) { r.kind = K::ContainsText, r.text = "PIE"; },
         {4}},
        {"does not contain pie",
         [](ConditionalRule& r) { r.kind = K::NotContainsText, r.text = "pie"; },
         {0, 1, 2, 3, 6}},
        {"begins with app",
         [](ConditionalRule& r) { r.kind = K::BeginsWith, r.text = "app"; },
         {4}},
        {"numbers end as shown",
         [](ConditionalRule& r) { r.kind = K::EndsWith, r.text = "0"; },
         {2}},
        {"blanks", [](ConditionalRule& r) { r.kind = K::Blanks; }, {6}},
        {"not blanks", [](ConditionalRule& r) { r.kind = K::NotBlanks; }, {0, 1, 2, 3, 4, 5}},
        {"errors", [](ConditionalRule& r) { r.kind = K::Errors; }, {5}},
        {"not errors", [](ConditionalRule& r) { r.kind = K::NotErrors; }, {0, 1, 2, 3, 4, 6}},
    };
    for (const Case& c : cases) {
        const Looks looks(columnWorkbook(c.setUp));
        EXPECT_EQ(looks.boldRows(), c.bold) << c.name;
        EXPECT_EQ(looks.looks.leftOut(), 0u) << c.name;
    }
}

TEST(ConditionalLooks, ScalesBarsAndIconsPaintOnlyNumbers) {
    auto minMax = [](ConditionalRule& r) {
        r.thresholds.resize(2);
        r.thresholds[1].kind = ConditionalValue::Kind::Max;
    };
    const Looks scale(columnWorkbook([&](ConditionalRule& r) {
        r.kind = ConditionalKind::ColorScale;
        minMax(r);
        r.colors = {Color::fromRgb(0xFF0000), Color::fromRgb(0x0000FF)};
    }));
    EXPECT_EQ(scale.looks.at(0, 0)->fill, Color::fromRgb(0xFF0000));
    EXPECT_EQ(scale.looks.at(2, 0)->fill, Color::fromRgb(0x0000FF));
    EXPECT_EQ(scale.looks.at(1, 0)->fill, Color::fromRgb(0x8E0071)); // 4/9 of the way
    EXPECT_EQ(scale.looks.at(4, 0), nullptr);

    const Looks bar(columnWorkbook([&](ConditionalRule& r) {
        r.kind = ConditionalKind::DataBar;
        minMax(r);
        r.showValue = false;
    }));
    EXPECT_EQ(bar.looks.at(0, 0)->barPercent, 10);
    EXPECT_EQ(bar.looks.at(2, 0)->barPercent, 90);
    EXPECT_TRUE(bar.looks.at(2, 0)->hideValue);
    EXPECT_EQ(bar.looks.at(6, 0), nullptr);

    const Looks icons(columnWorkbook([](ConditionalRule& r) {
        r.kind = ConditionalKind::IconSet;
        r.iconSet = "3Arrows";
        r.thresholds.resize(3);
        for (auto [i, share] : {std::pair{0, 0.0}, {1, 33.0}, {2, 67.0}})
            r.thresholds[i].kind = ConditionalValue::Kind::Percent, r.thresholds[i].value = share;
    }));
    EXPECT_EQ(icons.looks.at(0, 0)->icon, 0);
    EXPECT_EQ(icons.looks.at(1, 0)->icon, 1);
    EXPECT_EQ(icons.looks.at(2, 0)->icon, 2);
    EXPECT_EQ(icons.looks.at(2, 0)->iconCount, 3);
}

TEST(ConditionalLooks, PriorityStopIfTrueAndUnsupportedRules) {
    Workbook book = columnWorkbook([](ConditionalRule& r) {
        r.kind = ConditionalKind::CellIs, r.op = ConditionalOperator::Greater, r.priority = 2;
        r.operands = {number(0)};
    });
    DifferentialStyle italic;
    italic.italic = true;
    book.differentialStyles.push_back(italic);
    ConditionalRule first;
    first.kind = ConditionalKind::Top10, first.rank = 1, first.priority = 1, first.style = 1;
    first.stopIfTrue = true;
    ConditionalRule unsupported;
    book.sheets[0].conditionalFormats[0].rules.push_back(first);
    book.sheets[0].conditionalFormats[0].rules.push_back(unsupported);
    const Looks looks(std::move(book));
    // The top value stopped there: italic, not bold; the others took the later rule.
    EXPECT_EQ(looks.looks.at(2, 0)->italic, true);
    EXPECT_FALSE(looks.looks.at(2, 0)->bold.has_value());
    EXPECT_EQ(looks.boldRows(), (std::set<std::uint32_t>{0, 1, 3, 4}));
    EXPECT_EQ(looks.looks.leftOut(), 1u);
}

} // namespace
