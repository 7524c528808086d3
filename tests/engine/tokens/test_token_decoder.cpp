// Parsed formula tokens of both binary formats, built by hand, read back as formula text.

#include "engine/formula/Parser.h"
#include "engine/formula/tokens/FormulaCells.h"
#include "engine/formula/tokens/TokenDecoder.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using namespace engine::formula::tokens;

namespace {

// Writes tokens in the field sizes of one dialect.
class Rgce {
public:
    explicit Rgce(Dialect d) : d_(d) {}
    bool biff8() const { return d_ == Dialect::Biff8; }

    Rgce& u8(std::uint8_t v) { return put(bytes, v); }
    Rgce& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Rgce& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Rgce& row(std::uint32_t r) { return biff8() ? u16(static_cast<std::uint16_t>(r)) : u32(r); }
    Rgce& col(std::uint16_t c, bool rowRel, bool colRel) {
        return u16(static_cast<std::uint16_t>(c | (rowRel ? 0x8000 : 0) | (colRel ? 0x4000 : 0)));
    }

    Rgce& op(std::uint8_t ptg) { return u8(ptg); }
    Rgce& integer(std::uint16_t v) { return u8(0x1E).u16(v); }
    Rgce& number(double v) {
        u8(0x1F);
        std::uint8_t raw[8];
        std::memcpy(raw, &v, 8);
        for (std::uint8_t b : raw)
            u8(b);
        return *this;
    }
    Rgce& str(std::string_view s) {
        u8(0x17);
        if (biff8())
            u8(static_cast<std::uint8_t>(s.size())).u8(0);
        else
            u16(static_cast<std::uint16_t>(s.size()));
        for (char c : s)
            biff8() ? u8(static_cast<std::uint8_t>(c)) : u16(static_cast<std::uint8_t>(c));
        return *this;
    }
    Rgce& ref(std::uint32_t r, std::uint16_t c, bool rowRel = true, bool colRel = true,
              std::uint8_t ptg = 0x44) {
        return u8(ptg).row(r).col(c, rowRel, colRel);
    }
    Rgce& area(std::uint32_t r1, std::uint16_t c1, std::uint32_t r2, std::uint16_t c2,
               bool rel = false, std::uint8_t ptg = 0x25) {
        return u8(ptg).row(r1).row(r2).col(c1, rel, rel).col(c2, rel, rel);
    }
    Rgce& ref3d(std::uint16_t ixti, std::uint32_t r, std::uint16_t c) {
        return u8(0x3A).u16(ixti).row(r).col(c, true, true);
    }
    Rgce& func(std::uint16_t index) { return u8(0x41).u16(index); }
    Rgce& funcVar(std::uint8_t arguments, std::uint16_t index) {
        return u8(0x42).u8(arguments).u16(index);
    }
    Rgce& attr(std::uint8_t type, std::uint16_t data = 0) { return u8(0x19).u8(type).u16(data); }
    Rgce& name(std::uint32_t index) { return u8(0x23).u32(index); }
    Rgce& nameX(std::uint16_t ixti, std::uint32_t index) { return u8(0x39).u16(ixti).u32(index); }

    // The extra data after the tokens.
    Rgce& x8(std::uint8_t v) { return put(extra, v); }
    Rgce& x16(std::uint16_t v) { return x8(v & 0xFF).x8(v >> 8); }
    Rgce& x32(std::uint32_t v) { return x16(v & 0xFFFF).x16(v >> 16); }
    Rgce& xNumber(double v) {
        std::uint8_t raw[8];
        std::memcpy(raw, &v, 8);
        for (std::uint8_t b : raw)
            x8(b);
        return *this;
    }

