// Conditional formats of binary workbooks: CONDFMT ranges, CF cell-value rules with their
// constants and the looks (DXFN) they give.

#include "engine/xls/WorkbookStream.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::BiffWriter;
using testing_support::Bytes;

constexpr std::uint16_t condFmt = 0x01B0, cf = 0x01B1;

// A look that makes the font red, italic and bold and the fill solid yellow.
Bytes look() {
    Bytes body;
    const std::uint32_t unchanged = 0xFFFFu | (1u << 17); // alignment, borders, foreground
    body.u32(unchanged | (1u << 26) | (1u << 29)).u16(0);
    for (int i = 0; i < 64; ++i)
        body.u8(0);
    body.u32(0xFFFFFFFFu).u32(0x02).u16(700).u16(0).u8(0xFF).u8(0).u16(0);
    body.u32(10).u32(0).u32(0x80).u32(1).u32(1).u32(0);
    for (int i = 0; i < 14; ++i)
        body.u8(0);
    return body.u16(1u << 10).u16((13u << 7) | 64u);
}

TEST(XlsConditional, CellValueRulesWithTheirLooks) {
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t position = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Rules"));
    w.eof();
    w.patch32(position, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    w.record(0x0203, Bytes().u16(1).u16(1).u16(15).f64(7));
    w.record(condFmt,
             Bytes().u16(3).u16(1).u16(1).u16(2).u16(1).u16(1).u16(1).u16(1).u16(2).u16(1).u16(1));
    Bytes greater;
    greater.u8(1).u8(5).u16(3).u16(0);
    const Bytes greaterLook = look();
    greater.data.insert(greater.data.end(), greaterLook.data.begin(), greaterLook.data.end());
    greater.u8(0x1E).u16(5);
    w.record(cf, greater);
    Bytes between;
    between.u8(1).u8(1).u16(9).u16(4);
    const Bytes betweenLook = look();
    between.data.insert(between.data.end(), betweenLook.data.begin(), betweenLook.data.end());
    between.u8(0x1F).f64(2.5).u8(0x17).u8(1).u8(0).chars("z");
    w.record(cf, between);
    Bytes formula;
    formula.u8(2).u8(0).u16(1).u16(0);
    const Bytes formulaLook = look();
    formula.data.insert(formula.data.end(), formulaLook.data.begin(), formulaLook.data.end());
    formula.u8(0x1D);
    w.record(cf, formula);
    w.record(cf, Bytes().u8(1)); // cut short
    w.eof();

    const engine::Workbook book = engine::xls::readWorkbookStream(w.bytes, false);
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.conditionalFormats.size(), 1u);
    const engine::ConditionalFormat& format = sheet.conditionalFormats[0];
    ASSERT_EQ(format.ranges.size(), 1u);
    EXPECT_EQ(format.ranges[0], (engine::Range{1, 2, 1, 1}));
    ASSERT_EQ(format.rules.size(), 4u);
    const engine::ConditionalRule& rule = format.rules[0];
    EXPECT_EQ(rule.kind, engine::ConditionalKind::CellIs);
    EXPECT_EQ(rule.op, engine::ConditionalOperator::Greater);
    ASSERT_EQ(rule.operands.size(), 1u);
    EXPECT_EQ(rule.operands[0].number, 5);
    ASSERT_TRUE(rule.style);
    const engine::DifferentialStyle& style = book.differentialStyles.at(*rule.style);
    EXPECT_EQ(style.fontColor, engine::Color::fromRgb(0xFF0000));
    EXPECT_EQ(style.italic, true);
    EXPECT_EQ(style.bold, true);
    EXPECT_FALSE(style.strike);
    EXPECT_EQ(style.fill, engine::Color::fromRgb(0xFFFF00));
    EXPECT_FALSE(style.left);
    // A number and a string of one operand each; the formula rule and the damaged one are kept
    // to be counted as left out.
    ASSERT_EQ(format.rules[1].operands.size(), 2u);
    EXPECT_EQ(format.rules[1].operands[0].number, 2.5);
    EXPECT_EQ(format.rules[1].operands[1].text, "z");
    EXPECT_EQ(format.rules[2].kind, engine::ConditionalKind::Unsupported);
    EXPECT_EQ(format.rules[3].kind, engine::ConditionalKind::Unsupported);
}

} // namespace
