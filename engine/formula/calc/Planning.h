#pragma once
// What the planner reads from a formula's text and tree before anything is computed.

#include "engine/formula/Expr.h"
#include "engine/model/Workbook.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace engine::formula::calc {

std::string upper(std::string_view text);

// Whether the tree calls one of `names`.
bool containsCall(const Node& node, std::initializer_list<std::string_view> names);

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

// Whether `text` holds `word` in any letter case.
bool mentions(std::string_view text, std::string_view word);

// Without a formula to compute nothing else is built: a workbook whose formulas all have
// their results costs one look at each formula's text.
bool anythingToCompute(const Workbook& workbook);

} // namespace engine::formula::calc