    std::vector<std::uint8_t> bytes, extra;

private:
    Rgce& put(std::vector<std::uint8_t>& to, std::uint8_t v) {
        to.push_back(v);
        return *this;
    }
    Dialect d_;
};

class FakeLinks : public Links {
public:
    std::optional<std::string> sheets(std::uint32_t ixti) const override {
        static const std::map<std::uint32_t, std::string> table{
            {0, "Data"}, {1, "My Sheet"}, {2, "Jan:Mar"}, {3, "A1"}, {4, "O'Neil"}};
        const auto found = table.find(ixti);
        return found == table.end() ? std::nullopt : std::optional(found->second);
    }
    std::optional<std::string> name(std::uint32_t index) const override {
        return index == 1 ? std::optional<std::string>("Total") : std::nullopt;
    }
    std::optional<std::string> externalName(std::uint32_t ixti,
                                            std::uint32_t index) const override {
        if (ixti == 7 && index == 1)
            return "_xlfn.XLOOKUP";
        return std::nullopt;
    }
    const TableLink* table(std::uint32_t id) const override {
        static const TableLink sales{"Sales", {"Region", "Amount", "Unit [EUR]", "#Rate's"}};
        return id == 5 ? &sales : nullptr;
    }
};

const FakeLinks links;

Decoded decode(const Rgce& r, Dialect d, std::uint32_t row = 0, std::uint32_t col = 0) {
    DecodeContext context;
    context.dialect = d;
    context.row = row;
    context.col = col;
    context.links = &links;
    return decodeTokens(r.bytes, r.extra, context);
}

struct Case {
    const char* what;
    std::function<void(Rgce&)> build;
    const char* expected;
};

class BothDialects : public testing::TestWithParam<Dialect> {};

// The text must also be what the formula parser reads back.
void expectText(const Rgce& r, Dialect d, const std::string& expected, const char* what) {
    const Decoded out = decode(r, d, 4, 2);
    ASSERT_EQ(out.kind, Decoded::Kind::Formula) << what;
    EXPECT_EQ(out.text, expected) << what;
    engine::formula::ParseContext parse;
    parse.findSheet = [](std::string_view) { return std::optional<std::uint32_t>(0); };
    const auto parsed = engine::formula::parseFormula(out.text, parse);
    EXPECT_TRUE(parsed.root) << what << ": " << out.text << ": " << parsed.error;
}

TEST_P(BothDialects, OperatorsKeepTheirPrecedence) {
    const std::vector<Case> cases{
        {"mul over add", [](Rgce& r) { r.integer(1).integer(2).integer(3).op(0x05).op(0x03); },
         "1+2*3"},
        {"add under mul", [](Rgce& r) { r.integer(1).integer(2).op(0x03).integer(3).op(0x05); },
         "(1+2)*3"},
        {"written parentheses kept once",
         [](Rgce& r) { r.integer(1).integer(2).op(0x03).op(0x15).integer(3).op(0x05); }, "(1+2)*3"},
        {"right operand of equal strength",
         [](Rgce& r) { r.integer(2).integer(3).integer(4).op(0x04).op(0x04); }, "2-(3-4)"},
        {"left association needs none",
         [](Rgce& r) { r.integer(2).integer(3).op(0x04).integer(4).op(0x04); }, "2-3-4"},
        {"unary minus binds tighter than power",
         [](Rgce& r) { r.integer(2).op(0x13).integer(2).op(0x07); }, "-2^2"},
        {"negated power", [](Rgce& r) { r.integer(2).integer(2).op(0x07).op(0x13); }, "-(2^2)"},
        {"percent", [](Rgce& r) { r.integer(50).op(0x14).integer(2).op(0x05); }, "50%*2"},
        {"percent of a sum", [](Rgce& r) { r.integer(1).integer(2).op(0x03).op(0x14); }, "(1+2)%"},
        {"concat and compare", [](Rgce& r) { r.str("a").str("b").op(0x08).str("ab").op(0x0B); },
         "\"a\"&\"b\"=\"ab\""},
        {"compare under concat",
         [](Rgce& r) { r.integer(1).integer(2).op(0x09).str("x").op(0x08); }, "(1<2)&\"x\""},
        {"every comparison",
         [](Rgce& r) {
             r.integer(1).integer(2).op(0x0A).integer(3).op(0x0C).integer(4).op(0x0D);
             r.integer(5).op(0x0E);
         },
         "1<=2>=3>4<>5"},
        {"unary plus", [](Rgce& r) { r.integer(3).op(0x12); }, "+3"},
    };
    for (const Case& c : cases) {
        Rgce r(GetParam());
        c.build(r);
        expectText(r, GetParam(), c.expected, c.what);
    }
}

TEST_P(BothDialects, ConstantsReadAsWritten) {
    const std::vector<Case> cases{
        {"number", [](Rgce& r) { r.number(1.5); }, "1.5"},
        {"negative number is bracketed under power",
         [](Rgce& r) { r.integer(2).number(-0.5).op(0x07); }, "2^-0.5"},
        {"large integer", [](Rgce& r) { r.integer(65535); }, "65535"},
        {"string with quotes", [](Rgce& r) { r.str("say \"hi\""); }, "\"say \"\"hi\"\"\""},
        {"empty string", [](Rgce& r) { r.str(""); }, "\"\""},
        {"booleans", [](Rgce& r) { r.op(0x1D).u8(1).op(0x1D).u8(0).op(0x08); }, "TRUE&FALSE"},
        {"error", [](Rgce& r) { r.op(0x1C).u8(0x07); }, "#DIV/0!"},
        {"missing argument", [](Rgce& r) { r.integer(1).op(0x16).integer(2).funcVar(3, 1); },
         "IF(1,,2)"},
    };
    for (const Case& c : cases) {
        Rgce r(GetParam());
        c.build(r);
        expectText(r, GetParam(), c.expected, c.what);
    }
}

TEST_P(BothDialects, ReferencesAndAreas) {
    const bool b8 = GetParam() == Dialect::Biff8;
    const std::uint32_t lastRow = b8 ? 0xFFFF : 0xFFFFF;
    const std::uint16_t lastCol = b8 ? 0xFF : 0x3FFF;
    const std::vector<Case> cases{
        {"relative cell", [](Rgce& r) { r.ref(0, 0); }, "A1"},
        {"absolute cell", [](Rgce& r) { r.ref(2, 1, false, false); }, "$B$3"},
        {"mixed cell", [](Rgce& r) { r.ref(9, 27, false, true); }, "AB$10"},
        {"absolute area", [](Rgce& r) { r.area(0, 0, 9, 2); }, "$A$1:$C$10"},
        {"whole columns", [&](Rgce& r) { r.area(0, 1, lastRow, 2); }, "$B:$C"},
        {"whole rows", [&](Rgce& r) { r.area(4, 0, 5, lastCol); }, "$5:$6"},
        {"range operator", [](Rgce& r) { r.ref(0, 0).ref(1, 1).op(0x11); }, "A1:B2"},
        {"union stays one argument", [](Rgce& r) { r.ref(0, 0).ref(1, 1).op(0x10).funcVar(1, 4); },
         "SUM((A1,B2))"},
        {"intersection", [](Rgce& r) { r.area(0, 0, 9, 0).area(4, 0, 4, 3).op(0x0F); },
         "$A$1:$A$10 $A$5:$D$5"},
        {"ref error",
         [&](Rgce& r) {
             r.op(0x2A).u16(0).u16(0);
             if (!b8)
                 r.u16(0);
         },
         "#REF!"},
        {"area error",
         [&](Rgce& r) {
             r.op(0x2B).u32(0).u32(0);
             if (!b8)
                 r.u32(0);
         },
         "#REF!"},
    };
    for (const Case& c : cases) {
        Rgce r(GetParam());
        c.build(r);
        expectText(r, GetParam(), c.expected, c.what);
    }
}

TEST_P(BothDialects, RelativeFormsMoveToTheCell) {
    const bool b8 = GetParam() == Dialect::Biff8;
    // The cell is C5 (row 4, col 2).
    const std::vector<Case> cases{
        {"one up, one left",
         [&](Rgce& r) { r.ref(b8 ? 0xFFFF : 0xFFFFFFFF, b8 ? 0xFF : 0x3FFF, true, true, 0x2C); },
         "B4"},
        {"same cell", [](Rgce& r) { r.ref(0, 0, true, true, 0x2C); }, "C5"},
        {"absolute parts stay", [](Rgce& r) { r.ref(7, 1, false, true, 0x2C); }, "D$8"},
        {"area two down", [](Rgce& r) { r.area(2, 0, 3, 1, true, 0x2D); }, "C7:D8"},
        {"wraps around the top",
         [&](Rgce& r) { r.ref(b8 ? 0xFFFB : 0xFFFFFFFB, 0, true, true, 0x2C); },
         b8 ? "C65536" : "C1048576"},
    };
    for (const Case& c : cases) {
        Rgce r(GetParam());
        c.build(r);
        expectText(r, GetParam(), c.expected, c.what);
    }
}

TEST_P(BothDialects, SheetsAndNamesComeFromTheLinks) {
    const bool b8 = GetParam() == Dialect::Biff8;
    const std::vector<Case> cases{
        {"plain sheet", [](Rgce& r) { r.ref3d(0, 0, 0); }, "Data!A1"},
        {"quoted sheet", [](Rgce& r) { r.ref3d(1, 1, 1); }, "'My Sheet'!B2"},
        {"sheet range", [](Rgce& r) { r.ref3d(2, 0, 0); }, "Jan:Mar!A1"},
        {"sheet named like a cell", [](Rgce& r) { r.ref3d(3, 0, 0); }, "'A1'!A1"},
        {"apostrophe doubled", [](Rgce& r) { r.ref3d(4, 0, 0); }, "'O''Neil'!A1"},
        {"3-D area", [](Rgce& r) { r.op(0x3B).u16(0).row(0).row(3).col(0, 0, 0).col(0, 0, 0); },
         "Data!$A$1:$A$4"},
        {"another workbook is #REF!", [](Rgce& r) { r.ref3d(9, 0, 0); }, "#REF!"},
        {"3-D ref error",
         [&](Rgce& r) {
             r.op(0x3C).u16(0).u16(0).u16(0);
             if (!b8)
                 r.u16(0);
         },
         "#REF!"},
        {"defined name", [](Rgce& r) { r.name(1).integer(2).op(0x05); }, "Total*2"},
        {"unknown name", [](Rgce& r) { r.name(5); }, "#NAME?"},
        {"newer function through an add-in name",
         [](Rgce& r) { r.nameX(7, 1).ref(0, 0).ref(1, 0).ref(2, 0).funcVar(4, 0xFF); },
         "_xlfn.XLOOKUP(A1,A2,A3)"},
        {"external name is #REF!", [](Rgce& r) { r.nameX(8, 1); }, "#REF!"},
    };
    for (const Case& c : cases) {
        Rgce r(GetParam());
        c.build(r);
        expectText(r, GetParam(), c.expected, c.what);
    }
}

TEST_P(BothDialects, FunctionCalls) {
    const std::vector<Case> cases{
        {"fixed arguments", [](Rgce& r) { r.integer(1).op(0x13).func(24); }, "ABS(-1)"},
        {"no arguments", [](Rgce& r) { r.func(19); }, "PI()"},
        {"variable arguments", [](Rgce& r) { r.area(0, 0, 2, 0).integer(4).funcVar(2, 4); },
         "SUM($A$1:$A$3,4)"},
        {"attr sum", [](Rgce& r) { r.area(0, 0, 2, 0).attr(0x10); }, "SUM($A$1:$A$3)"},
        {"if with its jumps",
         [](Rgce& r) {
             r.ref(0, 0).integer(1).op(0x0D).attr(0x02, 7).str("y").attr(0x08, 9);
             r.str("n").attr(0x08, 3).funcVar(3, 1);
         },
         "IF(A1>1,\"y\",\"n\")"},
        {"choose skips its jump table",
         [](Rgce& r) {
             r.integer(2).attr(0x04, 2).u16(6).u16(9).u16(12).integer(10).attr(0x08, 5);
             r.integer(20).attr(0x08, 2).funcVar(3, 100);
         },
         "CHOOSE(2,10,20)"},
        {"spaces are ignored", [](Rgce& r) { r.attr(0x40, 0x0200).integer(1); }, "1"},
        {"nested", [](Rgce& r) { r.number(2.5).func(25).integer(3).func(39); }, "MOD(INT(2.5),3)"},
        {"wrapper of a reference expression",
         [](Rgce& r) { r.op(0x29).u16(10).ref(0, 0).ref(0, 1).op(0x11).funcVar(1, 4); },
         "SUM(A1:B1)"},
    };
    for (const Case& c : cases) {
        Rgce r(GetParam());
        c.build(r);
        expectText(r, GetParam(), c.expected, c.what);
    }
}

TEST_P(BothDialects, ArrayConstantAndMemoryAreaUseTheExtraData) {
    const bool b8 = GetParam() == Dialect::Biff8;
    Rgce r(GetParam());
    r.op(0x60);
    for (int i = 0; i < (b8 ? 7 : 14); ++i)
        r.u8(0);
    r.funcVar(1, 4);
    // Two rows of two: 1, "a" / TRUE, #N/A.
    if (b8) {
        r.x8(1).x16(1);
        r.x8(0x01).xNumber(1);
        r.x8(0x02).x16(1).x8(0).x8('a');
        r.x8(0x04).x8(1).x32(0).x16(0).x8(0);
        r.x8(0x10).x8(0x2A).x32(0).x16(0).x8(0);
    } else {
        r.x32(2).x32(2);
        r.x8(0x00).xNumber(1);
        r.x8(0x01).x16(1).x16('a');
        r.x8(0x02).x8(1);
        r.x8(0x04).x8(0x2A);
    }
    expectText(r, GetParam(), "SUM({1,\"a\";TRUE,#N/A})", "array constant");

    Rgce m(GetParam());
    m.op(0x26).u32(0).u16(static_cast<std::uint16_t>(b8 ? 14 : 22));
    m.area(0, 0, 1, 1).area(0, 0, 0, 0).op(0x0F);
    if (b8)
        m.x16(1).x16(0).x16(0).x16(0).x16(0);
    else
        m.x32(1).x32(0).x32(0).x32(0).x32(0);
    expectText(m, GetParam(), "$A$1:$B$2 $A$1:$A$1", "memory area");
}

TEST_P(BothDialects, SharedTableAndVolatileMarks) {
    const bool b8 = GetParam() == Dialect::Biff8;
    Rgce exp(GetParam());
    exp.op(0x01).row(12);
    if (b8)
        exp.u16(3);
    else
        exp.x32(3);
    const Decoded shared = decode(exp, GetParam());
    EXPECT_EQ(shared.kind, Decoded::Kind::Shared);
    EXPECT_EQ(shared.expRow, 12u);
    EXPECT_EQ(shared.expCol, 3u);

    Rgce tbl(GetParam());
    tbl.op(0x02).row(1).u16(1);
    EXPECT_EQ(decode(tbl, GetParam()).kind, Decoded::Kind::Table);

    Rgce now(GetParam());
    now.attr(0x01).func(74);
    const Decoded volatileOne = decode(now, GetParam());
    EXPECT_EQ(volatileOne.text, "NOW()");
    EXPECT_TRUE(volatileOne.isVolatile);
}

TEST_P(BothDialects, HostileStreamsGiveNoFormula) {
    const std::vector<std::pair<const char*, std::function<void(Rgce&)>>> cases{
        {"empty", [](Rgce&) {}},
        {"truncated number", [](Rgce& r) { r.u8(0x1F).u16(1); }},
        {"truncated reference", [](Rgce& r) { r.u8(0x24).u8(1); }},
        {"operator without operands", [](Rgce& r) { r.op(0x03); }},
        {"two operands left", [](Rgce& r) { r.integer(1).integer(2); }},
        {"unknown token", [](Rgce& r) { r.op(0x1A); }},
        {"function past the table", [](Rgce& r) { r.integer(1).func(9999); }},
        {"more arguments than operands", [](Rgce& r) { r.integer(1).funcVar(5, 4); }},
        {"macro command", [](Rgce& r) { r.funcVar(0, 0x8001); }},
        {"string longer than the data", [](Rgce& r) { r.u8(0x17).u8(200).u8(0).u8('a'); }},
        {"unknown error code", [](Rgce& r) { r.op(0x1C).u8(0x55); }},
        {"array without its data",
         [](Rgce& r) {
             r.op(0x20);
             for (int i = 0; i < 14; ++i)
                 r.u8(0);
         }},
        {"huge array",
         [](Rgce& r) {
             r.op(0x20);
             for (int i = 0; i < (r.biff8() ? 7 : 14); ++i)
                 r.u8(0);
             if (r.biff8())
                 r.x8(0xFF).x16(0xFFFF);
             else
                 r.x32(0x7FFFFFFF).x32(0x7FFFFFFF);
         }},
        {"user function without a name", [](Rgce& r) { r.funcVar(0, 0xFF); }},
        {"structured reference", [](Rgce& r) { r.op(0x18).u8(0x19).u32(0).u32(0).u32(0); }},
    };
    for (const auto& [what, build] : cases) {
        Rgce r(GetParam());
        build(r);
        EXPECT_EQ(decode(r, GetParam()).kind, Decoded::Kind::Unreadable) << what;
    }
    // Operands past any formula's depth.
    Rgce deep(GetParam());
    for (int i = 0; i < 5000; ++i)
        deep.integer(1);
    for (int i = 0; i < 4999; ++i)
        deep.op(0x03);
    EXPECT_EQ(decode(deep, GetParam()).kind, Decoded::Kind::Unreadable);
    // Text past any formula's length stops too, however the tokens nest.
    Rgce wide(GetParam());
    wide.str(std::string(250, 'x'));
    for (int i = 0; i < 400; ++i)
        wide.op(0x15).attr(0x10);
    EXPECT_EQ(decode(wide, GetParam()).kind, Decoded::Kind::Unreadable);
}

// A tree as a string, to compare what two texts compute.
std::string shape(const engine::formula::Node* node) {
    if (!node)
        return "none";
    const engine::formula::Reference& r = node->ref;
    std::string out = std::to_string(int(node->kind)) + ' ' + std::to_string(int(node->op)) + ' ' +
                      node->text + ' ' + std::to_string(node->value.number) + node->value.text;
    if (node->kind == engine::formula::Node::Kind::Ref)
        for (std::uint32_t v :
             {r.firstSheet, r.lastSheet, r.firstRow, r.lastRow, r.firstCol, r.lastCol})
            out += ' ' + std::to_string(v);
    for (const auto& child : node->children)
        out += " (" + shape(child.get()) + ')';
    return out;
}

// What `text` computes at (row, col), moved there from (originRow, originCol).
std::string computed(const std::string& text, std::uint32_t row, std::uint32_t col,
                     std::uint32_t originRow, std::uint32_t originCol) {
    engine::formula::ParseContext context;
    context.findSheet = [](std::string_view) { return std::optional<std::uint32_t>(0); };
    context.row = row;
    context.col = col;
    context.originRow = originRow;
    context.originCol = originCol;
    return shape(engine::formula::parseFormula(text, context).root.get());
}

// A shared formula over `range` used by the cells of `users`: each cell must compute what its
// own decoding of the tokens computes, and the group is decoded once exactly when `once`.
void expectSharedAlike(Dialect d, const Rgce& tokens, const engine::Range& range,
                       const engine::Range& users, bool once, const char* what) {
    FormulaCells cells(&links, d);
    for (std::uint32_t row = users.firstRow; row <= users.lastRow; ++row)
        for (std::uint16_t col = users.firstCol; col <= users.lastCol; ++col) {
            Rgce pointer(d);
            pointer.u8(0x01).row(range.firstRow);
            d == Dialect::Biff8 ? pointer.u16(range.firstCol) : pointer.x32(range.firstCol);
            cells.cell(row, col, pointer.bytes, pointer.extra);
            if (row == users.firstRow && col == users.firstCol)
                cells.group(range, false, tokens.bytes, tokens.extra);
        }
    engine::Sheet sheet;
    cells.finish(sheet);
    const std::size_t count =
        std::size_t(users.lastRow - users.firstRow + 1) * (users.lastCol - users.firstCol + 1);
    ASSERT_EQ(sheet.formulas.size(), count) << what;
    std::size_t followers = 0;
    for (const engine::CellFormula& f : sheet.formulas) {
        const engine::CellFormula* source = &f;
        if (f.text.empty()) {
            ++followers;
            for (const engine::CellFormula& other : sheet.formulas)
                if (other.sharedIndex == f.sharedIndex && !other.text.empty())
                    source = &other;
            ASSERT_NE(source, &f) << what << ": a follower without its group's text";
        }
        const Decoded own = decode(tokens, d, f.row, f.col);
        ASSERT_EQ(own.kind, Decoded::Kind::Formula) << what;
        EXPECT_EQ(computed(source->text, f.row, f.col, source->row, source->col),
                  computed(own.text, f.row, f.col, f.row, f.col))
            << what << " at R" << f.row + 1 << "C" << f.col + 1 << ": " << source->text
            << " moved, against " << own.text;
    }
    EXPECT_EQ(followers, once ? count - 1 : 0) << what;
}

TEST_P(BothDialects, SharedFormulasDecodeOnceWhereTheirTextMovesAlike) {
    const Dialect d = GetParam();
    const bool b8 = d == Dialect::Biff8;
    const std::uint32_t lastRow = b8 ? 0xFFFF : 0xFFFFF;
    const std::uint16_t lastCol = b8 ? 0xFF : 0x3FFF;
    using engine::Range;
    struct SharedCase {
        const char* what;
        std::function<void(Rgce&)> build;
        Range range, users;
        bool once;
    };
    const auto left = [&](Rgce& r) { r.ref(0, lastCol, true, true, 0x2C).integer(2).op(0x05); };
    const auto up = [&](Rgce& r) { r.ref(lastRow, 0, true, true, 0x2C); };
    const auto down = [&](Rgce& r) { r.ref(1, 0, true, true, 0x2C); };
    const std::vector<SharedCase> cases{
        {"left neighbour", left, {10, 12, 2, 3}, {10, 12, 2, 3}, true},
        {"running total from a fixed corner",
         [&](Rgce& r) {
             r.u8(0x2D).row(0).row(0).col(0, false, false).col(lastCol, true, true);
             r.funcVar(1, 4);
         },
         {3, 6, 1, 1},
         {3, 6, 1, 1},
         true},
        {"anchor not among its users", left, {10, 12, 2, 2}, {11, 12, 2, 2}, true},
        {"row above from the second row", up, {1, 3, 0, 0}, {1, 3, 0, 0}, true},
        {"row below down to the last row",
         down,
         {lastRow - 3, lastRow - 1, 0, 0},
         {lastRow - 3, lastRow - 1, 0, 0},
         true},
        {"row above wraps at the first row", up, {0, 2, 0, 0}, {0, 2, 0, 0}, false},
        {"row below wraps past the last row",
         down,
         {lastRow - 2, lastRow, 0, 0},
         {lastRow - 2, lastRow, 0, 0},
         false},
        {"column to the left wraps at the first column", left, {4, 4, 0, 1}, {4, 4, 0, 1}, false},
        {"plain reference marked relative",
         [](Rgce& r) { r.ref(3, 1, true, true, 0x24); },
         {4, 5, 2, 2},
         {4, 5, 2, 2},
         false},
        {"sheet reference marked relative",
         [](Rgce& r) { r.ref3d(0, 3, 1); },
         {4, 5, 2, 2},
         {4, 5, 2, 2},
         false},
        {"whole column only at the anchor",
         [&](Rgce& r) { r.area(lastRow - 4, 0, lastRow - 5, 0, true, 0x2D); },
         {5, 7, 1, 1},
         {5, 7, 1, 1},
         false},
        // Whole at the anchor only, though no part leaves the grid: "$1:$1" never moves.
        {"whole row from a relative start",
         [&](Rgce& r) { r.u8(0x2D).row(0).row(0).col(0, false, true).col(lastCol, false, false); },
         {2, 2, 0, 1},
         {2, 2, 0, 1},
         false},
    };
    for (const SharedCase& c : cases) {
        Rgce r(d);
        c.build(r);
        expectSharedAlike(d, r, c.range, c.users, c.once, c.what);
    }
}

INSTANTIATE_TEST_SUITE_P(Tokens, BothDialects, testing::Values(Dialect::Biff8, Dialect::Biff12));

TEST(TokenDecoder, NamesCountTheirThreeDReferencesFromTheCell) {
    Rgce r(Dialect::Biff8);
    r.u8(0x3A).u16(0).u16(1).col(1, true, true);
    DecodeContext context;
    context.links = &links;
    context.nameFormula = true;
    context.row = 2;
    context.col = 2;
    EXPECT_EQ(decodeTokens(r.bytes, r.extra, context).text, "Data!D4");
    context.nameFormula = false;
    EXPECT_EQ(decodeTokens(r.bytes, r.extra, context).text, "Data!B2");
}

TEST(TokenDecoder, WithoutLinksSheetsAreUnreadable) {
    Rgce r(Dialect::Biff12);
    r.ref3d(0, 0, 0);
    DecodeContext context;
    context.dialect = Dialect::Biff12;
    EXPECT_EQ(decodeTokens(r.bytes, r.extra, context).text, "#REF!");
}

// A PtgList: the rows (a PtgRowType) and columns (0 all, 1 one, 2 a span) of table `id`.
void list(Rgce& r, std::uint32_t id, std::uint32_t rowType, std::uint32_t columns,
          std::uint16_t first = 0, std::uint16_t last = 0, std::uint16_t more = 0) {
    r.u8(0x18).u8(0x19).u16(0);
    r.u16(static_cast<std::uint16_t>(columns | rowType << 2 | more)).u32(id).u16(first).u16(last);
}

TEST(TokenDecoder, ListTokensReadAsStructuredReferences) {
    const std::vector<Case> cases{
        {"data of every column", [](Rgce& r) { list(r, 5, 0x00, 0); }, "Sales[]"},
        {"one column", [](Rgce& r) { list(r, 5, 0x00, 1, 1); }, "Sales[Amount]"},
        {"a span of columns", [](Rgce& r) { list(r, 5, 0x00, 2, 0, 1); },
         "Sales[[Region]:[Amount]]"},
        {"the whole table", [](Rgce& r) { list(r, 5, 0x01, 0); }, "Sales[#All]"},
        {"headers of a column", [](Rgce& r) { list(r, 5, 0x02, 1, 0); },
         "Sales[[#Headers],[Region]]"},
        {"headers and data", [](Rgce& r) { list(r, 5, 0x06, 0); }, "Sales[[#Headers],[#Data]]"},
        {"data and totals of a span", [](Rgce& r) { list(r, 5, 0x0C, 2, 1, 2); },
         "Sales[[#Data],[#Totals],[Amount]:[Unit '[EUR']]]"},
        {"totals", [](Rgce& r) { list(r, 5, 0x08, 1, 1); }, "Sales[[#Totals],[Amount]]"},
        {"this row, escaped name", [](Rgce& r) { list(r, 5, 0x10, 1, 3); },
         "Sales[[#This Row],['#Rate''s]]"},
        {"in an expression",
         [](Rgce& r) {
             list(r, 5, 0x00, 1, 1);
             r.funcVar(1, 4).integer(2).op(0x05);
         },
         "SUM(Sales[Amount])*2"},
        {"a column past the table", [](Rgce& r) { list(r, 5, 0x00, 1, 4); }, "#REF!"},
        {"a reversed span", [](Rgce& r) { list(r, 5, 0x00, 2, 2, 1); }, "#REF!"},
        {"marked invalid", [](Rgce& r) { list(r, 5, 0x00, 1, 1, 1, 0x1000); }, "#REF!"},
    };
    engine::Table sales;
    sales.name = "Sales";
    sales.range = engine::Range{0, 9, 0, 3};
    sales.totalsRows = 1;
    sales.columns = {"Region", "Amount", "Unit [EUR]", "#Rate's"};
    engine::formula::ParseContext parse;
    parse.row = 4;
    parse.findTable = [&](std::string_view) { return &sales; };
    for (const Case& c : cases) {
        Rgce r(Dialect::Biff12);
        c.build(r);
        const Decoded out = decode(r, Dialect::Biff12, 4, 2);
        ASSERT_EQ(out.kind, Decoded::Kind::Formula) << c.what;
        EXPECT_EQ(out.text, c.expected) << c.what;
        const auto parsed = engine::formula::parseFormula(out.text, parse);
        EXPECT_TRUE(parsed.root) << c.what << ": " << out.text << ": " << parsed.error;
    }
}

TEST(TokenDecoder, ListTokensWithoutTheirTableKeepTheStoredResult) {
    const std::vector<Case> cases{
        {"another workbook's table", [](Rgce& r) { list(r, 5, 0x00, 1, 1, 1, 0x2000); }, ""},
        {"a table never read", [](Rgce& r) { list(r, 9, 0x00, 1, 1); }, ""},
        {"an undefined row kind", [](Rgce& r) { list(r, 5, 0x03, 0); }, ""},
        {"an undefined column kind", [](Rgce& r) { list(r, 5, 0x00, 3); }, ""},
        {"another extended token", [](Rgce& r) { r.u8(0x18).u8(0x1D).u16(0); }, ""},
        {"cut short", [](Rgce& r) { r.u8(0x18).u8(0x19).u16(0).u16(1); }, ""},
    };
    for (const Case& c : cases) {
        Rgce r(Dialect::Biff12);
        c.build(r);
        EXPECT_EQ(decode(r, Dialect::Biff12).kind, Decoded::Kind::Unreadable) << c.what;
    }
}

} // namespace
