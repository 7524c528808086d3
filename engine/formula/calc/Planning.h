#pragma once
// What the planner reads from a formula's text and tree before anything is computed.

#include "engine/formula/Expr.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine::formula::calc {

std::string upper(std::string_view text);

// The library's row for a call node, or null for a node that calls none.
const FunctionInfo* rowOf(const Node& node);

// Whether the tree calls a function whose row carries every flag of `all` and none of `none`.
bool containsFlagged(const Node& node, std::uint16_t all, std::uint16_t none = 0);

// What a formula's text calls, from one pass over it before it is parsed: a name followed by
// "(", in any letter case, with or without the prefixes files write. Never false where the
// formula's tree makes such a call; a text may name more than its tree calls.
struct NamedCalls {
    bool volatileCall = false; // a function computed at every calculation
    bool keptCall = false;     // a random draw or a session's answer, whose stored result stands
    bool hyperlink = false;
};
NamedCalls namedCalls(std::string_view text);

// Functions the evaluator computes itself, lazily or on references.
bool isSpecialForm(std::string_view name);

// LET, LAMBDA and the functions that take a LAMBDA, which the evaluator computes.
bool isLambdaForm(std::string_view name);

// The name LET or LAMBDA binds: upper case, without the _xlpm. (or, for a parameter a call
// may leave out, _xlop.) prefix files write.
std::string parameterName(std::string_view text);

// Whether the tree calls a function neither the library, the evaluator, the workbook's names
// nor the tree's own LET and LAMBDA names know.
bool containsUnknown(const Node& node, const Workbook& workbook);

// Without a formula to compute nothing else is built: a workbook whose formulas all have
// their results costs one look at each formula's text.
bool anythingToCompute(const Workbook& workbook);

} // namespace engine::formula::calc
