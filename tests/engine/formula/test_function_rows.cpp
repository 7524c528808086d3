// The function table is the one place a function's facts live: every name the binary formats
// number has a row (or is one the calculator knowingly leaves to the stored result), no name
// has two rows, and a row's binary number names it in the binary table.

#include "engine/formula/ArrayParameters.h"
#include "engine/formula/Function.h"
#include "engine/formula/calc/Planning.h"
#include "engine/formula/tokens/FunctionTable.h"
#include "tests/engine/formula/SmallBook.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>

namespace {

using engine::formula::findFunction;
using engine::formula::tokens::builtinFunction;

constexpr std::uint16_t lastBuiltin = 600;

// Numbered names still without a row: macro-sheet commands, functions that need the outside
// world (CALL, RTD, the cube functions ...) and the few not built yet. Lower it as rows come.
constexpr std::size_t missingAllowed = 122;

TEST(FunctionRows, EveryNumberedFunctionHasARow) {
    std::set<std::string> missing;
    for (std::uint16_t i = 0; i <= lastBuiltin; ++i) {
        const auto builtin = builtinFunction(i);
        if (!builtin.name.empty() && !findFunction(builtin.name))
            missing.insert(std::string(builtin.name));
    }
    std::string list;
    for (const std::string& name : missing)
        list += name + " ";
    std::printf("numbered names without a row (%zu): %s\n", missing.size(), list.c_str());
    EXPECT_LE(missing.size(), missingAllowed) << list;
}

TEST(FunctionRows, BinaryNumbersAgreeWithTheBinaryTable) {
    for (std::uint16_t i = 0; i <= lastBuiltin; ++i) {
        const auto builtin = builtinFunction(i);
        if (builtin.name.empty())
            continue;
        const engine::formula::FunctionInfo* info = findFunction(builtin.name);
        if (info && info->binaryIndex >= 0) {
            EXPECT_EQ(info->binaryIndex, i) << builtin.name;
        }
    }
}

TEST(FunctionRows, SpecialFormsHaveNoBodyAndOthersOne) {
    for (const char* name : {"IF", "CHOOSE", "INDEX", "OFFSET", "INDIRECT", "ROW", "TODAY"}) {
        const auto* info = findFunction(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_NE(info->flags & engine::formula::flag::SpecialForm, 0) << name;
        EXPECT_EQ(info->body, nullptr) << name;
    }
    for (const char* name : {"SUM", "DSUM", "IMSUM", "BESSELJ", "ROMAN", "HYPERLINK"}) {
        const auto* info = findFunction(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_NE(info->body, nullptr) << name;
    }
    for (const char* name : {"MMULT", "MINVERSE", "MUNIT", "TRANSPOSE", "FREQUENCY"})
        EXPECT_NE(findFunction(name)->arrayBody, nullptr) << name;
}

TEST(FunctionRows, VolatileAndRandomFlagsAgreeWithTheApplication) {
    using engine::formula::flag::Random;
    using engine::formula::flag::Volatile;
    for (const char* name : {"TODAY", "NOW", "OFFSET", "INDIRECT", "CELL", "INFO"}) {
        const auto* info = findFunction(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_NE(info->flags & Volatile, 0) << name;
        EXPECT_EQ(info->flags & Random, 0) << name;
    }
    // A random function draws anew at every calculation.
    for (const auto* info : engine::formula::allFunctions()) {
        if (info->flags & Random) {
            EXPECT_NE(info->flags & Volatile, 0) << info->name;
        }
    }
    for (const char* name : {"INDEX", "SUM", "ROW", "CHOOSE"})
        EXPECT_EQ(findFunction(name)->flags & Volatile, 0) << name;
    // CELL and INFO tell of the session: the stored answer of the saving machine stands.
    for (const char* name : {"CELL", "INFO"})
        EXPECT_NE(findFunction(name)->flags & engine::formula::flag::Session, 0) << name;
    EXPECT_EQ(findFunction("OFFSET")->flags & engine::formula::flag::Session, 0);
}

TEST(FunctionRows, BlockParametersComeFromTheRows) {
    EXPECT_TRUE(engine::formula::takesBlockAt("SUM", 7));
    EXPECT_TRUE(engine::formula::takesBlockAt("SUMIFS", 3));  // a criteria range
    EXPECT_FALSE(engine::formula::takesBlockAt("SUMIFS", 2)); // a criterion
    EXPECT_TRUE(engine::formula::takesBlockAt("DSUM", 2));
    EXPECT_FALSE(engine::formula::takesBlockAt("DSUM", 1));
    EXPECT_FALSE(engine::formula::takesBlockAt("LEN", 0));
    EXPECT_TRUE(engine::formula::takesArrays("SUMPRODUCT"));
    EXPECT_TRUE(engine::formula::takesArrays("MMULT"));
    EXPECT_FALSE(engine::formula::takesArrays("SUM"));
}

// Functions that need the world outside the workbook (a data cube, a web service, a running
// add-in, the network, a pivot table the model does not keep): they have no row, so a cell
// calling one keeps the result its file stored and the page note counts it.
constexpr std::string_view outsideWorld[] = {
    "CALL",
    "COPILOT",
    "CUBEKPIMEMBER",
    "CUBEMEMBER",
    "CUBEMEMBERPROPERTY",
    "CUBERANKEDMEMBER",
    "CUBESET",
    "CUBESETCOUNT",
    "CUBEVALUE",
    "DETECTLANGUAGE",
    "EUROCONVERT",
    "GETPIVOTDATA",
    "IMAGE",
    "PY",
    "REGISTER.ID",
    "RTD",
    "SQL.REQUEST",
    "STOCKHISTORY",
    "TRANSLATE",
    "WEBSERVICE",
};

bool needsOutsideWorld(std::string_view name) {
    return std::find(std::begin(outsideWorld), std::end(outsideWorld), name) !=
           std::end(outsideWorld);
}

// The names of the reference list without the prefix a file stores them with.
// The list's names with the prefix a file writes before each ("" for none).
std::vector<std::pair<std::string, std::string>> prefixedReferenceFunctions() {
    std::ifstream in(QM_WORKSHEET_FUNCTIONS);
    std::vector<std::pair<std::string, std::string>> names;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string prefix;
        for (std::string_view part : {"_xlfn.", "_xlws."})
            if (line.starts_with(part)) {
                prefix += part;
                line.erase(0, part.size());
            }
        names.emplace_back(prefix, line);
    }
    return names;
}

std::vector<std::string> referenceFunctions() {
    std::vector<std::string> names;
    for (const auto& [prefix, name] : prefixedReferenceFunctions())
        names.push_back(name);
    return names;
}

TEST(FunctionRows, EveryFunctionOfTheReferenceIsComputed) {
    const std::vector<std::string> names = referenceFunctions();
    ASSERT_GT(names.size(), 500u) << "cannot read " << QM_WORKSHEET_FUNCTIONS;
    std::string missing;
    for (const std::string& name : names)
        if (!findFunction(name) && !engine::formula::calc::isLambdaForm(name) &&
            !needsOutsideWorld(name))
            missing += name + " ";
    std::printf("reference functions without a row: %s\n", missing.c_str());
    EXPECT_EQ(missing, "");
}

// The look at a formula's text before it is parsed finds the flagged calls the tree will make,
// whatever their case, prefix or spacing, and not names inside texts or sheet names.
TEST(FunctionRows, NamedCallsSeeTheCallsOfAText) {
    using engine::formula::calc::namedCalls;
    struct Row {
        const char* text;
        bool volatileCall, keptCall, hyperlink;
    };
    for (const Row& row : std::initializer_list<Row>{
             {"A1+today()", true, false, false},
             {"OFFSET (A1,1,1)+1", true, false, false},
             {"_xlfn.RANDARRAY(3)", false, true, false},
             {"RAND()*CELL(\"width\",A1)", false, true, false},
             {"HYPERLINK(\"https://example.com\",\"x\")", false, false, true},
             {"\"TODAY()\"&\"\"\"NOW()\"", false, false, false},
             {"'NOW (1)'!A1+'It''s RAND('!B2", false, false, false},
             {"NOWHERE(1)+KNOWN+TODAY", false, false, false},
             {"SUM(A1:A9)", false, false, false}}) {
        const auto calls = namedCalls(row.text);
        EXPECT_EQ(calls.volatileCall, row.volatileCall) << row.text;
        EXPECT_EQ(calls.keptCall, row.keptCall) << row.text;
        EXPECT_EQ(calls.hyperlink, row.hyperlink) << row.text;
    }
}

TEST(FunctionRows, RowsCarryThePrefixFilesWrite) {
    std::string wrong;
    for (const auto& [prefix, name] : prefixedReferenceFunctions())
        if (const engine::formula::FunctionInfo* info = findFunction(name);
            info && info->prefix != prefix)
            wrong += prefix + name + " ";
    EXPECT_EQ(wrong, "");
}

TEST(FunctionRows, OutsideWorldFunctionsKeepTheStoredResultAndAreCounted) {
    const std::vector<std::string> names = referenceFunctions();
    for (std::string_view name : outsideWorld) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        const engine::formula::FunctionInfo* info = findFunction(name);
        EXPECT_TRUE(!info || (info->flags & engine::formula::flag::OutsideWorld)) << name;
    }
    // Even when the file asks for a full calculation on load, as report generators write.
    testing_support::SmallBook book;
    book.book.fullCalcOnLoad = true;
    book.stored("A1", "=WEBSERVICE(\"https://example.com/rate\")", 1.25);
    book.stored("A2", "=CUBEVALUE(\"Sales\",\"[Measures].[Total]\")", 300);
    book.set("A3", "=A1*A2").compute();
    EXPECT_EQ(book.text("A1"), "1.25");
    EXPECT_EQ(book.text("A3"), "375");
    EXPECT_EQ(book.book.unknownFunctionCells, 2u);
}

} // namespace
